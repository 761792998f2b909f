#pragma once

#include "disc/BlurayTitleList.h"

#include <QHash>
#include <QString>

// What the window keeps of the Blu-ray titles, keyed by playlist path: the
// engine's title numbers, what each title holds, the choices made for it on
// the disc page and the disc it came from.
struct BlurayTitleState
{
    QHash<QString, int> numbers;
    QHash<QString, QString> discRoot;
    QHash<QString, QList<PLAY_ITEM_INFO>> playItems;
    QHash<QString, QList<STREAM_INFO>> subtitles;
    QHash<QString, QList<STREAM_INFO>> audio;
    QHash<QString, QList<quint32>> chapters; // start times in ms
    QHash<QString, int> audioChoice;         // 0 "Disable", k the k-th stream
    QHash<QString, int> subtitleChoice;

    // Takes in a disc just read. What each title holds is replaced; the
    // choices and disc folders of titles of other discs stay until their
    // paths are loaded again. A title starts with its first audio stream
    // (none when it has none) and no subtitles.
    void load(const BlurayDisc &disc);

    // The title's length: its items' durations, each in whole seconds.
    qint64 lengthSeconds(const QString &title) const;
};
