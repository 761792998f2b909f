// What the desktop asks of the window: paths handed over by a later start of
// the player or by the media controls, and the media controls' commands and
// view of the playback (MPRIS).
#include "ui/DRUI.h"

#include "disc/DiscReader.h"
#include "engine/TransportMath.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMap>
#include <QSlider>
#include <QStackedLayout>
#include <QTimer>
#include <QUrl>

namespace {

MediaSnapshot::Status StatusOf(PlaybackState state)
{
    switch (state) {
    case PlaybackState::Starting:
    case PlaybackState::Playing:
        return MediaSnapshot::Status::Playing;
    case PlaybackState::Paused:
        return MediaSnapshot::Status::Paused;
    case PlaybackState::Idle:
    case PlaybackState::Stopping:
        break;
    }
    return MediaSnapshot::Status::Stopped;
}

// The chapter playing at positionMs, counted from 1 (0: none known).
int ChapterAt(const QList<quint32> &startsMs, qint64 positionMs)
{
    int chapter = 0;
    for (quint32 start : startsMs)
        if (qint64(start) <= positionMs)
            ++chapter;
    return startsMs.isEmpty() ? 0 : qMax(chapter, 1);
}

} // namespace

void DRUI::ConnectMediaControls()
{
    connect(engine, &EngineSession::stateChanged, this, &DRUI::PlaybackChanged);
    // Each poll moves the clock, and may bring the length or a new chapter.
    connect(refreshTimer, &QTimer::timeout, this, &DRUI::PlaybackChanged);
    connect(discReader, &DiscReader::finished, this, &DRUI::PlaybackChanged);
}

void DRUI::OpenFromDesktop(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    // As a drop: a folder through the disc path, files through the file path.
    if (QFileInfo(paths.first()).isDir())
        OpenDiscFolder(paths.first());
    else
        OpenMediaFiles(paths);
}

MediaSnapshot DRUI::NowPlaying() const
{
    MediaSnapshot now;
    now.status = StatusOf(engine->state());
    now.run = engine->run();
    now.volumePercent = volumeSlider ? volumeSlider->value() : 0;
    now.canPlay = DiscPageWaits() || (mediaKind == MEDIA_BLURAY ? !pick.currentTitle.isEmpty()
                                                                : !currentMediaPath.isEmpty());
    if (now.status == MediaSnapshot::Status::Stopped) {
        // A disc page waiting for its movie: that is what Play starts.
        if (DiscPageWaits()) {
            const BlurayTitleEntry *title = discTitles.find(pick.currentTitle);
            now.location = title ? title->discRoot : QString();
            DescribeDisc(now, true);
        }
        return now;
    }
    now.location = engine->medium();
    now.lengthMs = qMax<qint64>(mediaLengthSeconds, 0) * 1000;
    now.positionMs = qMax<qint64>(playClockMs, 0);
    if (now.lengthMs > 0)
        now.positionMs = qMin(now.positionMs, now.lengthMs);
    now.canPause = true;
    now.canSeek = now.lengthMs > 0;
    if (mediaKind != MEDIA_FILE) {
        DescribeDisc(now, mediaKind == MEDIA_BLURAY);
        return now;
    }
    now.title = QFileInfo(now.location).fileName();
    now.canGoNext = PlaylistNeighbour(playlist, currentMediaPath, 1) >= 0;
    now.canGoPrevious = PlaylistNeighbour(playlist, currentMediaPath, -1) >= 0;
    return now;
}

bool DRUI::DiscPageWaits() const
{
    return pageStack && pageStack->currentIndex() == 1 && !pick.currentTitle.isEmpty();
}

void DRUI::DescribeDisc(MediaSnapshot &now, bool bluray) const
{
    now.disc = true;
    const QString discName = bluray ? discTitleLabel->text() : QString();
    now.discName = discName.isEmpty() ? QFileInfo(now.location).fileName() : discName;
    now.title = now.discName;
    if (!bluray) {
        now.titleNumber = 1; // the engine plays the DVD's first title
        return;
    }
    const BlurayTitleEntry *title = discTitles.find(pick.currentTitle);
    const QList<quint32> chapters = title ? title->chapters : QList<quint32>();
    now.titleNumber = title ? title->number : 0;
    if (now.status == MediaSnapshot::Status::Stopped)
        return;
    now.chapter = ChapterAt(chapters, now.positionMs);
    now.canGoNext = NextChapterSecond(chapters, positionText.toInt()).has_value();
    now.canGoPrevious = PreviousChapterSecond(chapters, positionText.toInt()).has_value();
}

void DRUI::ControlPlayback(MediaCommand command)
{
    static const QMap<MediaCommand, Handler> table = {
        {MediaCommand::Play, &DRUI::PlayFromDesktop},
        {MediaCommand::Pause, &DRUI::PauseFromDesktop},
        {MediaCommand::PlayPause, &DRUI::PlayPauseFromDesktop},
        {MediaCommand::Stop, &DRUI::StopBtn},
        {MediaCommand::Next, &DRUI::NextFromDesktop},
        {MediaCommand::Previous, &DRUI::PreviousFromDesktop},
        {MediaCommand::Raise, &DRUI::RestoreWindow},
        {MediaCommand::Quit, &DRUI::btnCloseSlot},
    };
    if (const Handler handler = table.value(command))
        (this->*handler)();
}

void DRUI::PlayFromDesktop()
{
    const MediaSnapshot now = NowPlaying();
    // Never the file chooser: the desktop asks only when there is something.
    if (now.status == MediaSnapshot::Status::Paused || now.canPlay)
        AskToPlay(PlayRequest{PlayAsk::Play});
}

void DRUI::PauseFromDesktop()
{
    if (NowPlaying().status == MediaSnapshot::Status::Playing)
        PausePlayback();
}

void DRUI::PlayPauseFromDesktop()
{
    if (engine->isActive())
        AskToPlay(PlayRequest{PlayAsk::Toggle}); // as the play button
    else
        PlayFromDesktop();
}

void DRUI::NextFromDesktop()
{
    if (NowPlaying().canGoNext)
        PlayNext();
}

void DRUI::PreviousFromDesktop()
{
    if (NowPlaying().canGoPrevious)
        PlayPre();
}

void DRUI::SeekTo(qint64 positionMs)
{
    if (!engine->isActive() || mediaLengthSeconds <= 0)
        return;
    // As the seek slider, whose steps are whole seconds.
    seekTarget = int(qBound<qint64>(0, positionMs / 1000, mediaLengthSeconds));
    answerCount = 0;
    SliderRelease();
}

void DRUI::SetVolumePercent(int percent)
{
    VolumeSliderSeek(percent);
}

void DRUI::OpenUri(const QString &uri)
{
    QUrl url(uri);
    if (!url.isValid() || !url.isLocalFile()
        || !(url.host().isEmpty() || url.host().compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0))
        return;
    url.setHost(QString()); // else the path would come back as //localhost/...
    const QString path = url.toLocalFile();
    if (QDir::isAbsolutePath(path))
        OpenFromDesktop({QDir::cleanPath(path)});
}
