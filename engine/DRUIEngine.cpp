// Starting the engine, reading what it prints, and the 500 ms poll.
#include "ui/DRUI.h"

#include "ui/MenuEntries.h"

#include "dialogs/CMessageBox.h"
#include "disc/TimeText.h"
#include "engine/EngineArguments.h"
#include "engine/EngineCommand.h"
#include "engine/EngineOutput.h"
#include "engine/EngineSession.h"
#include "engine/TransportMath.h"
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

constexpr qint64 ClockStepMs = 507;
// Lines handled per call, so that a flood never stalls the window; the rest
// is taken up on the next turn of the event loop.
constexpr int LinesPerTurn = 500;

} // namespace

void DRUI::VideoPlay()
{
    // A disc's folder was seen by its read; looking again here could keep the
    // window waiting for a drive to spin up. One that has gone since then
    // fails in the engine, and the user is told.
    if (currentMediaPath.isEmpty() || (mediaKind == MEDIA_FILE && !QFileInfo::exists(currentMediaPath)))
        return;
    if (currentMediaPath == engine->medium()) {
        engine->isPlaying() ? PausePlayback() : ResumePlayback();
        return;
    }
    if (mediaKind != MEDIA_BLURAY) // a title's choices come with its pick
        audioTrackIndex = subtitleTrackIndex = -1;
    pageStack->setCurrentIndex(2);
    seekSlider->setEnabled(true);
    seekSlider->setRange(0, int(mediaLengthSeconds));
    seekSlider->setValue(0);
    answerCount = 0;
    seekTarget = 0;
    if (mediaKind != MEDIA_BLURAY) {
        ClearMenu(titleMenu);
        ClearMenu(chapterMenu);
        if (mediaKind == MEDIA_DVD)
            ShowDvdTitles();
    }
    AddRecentFile(currentMediaPath);
    StartEngine();
}

void DRUI::AdoptStandbyEngine(QProcess *engineProcess, const QString &program)
{
    engine->adoptSpare(engineProcess, program);
}

void DRUI::StartEngine()
{
    SaveResumePosition(); // of what played until now
    audioTrackCount = 0;
    subtitleTrackCount = 0;
    reportedLengthSeconds = 0;
    playClockMs = 0;
    clockDisagreements = 0;
    mediumOpened = false;
    mediumEncryption.clear();
    const QList<QAction *> channels = audioChannelMenu->actions();
    for (int i = 0; i < channels.size(); ++i) {
        channels[i]->setCheckable(i == 0);
        channels[i]->setChecked(i == 0);
    }

    EngineLaunch launch;
    launch.windowId = quint64(videoSurface->winId());
    launch.screenshotFolder = dataFolder;
    launch.mediaKind = mediaKind;
    const bool bluray = mediaKind == MEDIA_BLURAY;
    launch.titleChosen = bluray && pick.titleChosen;
    if (const BlurayTitleEntry *title = discTitles.find(pick.currentTitle))
        launch.titleNumber = title->number;
    if (mediaKind == MEDIA_DVD)
        launch.titleNumber = dvdTitle;
    BeginResumeEntry(launch.titleChosen && launch.titleNumber ? *launch.titleNumber : 0);
    launch.mediaPath = currentMediaPath;
    // The engine opens a disc by its absolute device path and needs no
    // folder of the disc's to run in: looking for one would keep the window
    // waiting for a sleeping drive, and an image has none.
    engine->start(EngineProgram(), BuildEngineArguments(launch), currentMediaPath, QString());
    if (!engine->isActive())
        return; // it could not be started; the user is told

    engine->send(EngineCommand::StartVolume, volumeSlider->value());
    // A chapter's start belongs to the title it was chosen for.
    const int startSeconds = bluray ? pick.startSeconds : 0;
    if (startSeconds > 0) {
        engine->send(EngineCommand::Seek, startSeconds);
        playClockMs = qint64(startSeconds) * 1000;
    }
    ApplyFileResume();
    MarkPlayingEntry();
}

void DRUI::ConnectEngine()
{
    connect(engine, &EngineSession::stateChanged, this, &DRUI::PlaybackStateChanged);
    connect(engine, &EngineSession::outputReady, this, &DRUI::MPlayerDataRecieve);
    connect(engine, &EngineSession::endedByItself, this, &DRUI::EngineEndedByItself);
    // Announced while the output waits unread (a pause): saved at once.
    connect(engine, &EngineSession::screenshotAnnounced, this, &DRUI::SaveSnapshot);
    // Told after the start call has returned, never inside it.
    connect(engine, &EngineSession::failedToStart, this, &DRUI::EngineFailedToStart,
            Qt::QueuedConnection);
}

void DRUI::EngineFailedToStart()
{
    if (!engine->isActive())
        StopBtn();
    CMessageBox::Inform(this, Text("Messages/MSG0104"));
}

// Looked at only once a disc failed: then the drive is awake anyway.
bool DRUI::DiscHasGone() const
{
    return mediaKind != MEDIA_FILE && !currentMediaPath.isEmpty() && !QFileInfo::exists(currentMediaPath);
}

void DRUI::EngineEndedByItself(bool failed)
{
    // An engine that ends on its own, without saying so, still ends the
    // playback: the window must not keep showing a playing state. The user
    // learns whether the medium never opened or playback broke off.
    const bool opened = mediumOpened;
    EndOfPlayback();
    if (!opened)
        TellNotPlayed();
    else if (failed)
        CMessageBox::Inform(this, Text("Messages/MSG0110"));
}

void DRUI::EndOfMedium()
{
    // The engine gives up on a medium it cannot open with the same line it
    // ends a medium with; only one that opened has been played.
    const bool opened = mediumOpened;
    EndOfPlayback();
    if (!opened)
        TellNotPlayed();
    else
        ForgetResumePosition(); // seen to the end: next time from the start
    if (opened && mediaKind == MEDIA_BLURAY)
        PlayAllGoesOn(1);
}

void DRUI::TellNotPlayed()
{
    // An encrypted disc says which encryption; a disc is no file.
    if (DiscHasGone())
        CMessageBox::Inform(this, Text("Messages/MSG0130"));
    else if (!mediumEncryption.isEmpty())
        CMessageBox::Inform(this, Text("Messages/MSG0108").arg(mediumEncryption));
    else
        CMessageBox::Inform(this, Text(mediaKind == MEDIA_FILE ? "Messages/MSG0105" : "Messages/MSG0107"));
}

void DRUI::DoRefreshGui()
{
    if (!engine->isPlaying())
        return;
    playClockMs += ClockStepMs;
    SaveResumePositionNowAndThen();
    ShowWindowTitle(); // the episode may have changed
    engine->send(EngineCommand::GetLength);
    engine->send(EngineCommand::GetPosition);
}

void DRUI::MPlayerDataRecieve()
{
    const quint64 run = engine->run();
    QByteArray line;
    for (int handled = 0; handled < LinesPerTurn; ++handled) {
        if (!engine->readLine(line))
            return;
        HandleEngineLine(line);
        if (engine->run() != run)
            return; // the line ended this engine's life
    }
    QTimer::singleShot(0, this, &DRUI::MPlayerDataRecieve);
}

void DRUI::HandleEngineLine(const QByteArray &line)
{
    switch (ClassifyEngineLine(line)) {
    case EngineLineKind::PositionAnswer:
        if (const auto engineSeconds = PositionAnswerSeconds(line))
            playClockMs = FollowEngineClock(playClockMs, *engineSeconds, clockDisagreements);
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
        mediumOpened = true;
        audioTrackCount = 0;
        subtitleTrackCount = 0;
        break;
    case EngineLineKind::EndOfFile:
        EndOfMedium();
        break;
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
        SaveSnapshot(line);
        break;
    case EngineLineKind::Encrypted:
        mediumEncryption = EncryptionScheme(line);
        break;
    case EngineLineKind::PercentAnswer:
    case EngineLineKind::Other:
        break;
    }
}

void DRUI::HandleLengthAnswer(const QByteArray &line)
{
    const qint64 length = LengthAnswerSeconds(line);
    reportedLengthSeconds = length;
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
        engine->send(EngineCommand::SubDemux, subtitleTrackIndex);
        checkOnly(subtitleTrackMenu, subtitleTrackIndex + 1);
    }
    if (audioTrackIndex >= 0) {
        engine->send(EngineCommand::SwitchAudio, audioTrackIndex);
        checkOnly(audioTrackMenu, audioTrackIndex + 1);
    }
    auto rebuild = [](QMenu *menu, int count, const char *labelKey, bool checkFirstStream) {
        ClearMenu(menu);
        QAction *disable = menu->addAction(Text("MainWnd/Disable"));
        disable->setData(0);
        disable->setCheckable(!checkFirstStream);
        disable->setChecked(!checkFirstStream);
        for (int k = 1; k <= count; ++k) {
            QAction *entry = menu->addAction(Text(labelKey).arg(k));
            entry->setData(k);
            if (k == 1 && checkFirstStream) {
                entry->setCheckable(true);
                entry->setChecked(true);
            }
        }
    };
    if (audioTrackCount > 0 && audioTrackMenu->actions().size() != audioTrackCount + 1) {
        rebuild(audioTrackMenu, audioTrackCount, "MainWnd/AudioNumber", true);
        // A track chosen before (a resumed file's) stays the one that plays.
        const bool chosen = audioTrackIndex >= 0 && audioTrackIndex < audioTrackCount;
        engine->send(EngineCommand::KeepSwitchAudio, chosen ? audioTrackIndex : 0);
        if (chosen)
            checkOnly(audioTrackMenu, audioTrackIndex + 1);
    }
    if (subtitleTrackCount > 0 && subtitleTrackMenu->actions().size() != subtitleTrackCount + 1) {
        rebuild(subtitleTrackMenu, subtitleTrackCount, "MainWnd/SubtitleNumber", false);
        if (subtitleTrackIndex >= 0 && subtitleTrackIndex < subtitleTrackCount)
            checkOnly(subtitleTrackMenu, subtitleTrackIndex + 1);
    }
}
