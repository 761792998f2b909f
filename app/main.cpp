#include "app/LogHandler.h"
#include "platform/DisplayPlatform.h"
#include "platform/SingleInstance.h"
#include "ui/DRUI.h"

#include <QApplication>

#include <memory>

int main(int argc, char *argv[])
{
    PreferX11Platform();
    ExitCleanlyWithoutDisplay();
    QApplication app(argc, argv);
    DisplayIsOpen();
    // Only the main window's close event ends the program; closing a
    // dialog never does.
    QApplication::setQuitOnLastWindowClosed(false);
    InstallLogHandler();

    SingleInstance instance;
    if (instance.anotherInstanceRunning())
        return 0;

    auto window = std::make_unique<DRUI>();
    QObject::connect(&instance, &SingleInstance::restoreRequested,
                     window.get(), &DRUI::RestoreWindow);
    window->BuildPages();
    window->show();
    app.exec();
    window.reset();
    return 0;
}
