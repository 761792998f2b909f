#pragma once

#include "disc/BlurayTitleList.h"

#include <QHash>
#include <QMetaType>
#include <QString>

// What the window keeps of one Blu-ray title: the engine's title number,
// what the title holds, the choices made for it on the disc page and the
// disc it came from.
struct BlurayTitleEntry
{
    int number = 0;
    QString discRoot;
    QList<PLAY_ITEM_INFO> playItems;
    QList<STREAM_INFO> subtitles;
    QList<STREAM_INFO> audio;
    QList<quint32> chapters; // start times in ms
    int audioChoice = 0;     // 0 "Disable", k the k-th stream
    int subtitleChoice = 0;
};

// The titles the window knows: each disc's, by the disc's folder, then by
// playlist path.
struct BlurayTitleState
{
    using Titles = QHash<QString, BlurayTitleEntry>;
    QHash<QString, Titles> discs;

    // The titles of one disc just read, and nothing else. A title starts
    // with its first audio stream (none when it has none) and no subtitles.
    // Made where the disc is read, so that a disc of thousands of titles
    // costs the window little.
    static BlurayTitleState ForDisc(const BlurayDisc &disc);

    // Takes in the titles of a disc (ForDisc): they start over; the titles
    // of other discs stay as they are. What the disc's folder held before is
    // handed back, for the caller to free where it suits.
    BlurayTitleState take(const BlurayTitleState &disc);

    // The title's entry, or null when it is not known.
    const BlurayTitleEntry *find(const QString &title) const;
    BlurayTitleEntry *find(const QString &title);

    // The title's length: its items' durations, each in whole seconds.
    qint64 lengthSeconds(const QString &title) const;
};
Q_DECLARE_METATYPE(BlurayTitleState)
