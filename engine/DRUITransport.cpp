// Pause, resume, stop, seeking and stepping through chapters and the playlist.
#include "ui/DRUI.h"

#include "disc/TimeText.h"
#include "engine/EngineCommand.h"
#include "engine/EngineSession.h"
#include "engine/TransportMath.h"
#include "lang/CLanguageMgr.h"
#include "platform/PowerInhibitor.h"

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QSlider>
#include <QStackedLayout>
#include <QTimer>

namespace {

constexpr int PollIntervalMs = 500;
// How long a closing player gives the engine to leave by itself, and how long
// it waits at most for an engine that does not go even when ended by force.
constexpr int ExitGraceMs = 500;
constexpr int ExitLimitMs = 1500;

struct StateLook
{
    const char *image;
    const char *entryKey;
    const char *entryData;
};

// What the play button and the play/pause entry show in each state: the
// entry always offers what choosing it will do.
StateLook LookOf(PlaybackState state)
{
    switch (state) {
    case PlaybackState::Starting:
    case PlaybackState::Playing:
        return {":/image/pause.png", "MainWnd/Pause", "Pause"};
    case PlaybackState::Paused:
        return {":/image/play.png", "MainWnd/Resume", "Resume"};
    case PlaybackState::Idle:
    case PlaybackState::Stopping:
        break;
    }
    return {":/image/play.png", "MainWnd/Play", "Play"};
}

} // namespace

void DRUI::PlaybackStateChanged(PlaybackState state)
{
    const StateLook look = LookOf(state);
    playButton->setIcon(QIcon(QString::fromLatin1(look.image)));
    playButton->setToolTip(Text(look.entryKey));
    playAction->setText(Text(look.entryKey));
    playAction->setData(QString::fromLatin1(look.entryData));
    const bool moving = engine->isPlaying();
    if (moving && !refreshTimer->isActive())
        refreshTimer->start(PollIntervalMs);
    else if (!moving)
        refreshTimer->stop();
    keepAwake->setActive(moving);
    if (!engine->isActive() && fullScreen)
        LeaveFullScreen();
}

void DRUI::QuitEngine()
{
    engine->stop();
}

void DRUI::CloseDown()
{
    SaveResumePosition();
    engine->stop(ExitGraceMs);
    if (engine->state() == PlaybackState::Idle) {
        QCoreApplication::quit();
        return;
    }
    // Hidden by now; the event loop ends once the engine has gone, or after
    // a moment if it does not go even when ended by force.
    connect(engine, &EngineSession::stateChanged, qApp, [](PlaybackState state) {
        if (state == PlaybackState::Idle)
            QCoreApplication::quit();
    });
    QTimer::singleShot(ExitLimitMs, qApp, &QCoreApplication::quit);
}

void DRUI::PausePlayback()
{
    engine->pause();
}

void DRUI::ResumePlayback()
{
    engine->resume();
}

void DRUI::StopBtn()
{
    CancelDiscRead();
    SaveResumePosition();
    startOverButton->hide();
    if (engine->isActive()) {
        engine->stop();
        elapsedLabel->setText(QStringLiteral("00:00:00 "));
    }
    ShowInfo(QString());
    if (pageStack->currentIndex() == 2)
        pageStack->setCurrentIndex(0);
    seekSlider->setValue(0);
    seekSlider->setEnabled(false);
}

void DRUI::Navigation()
{
    const bool leaving = engine->isActive();
    pageStack->setCurrentIndex(mediaKind == MEDIA_BLURAY ? 1 : 0);
    // The end of playback as after any stop: slider, time and the box of
    // what plays start over, while the page chosen here stays.
    if (leaving)
        EndOfPlayback();
}

void DRUI::SliderPress()
{
    answerCount = 0;
    // A press on the handle that moves nothing seeks to where it stands,
    // never to the target of an earlier drag.
    seekTarget = qMax(seekSlider->sliderPosition(), 0);
}

void DRUI::SliderSeek(int value)
{
    seekTarget = qMax(value, 0);
}

void DRUI::SliderRelease()
{
    if (engine->isActive()) {
        engine->send(EngineCommand::Seek, seekTarget);
        seekSlider->setValue(seekTarget);
        playClockMs = qint64(seekTarget) * 1000;
        positionText = QString::number(playClockMs / 1000);
        elapsedLabel->setText(FormatSeconds(seekTarget));
        ResumePlayback();
    }
    answerCount = 0;
}

void DRUI::SliderMouseLButtonPress(QObject *slider, QEvent *event)
{
    auto *mouse = static_cast<QMouseEvent *>(event);
    auto *target = qobject_cast<QSlider *>(slider);
    if (!target || mouse->button() != Qt::LeftButton)
        return;
    const int value = SliderClickValue(target->minimum(), target->maximum(),
                                       int(mouse->position().x()), target->width());
    if (value == target->sliderPosition())
        return;
    if (target == seekSlider) {
        seekTarget = qMax(value, 0);
        seekSlider->setSliderPosition(value);
        SliderRelease();
    } else if (target == volumeSlider) {
        VolumeSliderSeek(value);
    }
}

void DRUI::SeekToSecond(int second)
{
    engine->send(EngineCommand::Seek, second);
    playClockMs = qint64(second) * 1000;
}

void DRUI::StepChapter(bool forward)
{
    const QList<quint32> chapters = PlayingChapters();
    if (chapters.isEmpty())
        return;
    const int p = positionText.toInt();
    const std::optional<int> target = forward ? NextChapterSecond(chapters, p)
                                              : PreviousChapterSecond(chapters, p);
    if (target)
        SeekToSecond(*target);
    else
        PlayAllGoesOn(forward ? 1 : -1); // past the first or last chapter of an episode
}

void DRUI::StepPlaylist(int step)
{
    const int neighbour = PlaylistNeighbour(playlist, currentMediaPath, step);
    if (neighbour < 0)
        return;
    StopBtn();
    OpenPlaylistEntry(playlist[neighbour]);
}

void DRUI::Step(int direction)
{
    ResumePlayback();
    if (!engine->isActive())
        return;
    // A Blu-ray title, and a DVD title whose chapters are known, step by
    // chapter; everything else through the playlist.
    if (mediaKind == MEDIA_BLURAY || (mediaKind == MEDIA_DVD && !PlayingChapters().isEmpty()))
        StepChapter(direction > 0);
    else
        StepPlaylist(direction);
}

void DRUI::PlayPre()
{
    Step(-1);
}

void DRUI::PlayNext()
{
    Step(1);
}

void DRUI::PlayCommand()
{
    AskToPlay(PlayRequest{PlayAsk::Play});
}

void DRUI::JumpFromSlider(int (*target)(int sliderValue, int positionSeconds, qint64 lengthSeconds))
{
    ResumePlayback();
    if (!engine->isActive())
        return;
    seekTarget = target(seekSlider->value(), positionText.toInt(), mediaLengthSeconds);
    answerCount = 0;
    SliderRelease();
}

void DRUI::ForwardCommand()
{
    JumpFromSlider(ForwardTarget);
}

void DRUI::BackwardCommand()
{
    JumpFromSlider(BackwardTarget);
}

void DRUI::VolumeUpCommand()
{
    VolumeSliderSeek(volumeSlider->value() + 5);
}

void DRUI::VolumeDownCommand()
{
    VolumeSliderSeek(volumeSlider->value() - 5);
}

void DRUI::BDControlsMenu(QAction *action)
{
    // Chapter and title entries also sit in the disc page's popups, so they
    // are known by the menus that show them, not by their owner.
    const QObjectList shownIn = action->associatedObjects();
    if (shownIn.contains(chapterMenu)) {
        if (engine->isActive()) {
            ResumePlayback();
            SeekToSecond(int(action->data().toLongLong() / 1000));
        }
        return;
    }
    if (shownIn.contains(titleMenu) && mediaKind == MEDIA_DVD) {
        PlayDvdTitle(action->data().toInt());
        return;
    }
    if (shownIn.contains(titleMenu)) {
        AskToPlay(PlayRequest{PlayAsk::Title, action->data().value<PLAY_LIST_INFO>().path});
        return;
    }
    static const QMap<QString, Handler> table = {
        {QStringLiteral("Play"), &DRUI::PlayCommand},
        {QStringLiteral("Pause"), &DRUI::PausePlayback},
        {QStringLiteral("Resume"), &DRUI::ResumePlayback},
        {QStringLiteral("Stop"), &DRUI::StopBtn},
        {QStringLiteral("Pre"), &DRUI::PlayPre},
        {QStringLiteral("Next"), &DRUI::PlayNext},
        {QStringLiteral("Forward"), &DRUI::ForwardCommand},
        {QStringLiteral("Backward"), &DRUI::BackwardCommand},
        {QStringLiteral("VolumeUp"), &DRUI::VolumeUpCommand},
        {QStringLiteral("VolumeDown"), &DRUI::VolumeDownCommand},
        {QStringLiteral("Navigation"), &DRUI::Navigation},
        {QStringLiteral("FullScreen"), &DRUI::FullScreenBtn},
    };
    DispatchMenu(table, action);
}
