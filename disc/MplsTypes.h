#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// One play item of a Blu-ray movie playlist. Times are milliseconds, each
// converted from 45 kHz ticks by truncating division.
struct PLAY_ITEM_INFO {
    quint32 inMs = 0;       // IN time
    quint32 offsetMs = 0;   // sum of durationMs of the earlier items of the same file
    quint32 durationMs = 0; // OUT/45 - IN/45
    QString clipName;       // e.g. "00001.M2TS"
};

// One audio or subtitle stream.
struct STREAM_INFO {
    QString description;  // "English AC3", "Portugal DTS HD XLL", "DEU"
    QByteArray language;  // the 3-character code as stored, e.g. "eng"
    quint8 codingType = 0;
    // The stream's PID in the play item's own clip; 0 for a stream that
    // lives in a sub-path's clip (text subtitles, for one).
    quint16 pid = 0;
    // An audio stream's presentation type: 1 mono, 3 stereo, 6 multichannel,
    // 12 stereo and multichannel; 0 for subtitles or when not stated.
    quint8 audioFormat = 0;
};
