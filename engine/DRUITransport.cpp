// Pause, resume, stop, seeking and stepping through chapters and the playlist.
#include "ui/DRUI.h"

#include "disc/TimeText.h"
#include "engine/EngineCommand.h"
#include "engine/TransportMath.h"
#include "lang/CLanguageMgr.h"

#include <QAction>
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
constexpr int EngineExitWaitMs = 500;
// How long an engine told to quit may take before it is ended by force.
constexpr int QuitGraceMs = 2000;
} // namespace

void DRUI::QuitEngine()
{
    refreshTimer->stop();
    SendToEngine(FormatEngineCommand(EngineCommand::Quit));
    stopped = true;
    QProcess *engine = engineProcess;
    QTimer::singleShot(QuitGraceMs, engine, [engine] {
        if (engine->state() != QProcess::NotRunning)
            engine->kill();
    });
}

void DRUI::StopEngine()
{
    if (!engineProcess)
        return;
    refreshTimer->stop();
    engineProcess->disconnect(this);
    SendToEngine(FormatEngineCommand(EngineCommand::Quit));
    stopped = true;
    // A moment to leave by itself, then by force: none may outlive us.
    if (!engineProcess->waitForFinished(EngineExitWaitMs)) {
        engineProcess->kill();
        engineProcess->waitForFinished(EngineExitWaitMs);
    }
    delete engineProcess;
    engineProcess = nullptr;
}

void DRUI::PausePlayback()
{
    if (!engineProcess)
        return;
    refreshTimer->stop();
    SendToEngine(FormatEngineCommand(EngineCommand::Pause));
    playButton->setIcon(QIcon(QStringLiteral(":/image/play.png")));
    ConnectEngineOutput(false);
    playing = false;
    playAction->setText(Text("MainWnd/Resume"));
    playAction->setData(QStringLiteral("Resume"));
}

void DRUI::ResumePlayback()
{
    if (!engineProcess)
        return;
    refreshTimer->start(PollIntervalMs);
    ConnectEngineOutput(true);
    playButton->setIcon(QIcon(QStringLiteral(":/image/pause.png")));
    playing = true;
    playAction->setText(Text("MainWnd/Pause"));
    playAction->setData(QStringLiteral("Pause"));
}

void DRUI::StopBtn()
{
    if (engineProcess) {
        QuitEngine();
        elapsedLabel->setText(QStringLiteral("00:00:00 "));
    }
    stopped = true;
    infoLabel->clear();
    playingPath.clear();
    if (pageStack->currentIndex() == 2)
        pageStack->setCurrentIndex(0);
    seekSlider->setValue(0);
    seekSlider->setEnabled(false);
}

void DRUI::Navigation()
{
    if (engineProcess)
        QuitEngine();
    playingPath.clear();
    pageStack->setCurrentIndex(mediaKind == MEDIA_BLURAY ? 1 : 0);
}

void DRUI::SliderPress()
{
    answerCount = 0;
}

void DRUI::SliderSeek(int value)
{
    seekTarget = qMax(value, 0);
}

void DRUI::SliderRelease()
{
    if (engineProcess && !stopped) {
        SendToEngine(FormatEngineCommand(EngineCommand::Seek, seekTarget));
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
    SendToEngine(FormatEngineCommand(EngineCommand::Seek, second));
    playClockMs = qint64(second) * 1000;
}

void DRUI::StepChapter(bool forward)
{
    const auto chapters = titleChapters.constFind(currentTitle);
    if (chapters == titleChapters.constEnd())
        return;
    const int p = positionText.toInt();
    const std::optional<int> target = forward ? NextChapterSecond(*chapters, p)
                                              : PreviousChapterSecond(*chapters, p);
    if (target)
        SeekToSecond(*target);
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
    if (!engineProcess)
        return;
    // A Blu-ray title steps by chapter, everything else through the playlist.
    if (mediaKind == MEDIA_BLURAY)
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
    if (mediaKind == MEDIA_BLURAY)
        PlayCurrentTitle();
    else if (!currentMediaPath.isEmpty())
        OpenMediaFiles({currentMediaPath});
    else
        btnOpenFile();
}

void DRUI::JumpFromSlider(int (*target)(int sliderValue, qint64 lengthSeconds))
{
    ResumePlayback();
    if (!engineProcess)
        return;
    seekTarget = target(seekSlider->value(), mediaLengthSeconds);
    answerCount = 0;
    SliderRelease();
}

void DRUI::ForwardCommand()
{
    JumpFromSlider(ForwardTarget);
}

void DRUI::BackwardCommand()
{
    JumpFromSlider([](int sliderValue, qint64) { return BackwardTarget(sliderValue); });
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
    titleChosen = false;
    // Chapter and title entries also sit in the disc page's popups, so they
    // are known by the menus that show them, not by their owner.
    const QObjectList shownIn = action->associatedObjects();
    if (shownIn.contains(chapterMenu)) {
        if (engineProcess) {
            ResumePlayback();
            SeekToSecond(int(action->data().toLongLong() / 1000));
        }
        return;
    }
    if (shownIn.contains(titleMenu)) {
        mediaKind = MEDIA_BLURAY;
        currentTitle = action->data().value<PLAY_LIST_INFO>().path;
        if (engineProcess)
            QuitEngine();
        titleChosen = true;
        PlayCurrentTitle();
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
