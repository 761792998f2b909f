#pragma once

#include <QByteArray>
#include <QString>

// What one line of the engine's output means to the player. The tests run in
// a fixed order and the first that matches decides.
enum class EngineLineKind {
    Other,
    PositionAnswer, // begins with "ANS_TIME_POSITION"
    LengthAnswer,   // begins with "ANS_LENGTH"
    PercentAnswer,  // begins with "ANS_PERCENT_POSITION"
    Playing,        // contains "Playing"
    EndOfFile,      // contains "(End of file)"
    Quit,           // contains "(Quit)"
    Screenshot,     // contains "*** screenshot"
    AudioStream,    // contains ", -aid"
    SubtitleStream, // contains ", -sid"
    VideoStarts,    // contains "VIDEO:"
    Encrypted,      // begins with "Encrypted disc ("
};

EngineLineKind ClassifyEngineLine(const QByteArray &line);

// The whole seconds of an "ANS_LENGTH=..." line; 0 when it is no number.
qint64 LengthAnswerSeconds(const QByteArray &line);

// The encryption named in an "Encrypted disc (AACS)" line, or empty.
QString EncryptionScheme(const QByteArray &line);

// The file named in a "*** screenshot 'PATH' ***" line (up to the last quote,
// or to the line end when there is no closing one), or empty.
QByteArray ScreenshotPath(const QByteArray &line);
