#pragma once

#include <QString>
#include <QtGlobal>

// What the desktop's media controls (media keys, panel widgets) see of the
// player, as one value.
struct MediaSnapshot
{
    enum class Status { Stopped, Playing, Paused };
    Status status = Status::Stopped;
    quint64 run = 0;      // a new number for every playback started
    QString title;        // the file's name, or the disc's
    QString location;     // the local file or the disc folder
    bool disc = false;
    QString discName;     // a disc's name
    int titleNumber = 0;  // a disc's title (0: not known)
    int chapter = 0;      // the chapter playing (0: not known)
    qint64 lengthMs = 0;  // 0: not known
    qint64 positionMs = 0;
    int volumePercent = 0;
    bool canPlay = false;
    bool canPause = false;
    bool canSeek = false;
    bool canGoNext = false;
    bool canGoPrevious = false;
};

// The commands of the media controls that take no value.
enum class MediaCommand { Play, Pause, PlayPause, Stop, Next, Previous, Raise, Quit };

// The player as the media controls drive it: each command does what the
// matching button or menu entry does.
class MediaControls
{
public:
    virtual ~MediaControls() = default;
    virtual MediaSnapshot NowPlaying() const = 0;
    virtual void ControlPlayback(MediaCommand command) = 0;
    // Seeks the playing medium, as the seek slider does.
    virtual void SeekTo(qint64 positionMs) = 0;
    virtual void SetVolumePercent(int percent) = 0;
    // A file:// URI of a file or folder, opened as a drop would; any other
    // is ignored.
    virtual void OpenUri(const QString &uri) = 0;
};
