# Which libavformat the duration probe links.
#
# The window starts the probe once for every file it opens, so what the probe
# costs is mostly what the loader costs: the distribution's libavformat pulls
# in well over a hundred shared libraries (network, codecs, hardware) before
# main() runs. The probe only opens containers, so by default it links its own
# reduced static build of the same FFmpeg release: every demuxer and parser,
# the file protocol and the audio decoders whose parameters the duration
# estimate uses, nothing else. The source is Debian's own tarball of the
# release, checked by its SHA-256.
#
#   VANTOREL_PROBE_FFMPEG=bundled  (default) the reduced build; if its source
#                                  cannot be had, the system library instead
#   VANTOREL_PROBE_FFMPEG=system   the distribution's shared libavformat
#   VANTOREL_FFMPEG_TARBALL=PATH   a local copy of the tarball (no download)
#
# Defines the target vantorel_probe_libav.

set(VANTOREL_PROBE_FFMPEG bundled CACHE STRING "libavformat for the probe: bundled or system")
set_property(CACHE VANTOREL_PROBE_FFMPEG PROPERTY STRINGS bundled system)
set(VANTOREL_FFMPEG_TARBALL "" CACHE FILEPATH "Local FFmpeg source tarball for the probe")

set(_ffmpeg_version 5.1.9)
set(_ffmpeg_sha256 d9b593bb2ba93d4b50f74177e0cdcd41747e708596367deed0c30348a71dd176)
set(_ffmpeg_urls
    http://deb.debian.org/debian/pool/main/f/ffmpeg/ffmpeg_${_ffmpeg_version}.orig.tar.xz
    http://deb.debian.org/debian-security/pool/updates/main/f/ffmpeg/ffmpeg_${_ffmpeg_version}.orig.tar.xz)

function(_vantorel_fetch_ffmpeg result)
  set(${result} "" PARENT_SCOPE)
  if(VANTOREL_FFMPEG_TARBALL)
    file(SHA256 ${VANTOREL_FFMPEG_TARBALL} _sum)
    if(_sum STREQUAL _ffmpeg_sha256)
      set(${result} ${VANTOREL_FFMPEG_TARBALL} PARENT_SCOPE)
    else()
      message(WARNING "${VANTOREL_FFMPEG_TARBALL} is not FFmpeg ${_ffmpeg_version}'s tarball")
    endif()
    return()
  endif()
  set(_tarball ${CMAKE_BINARY_DIR}/_deps/ffmpeg_${_ffmpeg_version}.orig.tar.xz)
  if(EXISTS ${_tarball})
    file(SHA256 ${_tarball} _sum)
    if(_sum STREQUAL _ffmpeg_sha256)
      set(${result} ${_tarball} PARENT_SCOPE)
      return()
    endif()
  endif()
  foreach(_url IN LISTS _ffmpeg_urls)
    message(STATUS "Fetching ${_url}")
    file(DOWNLOAD ${_url} ${_tarball}.part STATUS _status TIMEOUT 300
         EXPECTED_HASH SHA256=${_ffmpeg_sha256})
    list(GET _status 0 _code)
    if(_code EQUAL 0)
      file(RENAME ${_tarball}.part ${_tarball})
      set(${result} ${_tarball} PARENT_SCOPE)
      return()
    endif()
    file(REMOVE ${_tarball}.part)
  endforeach()
  message(WARNING "FFmpeg ${_ffmpeg_version}'s source could not be fetched; "
                  "the probe links the system's libavformat and starts more slowly")
endfunction()

add_library(vantorel_probe_libav INTERFACE)

set(_tarball "")
if(VANTOREL_PROBE_FFMPEG STREQUAL "bundled")
  _vantorel_fetch_ffmpeg(_tarball)
endif()

if(_tarball)
  include(ExternalProject)
  include(ProcessorCount)
  set(_prefix ${CMAKE_BINARY_DIR}/_deps/ffmpeg-probe)
  set(_libs ${_prefix}/lib/libavformat.a ${_prefix}/lib/libavcodec.a ${_prefix}/lib/libavutil.a)
  ExternalProject_Add(ffmpeg_probe
    URL ${_tarball}
    URL_HASH SHA256=${_ffmpeg_sha256}
    PREFIX ${CMAKE_BINARY_DIR}/_deps/ffmpeg-probe-build
    INSTALL_DIR ${_prefix}
    DOWNLOAD_EXTRACT_TIMESTAMP ON
    CONFIGURE_COMMAND <SOURCE_DIR>/configure --prefix=<INSTALL_DIR> --cc=${CMAKE_C_COMPILER}
      --disable-everything --disable-programs --disable-doc --disable-debug
      --disable-network --disable-autodetect --disable-x86asm
      --disable-avdevice --disable-avfilter --disable-swscale --disable-swresample --disable-postproc
      --enable-static --disable-shared --enable-zlib
      --enable-demuxers --enable-parsers --enable-protocol=file
      --enable-decoder=aac,ac3,eac3,mp1,mp2,mp3,flac,vorbis,opus,dca,truehd,mlp,pcm_s16le,pcm_s24le,pcm_bluray,pcm_dvd
    BUILD_BYPRODUCTS ${_libs}
    LOG_CONFIGURE ON LOG_BUILD ON LOG_INSTALL ON LOG_OUTPUT_ON_FAILURE ON)
  find_package(ZLIB REQUIRED)
  find_package(Threads REQUIRED)
  file(MAKE_DIRECTORY ${_prefix}/include)
  target_include_directories(vantorel_probe_libav INTERFACE ${_prefix}/include)
  target_link_libraries(vantorel_probe_libav INTERFACE ${_libs} ZLIB::ZLIB Threads::Threads m atomic)
  add_dependencies(vantorel_probe_libav ffmpeg_probe)
  message(STATUS "The probe links its own reduced FFmpeg ${_ffmpeg_version}")
else()
  pkg_check_modules(AVFORMAT REQUIRED IMPORTED_TARGET libavformat libavutil)
  target_link_libraries(vantorel_probe_libav INTERFACE PkgConfig::AVFORMAT)
  message(STATUS "The probe links the system's libavformat")
endif()
