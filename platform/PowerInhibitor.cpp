#include "platform/PowerInhibitor.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

const QString AppName = QStringLiteral("Vantorel");
const QString Reason = QStringLiteral("Playing media");
const QString ScreenSaverService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString ScreenSaverPath = QStringLiteral("/org/freedesktop/ScreenSaver");
const QString LoginService = QStringLiteral("org.freedesktop.login1");
constexpr int CallTimeoutMs = 5000;

} // namespace

PowerInhibitor::PowerInhibitor(QObject *parent)
    : QObject(parent)
{
}

PowerInhibitor::~PowerInhibitor()
{
    releaseScreenSaver();
}

void PowerInhibitor::setActive(bool active)
{
    if (m_active == active)
        return;
    m_active = active;
    if (active) {
        inhibitScreenSaver();
        inhibitSleep();
        return;
    }
    releaseScreenSaver();
    m_sleepLock = QDBusUnixFileDescriptor();
}

void PowerInhibitor::inhibitScreenSaver()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (m_screenSaverAsked || m_screenSaverCookie != 0 || !bus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(ScreenSaverService, ScreenSaverPath,
                                                       ScreenSaverService, QStringLiteral("Inhibit"));
    call << AppName << Reason;
    m_screenSaverAsked = true;
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, CallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, &PowerInhibitor::screenSaverAnswered);
}

void PowerInhibitor::screenSaverAnswered(QDBusPendingCallWatcher *watcher)
{
    watcher->deleteLater();
    m_screenSaverAsked = false;
    const QDBusPendingReply<uint> reply = *watcher;
    if (reply.isError())
        return;
    m_screenSaverCookie = reply.value();
    // Playback may have stopped while the answer was on its way.
    if (!m_active)
        releaseScreenSaver();
}

void PowerInhibitor::releaseScreenSaver()
{
    if (m_screenSaverCookie == 0)
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(ScreenSaverService, ScreenSaverPath,
                                                       ScreenSaverService, QStringLiteral("UnInhibit"));
    call << m_screenSaverCookie;
    m_screenSaverCookie = 0;
    QDBusConnection::sessionBus().call(call, QDBus::NoBlock);
}

void PowerInhibitor::inhibitSleep()
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (m_sleepAsked || m_sleepLock.isValid() || !bus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        LoginService, QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
    call << QStringLiteral("idle:sleep") << AppName << Reason << QStringLiteral("block");
    m_sleepAsked = true;
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, CallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, &PowerInhibitor::sleepAnswered);
}

void PowerInhibitor::sleepAnswered(QDBusPendingCallWatcher *watcher)
{
    watcher->deleteLater();
    m_sleepAsked = false;
    const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *watcher;
    if (reply.isError() || !m_active)
        return; // an unwanted descriptor is closed right here
    m_sleepLock = reply.value();
}
