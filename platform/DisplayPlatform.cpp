#include "platform/DisplayPlatform.h"

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
