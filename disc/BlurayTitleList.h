#pragma once

#include "disc/EpisodeRule.h"
#include "disc/MplsTypes.h"

#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <atomic>

// What the playlist reader delivered for one file of BDMV/PLAYLIST.
struct BlurayPlaylistFile {
    QString fileName;  // "00001.mpls"
    QString path;      // full path
    int code = 0;      // the reader's result; non-zero leaves the lists empty
    QList<PLAY_ITEM_INFO> playItems;
    QList<quint32> chapters;
    QList<STREAM_INFO> audio;
    QList<STREAM_INFO> subtitles;
    QByteArray contentDigest;  // PlaylistContentDigest of what was read; empty when unreadable
};

// One distinct, readable playlist: a title of the disc page.
struct BlurayTitle {
    int number = 0;         // N of "br://N"
    QString playlistPath;   // full path of the playlist file
    QString fileName;       // "00001.mpls"
    QString durationText;   // "HH:MM:SS"
    qint64 durationSeconds = 0;
    // SHA-512 of the file, upper-case hex, by which byte copies are known;
    // taken only when a file that may be a copy came up, else empty.
    QByteArray digest;
    QList<PLAY_ITEM_INFO> playItems;
    QList<quint32> chapters;
    QList<STREAM_INFO> audio;
    QList<STREAM_INFO> subtitles;
};

struct BlurayDisc {
    QString folder;         // the disc folder as given
    QString name;           // from BDMV/META/DL/bdmt_eng.xml, empty when none
    QString thumbnail;      // the thumbnail reference as written in that file
    // The picture to show: a regular file inside BDMV/META/DL (see
    // DiscThumbnailPath); empty without a reference or when it leads elsewhere.
    QString thumbnailPath;
    QList<BlurayPlaylistFile> files;  // every file of BDMV/PLAYLIST, in listing order
    QList<BlurayTitle> titles;        // disc page order: main (longest) title first
    BlurayEpisodes episodes;          // when the main content is a series (FindEpisodes)
    QByteArray identity;              // DiscIdentity: the same for the same disc wherever it is
};
Q_DECLARE_METATYPE(BlurayDisc)

// Reads the disc name, thumbnail and titles of the Blu-ray folder discFolder
// (the folder that holds BDMV; a trailing "/" is fine). The disc name is
// UTF-8, or Latin-1 when it is not valid UTF-8. Titles are sorted by duration,
// longest first; equal durations keep listing order. Only regular files are
// read. When cancelled becomes true the reading stops before the next playlist
// file and the result is incomplete.
BlurayDisc ReadBlurayDisc(const QString& discFolder, const std::atomic<bool>* cancelled = nullptr);

// The title list of the given playlist files, read in the order given, into
// disc.files and disc.titles (both replaced).
void ReadBlurayPlaylists(const QStringList& playlistPaths, BlurayDisc& disc,
                         const std::atomic<bool>* cancelled = nullptr);

// The title "br://n" names: n >= 1 the title numbered n, n == 0 the main title.
// nullptr when there is none.
const BlurayTitle* FindBlurayTitle(const BlurayDisc& disc, int n);

// Sum of the items' durations, each truncated to whole seconds first.
qint64 PlayItemsSeconds(const QList<PLAY_ITEM_INFO>& items);
