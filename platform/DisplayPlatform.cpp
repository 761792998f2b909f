#include "platform/DisplayPlatform.h"

#include <QtGlobal>

#include <cstdio>
#include <cstdlib>

#include <QByteArray>
#include <QtGlobal>

void PreferX11Platform()
{
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return;
    // Without an X display (no XWayland) xcb would abort start-up; the
    // default platform then still shows the window.
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return;
    qputenv("QT_QPA_PLATFORM", "xcb");
}

namespace {

QtMessageHandler previousHandler = nullptr;

void DisplayMessageHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type != QtFatalMsg) {
        if (previousHandler)
            previousHandler(type, context, message);
        return;
    }
    const QByteArray display = qgetenv("DISPLAY");
    std::fprintf(stderr, "vantorel: cannot open the display%s%s%s\n",
                 display.isEmpty() ? " (DISPLAY is not set" : " \"", display.constData(),
                 display.isEmpty() ? ")" : "\"");
    std::fflush(stderr);
    std::_Exit(1);
}

} // namespace

void ExitCleanlyWithoutDisplay()
{
    previousHandler = qInstallMessageHandler(DisplayMessageHandler);
}

void DisplayIsOpen()
{
    qInstallMessageHandler(previousHandler);
}
