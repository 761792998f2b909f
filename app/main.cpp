#include "app/CommandLine.h"
#include "app/LogHandler.h"
#include "engine/EngineHeadStart.h"
#include "lang/CLanguageMgr.h"
#include "platform/DisplayPlatform.h"
#include "platform/FontWarmUp.h"
#include "platform/MprisService.h"
#include "platform/ProgramPaths.h"
#include "platform/QuitSignals.h"
#include "platform/SingleInstance.h"
#include "ui/DRUI.h"

#include <QApplication>
#include <QDir>

#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>

namespace {

// A later start: the first instance has what it asked for, or never said so.
int EndAfterHandover(int argc, char **argv, const CommandLine &commandLine,
                     SingleInstance::Handover handover)
{
    if (commandLine.plan.refused.isEmpty() && handover == SingleInstance::Handover::HandedOver)
        return 0; // the usual case ends without an application object
    QCoreApplication texts(argc, argv);
    TellRefusals(commandLine.plan.refused);
    if (handover == SingleInstance::Handover::HandedOver)
        return 0;
    std::fprintf(stderr, "vantorel: %s\n", qPrintable(Text("Messages/MSG0507")));
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    // A write over the file-size limit is then a failed write that the code
    // handles (the list and the probe copy are left as they were), not the end.
    std::signal(SIGXFSZ, SIG_IGN);
    // Relative names are meant from where this start was made; a running
    // instance gets them whole.
    const CommandLine commandLine = ReadCommandLine(argc, argv, QDir::currentPath());
    if (commandLine.finished) {
        std::fputs(commandLine.output.constData(), stdout);
        std::fputs(commandLine.errors.constData(), stderr);
        return commandLine.exitCode;
    }
    PreferX11Platform();
    SingleInstance instance;
    const SingleInstance::Handover handover = instance.handOver(PathBytes(commandLine.plan.paths));
    if (handover != SingleInstance::Handover::First)
        return EndAfterHandover(argc, argv, commandLine, handover);

    // Files to play: the engine starts now and loads while the application
    // and the window are made; the files start before the window is shown.
    // Anything that may bring a message (a folder, a file that cannot be
    // played) waits for the window.
    const bool playsAtOnce = PlaysWithoutAsking(commandLine.plan.paths);
    std::optional<EngineHeadStart> headStart;
    if (playsAtOnce)
        headStart.emplace(EngineProgram());
    WarmUpFonts();
    ExitCleanlyWithoutDisplay();
    QApplication app(argc, argv);
    DisplayIsOpen();
    // Only the main window's close event ends the program; closing a
    // dialog never does.
    QApplication::setQuitOnLastWindowClosed(false);
    QGuiApplication::setDesktopFileName(QStringLiteral("org.vantorel.Vantorel"));
    InstallLogHandler();
    instance.listen();
    TellRefusals(commandLine.plan.refused);

    auto window = std::make_unique<DRUI>();
    // A logout or Ctrl+C closes the window, so where the user stopped is kept.
    QuitGracefullyOnSignals(window.get(), [w = window.get()] { w->close(); });
    QObject::connect(&instance, &SingleInstance::restoreRequested,
                     window.get(), &DRUI::RestoreWindow);
    QObject::connect(&instance, &SingleInstance::openRequested,
                     window.get(), &DRUI::OpenFromDesktop);
    if (headStart)
        window->AdoptStandbyEngine(headStart->take(), headStart->program());
    window->BuildPages();
    if (playsAtOnce)
        window->OpenFromDesktop(commandLine.plan.paths);
    window->show();
    window->TellMissingLanguageFile();
    if (!playsAtOnce)
        window->OpenFromDesktop(commandLine.plan.paths);
    MprisService mpris(window.get());
    QObject::connect(window.get(), &DRUI::PlaybackChanged, &mpris, &MprisService::refresh);
    mpris.publish();
    app.exec();
    window.reset();
    return 0;
}
