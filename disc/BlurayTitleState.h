#pragma once

#include "disc/BlurayTitleList.h"

#include <QHash>
#include <QMetaType>
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

    // The tables of one disc just read, and nothing else. A title starts
    // with its first audio stream (none when it has none) and no subtitles.
    // Made where the disc is read, so that a disc of thousands of titles
    // costs the window nothing.
    static BlurayTitleState ForDisc(const BlurayDisc &disc);

    // Takes in the tables of a disc (ForDisc). What each title holds is
    // replaced, and returned for the caller to free where it suits; the
    // choices and disc folders of titles of other discs stay until their
    // paths are taken in again.
    BlurayTitleState take(const BlurayTitleState &disc);

    // The title's length: its items' durations, each in whole seconds.
    qint64 lengthSeconds(const QString &title) const;
};
Q_DECLARE_METATYPE(BlurayTitleState)
