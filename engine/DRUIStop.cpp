// Ending playback.
#include "ui/DRUI.h"

#include <QProcess>
#include <QStackedLayout>
#include <QTimer>

namespace {
constexpr int EngineExitWaitMs = 1000;
}

void DRUI::StopEngine()
{
    if (!engineProcess)
        return;
    refreshTimer->stop();
    engineProcess->write("q\n");
    stopped = true;
    engineProcess->kill();
    engineProcess->waitForFinished(EngineExitWaitMs);
    delete engineProcess;
    engineProcess = nullptr;
}

void DRUI::StopPlayback()
{
    StopEngine();
    playing = false;
    playingPath.clear();
    if (pageStack)
        pageStack->setCurrentIndex(0);
}

void DRUI::StopBtn()
{
    StopPlayback();
}
