#include "platform/PowerInhibitor.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>

namespace {

const QString AppName = QStringLiteral("Vantorel");
const QString Reason = QStringLiteral("Playing media");
const QString ScreenSaverService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString LoginService = QStringLiteral("org.freedesktop.login1");
constexpr int CallTimeoutMs = 1000;

bool serviceAvailable(const QDBusConnection &bus, const QString &service)
{
    if (!bus.isConnected() || !bus.interface())
        return false;
    const QDBusReply<bool> reply = bus.interface()->isServiceRegistered(service);
    return reply.isValid() && reply.value();
}

} // namespace

PowerInhibitor::PowerInhibitor()
{
    QDBusConnection session = QDBusConnection::sessionBus();
    if (serviceAvailable(session, ScreenSaverService)) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            ScreenSaverService, QStringLiteral("/org/freedesktop/ScreenSaver"),
            ScreenSaverService, QStringLiteral("Inhibit"));
        call << AppName << Reason;
        const QDBusReply<uint> reply = session.call(call, QDBus::Block, CallTimeoutMs);
        if (reply.isValid())
            m_screenSaverCookie = reply.value();
    }

    QDBusConnection system = QDBusConnection::systemBus();
    if (serviceAvailable(system, LoginService)) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            LoginService, QStringLiteral("/org/freedesktop/login1"),
            QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
        call << QStringLiteral("idle:sleep") << AppName << Reason << QStringLiteral("block");
        const QDBusReply<QDBusUnixFileDescriptor> reply = system.call(call, QDBus::Block, CallTimeoutMs);
        if (reply.isValid())
            m_sleepLock = reply.value();
    }
}

PowerInhibitor::~PowerInhibitor()
{
    if (m_screenSaverCookie == 0)
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        ScreenSaverService, QStringLiteral("/org/freedesktop/ScreenSaver"),
        ScreenSaverService, QStringLiteral("UnInhibit"));
    call << m_screenSaverCookie;
    QDBusConnection::sessionBus().call(call, QDBus::NoBlock);
}
