# The media types of the file kinds the open-file chooser offers, as the
# shared MIME database names them (rmvb rm, mpeg vob, mov, avi divx, wmv, asf,
# mp4 m4v f4v lrv, flv, swf, 3gp, dv, 3g2, m4b, mkv, mts m2ts, ogm, mxf). The
# chooser's fla, moi, ajp, mqv, svi, vid, tod, hdmov and mod have no type of
# their own there (mod is taken by tracker music), so they are not claimed.
set(VANTOREL_MIME_TYPES
  application/vnd.rn-realmedia
  video/mpeg
  video/quicktime
  video/x-msvideo
  video/x-ms-wmv
  application/vnd.ms-asf
  video/mp4
  video/x-flv
  application/vnd.adobe.flash.movie
  video/3gpp
  video/dv
  video/3gpp2
  audio/x-m4b
  video/x-matroska
  video/mp2t
  video/x-ogm+ogg
  application/mxf
  # A Blu-ray or DVD image (.iso); application/x-iso9660-image is its alias.
  application/x-cd-image
)
# What a mounted disc announces, so that the desktop offers the player for it.
set(VANTOREL_DISC_CONTENT_TYPES x-content/video-bluray x-content/video-dvd)
