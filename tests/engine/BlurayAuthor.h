#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Writes a small but complete Blu-ray folder (BDMV with index, movie
// objects, playlists with chapter marks, clip information with an entry
// point map, and the streams) around transport streams made by FFmpeg in
// its 192-byte packet mode.
namespace BlurayAuthor {

struct Title {
    QString m2tsSource;            // an FFmpeg m2ts file (video 0x1011, audio from 0x1100)
    QStringList audioLanguages;    // one per audio stream, in PID order
    QList<int> chapterSeconds;     // chapter starts, from 0
    // The audio streams the playlist offers, as indexes into the clip's (in
    // PID order), in the playlist's order; empty: all, in PID order.
    QList<int> playlistAudio = {};
};

// Title i becomes clip and playlist 0000i; extra playlists may repeat a
// title byte for byte (copies of playlist `copyOf[k]` go after the titles).
bool WriteDisc(const QString& root, const QList<Title>& titles, const QList<int>& copyOf = {},
               QString* error = nullptr);

}
