// Starting the engine, reading what it prints, and the 500 ms poll.
#include "ui/DRUI.h"

#include "ui/MenuEntries.h"

#include "dialogs/CMessageBox.h"
#include "disc/TimeText.h"
#include "engine/EngineArguments.h"
#include "engine/EngineCommand.h"
#include "engine/EngineOutput.h"
#include "lang/CLanguageMgr.h"
#include "platform/ProgramPaths.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QSlider>
#include <QStackedLayout>
#include <QTimer>

namespace {

constexpr int PollIntervalMs = 500;
constexpr qint64 ClockStepMs = 507;
// The engine's lines are short; anything longer is noise and is dropped
// piece by piece instead of piling up in memory.
constexpr qint64 MaxLineLength = 4096;
// Lines handled per call, so that a flood never stalls the window; the rest
// is taken up on the next turn of the event loop.
constexpr int LinesPerTurn = 500;

} // namespace

void DRUI::SendToEngine(const QByteArray &command)
{
    if (engineProcess && engineProcess->state() != QProcess::NotRunning)
        engineProcess->write(command);
}

void DRUI::TakeSnapshot()
{
    SendToEngine(FormatEngineCommand(EngineCommand::Screenshot));
}

void DRUI::VideoPlay()
{
    if (currentMediaPath.isEmpty() || !QFileInfo::exists(currentMediaPath))
        return;
    if (currentMediaPath == playingPath) {
        playing ? PausePlayback() : ResumePlayback();
        return;
    }
    playingPath = currentMediaPath;
    if (engineProcess) {
        engineProcess->disconnect(this);
        engineProcess->kill();
        engineProcess->waitForFinished(1000);
        delete engineProcess;
        engineProcess = nullptr;
    }
    audioTrackIndex = titleAudioChoice.contains(currentTitle) ? titleAudioChoice[currentTitle] - 1 : -2;
    subtitleTrackIndex = titleSubtitleChoice.contains(currentTitle)
        ? titleSubtitleChoice[currentTitle] - 1 : -2;
    pageStack->setCurrentIndex(2);
    seekSlider->setEnabled(true);
    seekSlider->setRange(0, int(mediaLengthSeconds));
    seekSlider->setValue(0);
    answerCount = 0;
    seekTarget = 0;
    stopped = false;
    if (mediaKind != MEDIA_BLURAY) {
        ClearMenu(titleMenu);
        ClearMenu(chapterMenu);
        // A chapter's start belongs to the title it was chosen for.
        startSeconds = 0;
    }
    AddRecentFile(currentMediaPath);
    StartEngine();
}

void DRUI::StartEngine()
{
    engineProcess = new QProcess;
    engineProcess->setStandardErrorFile(QProcess::nullDevice());
    ConnectEngineOutput(true);
    connect(engineProcess, &QProcess::finished, this, &DRUI::EngineFinished);
    connect(engineProcess, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            EngineFailedToStart();
    });
    audioTrackCount = 0;
    subtitleTrackCount = 0;
    playClockMs = 0;
    skippingLongLine = false;
    const QList<QAction *> channels = audioChannelMenu->actions();
    for (int i = 0; i < channels.size(); ++i) {
        channels[i]->setCheckable(i == 0);
        channels[i]->setChecked(i == 0);
    }

    EngineLaunch launch;
    launch.windowId = quint64(videoSurface->winId());
    launch.screenshotFolder = dataFolder;
    launch.mediaKind = mediaKind;
    launch.titleChosen = titleChosen;
    if (titleNumbers.contains(currentTitle))
        launch.titleNumber = titleNumbers[currentTitle];
    launch.mediaPath = currentMediaPath;
    engineProcess->start(EngineProgram(), BuildEngineArguments(launch), QIODevice::ReadWrite);
    if (!engineProcess)
        return; // the start failed and was handled already

    playButton->setIcon(QIcon(QStringLiteral(":/image/pause.png")));
    playAction->setText(Text("MainWnd/Pause"));
    playAction->setData(QStringLiteral("Pause"));
    playing = true;
    SendToEngine(FormatEngineCommand(EngineCommand::StartVolume, volumeSlider->value()));
    if (startSeconds > 0) {
        SendToEngine(FormatEngineCommand(EngineCommand::Seek, startSeconds));
        playClockMs = qint64(startSeconds) * 1000;
    }
    refreshTimer->start(PollIntervalMs);
    MarkPlayingEntry();
}

void DRUI::ConnectEngineOutput(bool connected)
{
    if (!engineProcess)
        return;
    disconnect(engineProcess, &QProcess::readyReadStandardOutput, this, &DRUI::MPlayerDataRecieve);
    if (connected) {
        connect(engineProcess, &QProcess::readyReadStandardOutput, this, &DRUI::MPlayerDataRecieve);
        // Output that arrived while nobody listened is read now.
        if (engineProcess->bytesAvailable() > 0)
            QTimer::singleShot(0, this, &DRUI::MPlayerDataRecieve);
    }
}

void DRUI::EngineFailedToStart()
{
    QProcess *failed = engineProcess;
    engineProcess = nullptr;
    if (failed) {
        failed->disconnect(this);
        failed->deleteLater();
    }
    StopBtn();
    playing = false;
    playButton->setIcon(QIcon(QStringLiteral(":/image/play.png")));
    playAction->setText(Text("MainWnd/Play"));
    playAction->setData(QStringLiteral("Play"));
    CMessageBox::Inform(this, Text("Messages/MSG0104"));
}

void DRUI::EngineFinished(int exitCode, QProcess::ExitStatus status)
{
    // An engine that ends on its own, without saying so, still ends the
    // playback: the window must not keep showing a playing state.
    if (stopped || playingPath.isEmpty())
        return;
    EndOfPlayback();
    if (exitCode != 0 || status == QProcess::CrashExit)
        CMessageBox::Inform(this, Text("Messages/MSG0105"));
}

void DRUI::DoRefreshGui()
{
    if (!engineProcess)
        return;
    playClockMs += ClockStepMs;
    SendToEngine(FormatEngineCommand(EngineCommand::GetLength));
    SendToEngine(FormatEngineCommand(EngineCommand::GetPosition));
}

void DRUI::MPlayerDataRecieve()
{
    QProcess *engine = engineProcess;
    for (int handled = 0; engine && handled < LinesPerTurn; ++handled) {
        if (!engine->canReadLine()) {
            // A line that never ends is dropped in pieces.
            if (engine->bytesAvailable() < MaxLineLength)
                return;
            engine->read(MaxLineLength);
            skippingLongLine = true;
            continue;
        }
        const QByteArray line = engine->readLine(MaxLineLength + 1);
        if (!line.endsWith('\n')) {
            skippingLongLine = true;
            continue;
        }
        if (skippingLongLine) {
            skippingLongLine = false;
            continue;
        }
        HandleEngineLine(line);
        if (engine != engineProcess)
            return; // the line ended this engine's life
    }
    if (engine && engine == engineProcess && engine->bytesAvailable() > 0)
        QTimer::singleShot(0, this, &DRUI::MPlayerDataRecieve);
}

void DRUI::HandleEngineLine(const QByteArray &line)
{
    switch (ClassifyEngineLine(line)) {
    case EngineLineKind::PositionAnswer:
        positionText = QString::number(playClockMs / 1000);
        if (++answerCount == 5) {
            seekSlider->setValue(positionText.toInt());
            answerCount = 0;
        }
        break;
    case EngineLineKind::LengthAnswer:
        HandleLengthAnswer(line);
        break;
    case EngineLineKind::Playing:
        audioTrackCount = 0;
        subtitleTrackCount = 0;
        break;
    case EngineLineKind::EndOfFile:
    case EngineLineKind::Quit:
        EndOfPlayback();
        break;
    case EngineLineKind::AudioStream:
        if (subtitleTrackCount == 0)
            ++audioTrackCount;
        break;
    case EngineLineKind::SubtitleStream:
        ++subtitleTrackCount;
        break;
    case EngineLineKind::VideoStarts:
        RefreshTrackMenus();
        break;
    case EngineLineKind::Screenshot:
    case EngineLineKind::PercentAnswer:
    case EngineLineKind::Other:
        break;
    }
}

void DRUI::HandleLengthAnswer(const QByteArray &line)
{
    const qint64 length = LengthAnswerSeconds(line);
    if (mediaKind == MEDIA_DVD && mediaLengthSeconds == 0) {
        mediaLengthSeconds = length;
        seekSlider->setRange(0, int(length));
    }
    elapsedLabel->setText(FormatSeconds(positionText.toLongLong()) + QLatin1Char(' '));
    durationLabel->setText(QLatin1Char(' ') + FormatSeconds(mediaLengthSeconds));
}

void DRUI::EndOfPlayback()
{
    seekSlider->setValue(0);
    elapsedLabel->setText(QStringLiteral("00:00:00 "));
    durationLabel->setText(QLatin1Char(' ') + FormatSeconds(mediaLengthSeconds));
    playButton->setIcon(QIcon(QStringLiteral(":/image/play.png")));
    playingPath.clear();
    playing = false;
    StopBtn();
}

void DRUI::RefreshTrackMenus()
{
    auto checkOnly = [](QMenu *menu, int index) {
        const QList<QAction *> entries = menu->actions();
        for (int i = 0; i < entries.size(); ++i) {
            if (i == index)
                entries[i]->setCheckable(true);
            entries[i]->setChecked(i == index);
        }
    };
    if (subtitleTrackIndex >= 0) {
        SendToEngine(FormatEngineCommand(EngineCommand::SubDemux, subtitleTrackIndex));
        checkOnly(subtitleTrackMenu, subtitleTrackIndex + 1);
    }
    if (audioTrackIndex >= 0) {
        SendToEngine(FormatEngineCommand(EngineCommand::SwitchAudio, audioTrackIndex));
        checkOnly(audioTrackMenu, audioTrackIndex + 1);
    }
    auto rebuild = [](QMenu *menu, int count, const char *label, bool checkFirstStream) {
        ClearMenu(menu);
        QAction *disable = menu->addAction(QStringLiteral("Disable"));
        disable->setData(0);
        disable->setCheckable(!checkFirstStream);
        disable->setChecked(!checkFirstStream);
        for (int k = 1; k <= count; ++k) {
            QAction *entry = menu->addAction(QString::asprintf(label, k));
            entry->setData(k);
            if (k == 1 && checkFirstStream) {
                entry->setCheckable(true);
                entry->setChecked(true);
            }
        }
    };
    if (audioTrackCount > 0 && audioTrackMenu->actions().size() != audioTrackCount + 1) {
        rebuild(audioTrackMenu, audioTrackCount, "Audio %d", true);
        SendToEngine(FormatEngineCommand(EngineCommand::KeepSwitchAudio, 0));
    }
    if (subtitleTrackCount > 0 && subtitleTrackMenu->actions().size() != subtitleTrackCount + 1)
        rebuild(subtitleTrackMenu, subtitleTrackCount, "Subtitle %d", false);
}
