#pragma once

// What the slave commands can ask of a playback. The command table speaks
// only to this, so it can be exercised without a player behind it.
class PlaybackControl {
public:
    virtual ~PlaybackControl() = default;

    enum class SeekKind { Relative, Percent, Absolute };

    virtual void EndPause() = 0;           // before any command without "pausing_keep"
    virtual void TogglePause() = 0;
    virtual void Quit(int status) = 0;
    virtual void Seek(double value, SeekKind kind) = 0;
    virtual void SetVolume(double value, bool absolute) = 0;   // per cent
    virtual void SetBalance(double value, bool absolute) = 0;  // -1 left .. 1 right
    virtual void SelectAudio(int index) = 0;      // from 0; -2 none
    virtual void SelectSubtitle(int index) = 0;   // from 0; -1 none
    virtual void AnswerLength() = 0;
    virtual void AnswerPosition() = 0;
    virtual void Screenshot() = 0;
    // The image format of the screenshots to come: 0 PNG, 1 JPEG.
    virtual void SetScreenshotFormat(int format) = 0;
};
