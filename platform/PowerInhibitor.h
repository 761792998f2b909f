#pragma once

#include <QDBusUnixFileDescriptor>
#include <QObject>

class QDBusPendingCallWatcher;

// Keeps the screen saver and idle sleep away while it is active (the window
// makes it active while something plays). The D-Bus calls never block the
// caller; a missing bus or service is ignored: nothing is inhibited then.
class PowerInhibitor : public QObject
{
    Q_OBJECT
public:
    explicit PowerInhibitor(QObject *parent = nullptr);
    ~PowerInhibitor() override;

    void setActive(bool active);
    bool isActive() const { return m_active; }

    bool screenSaverInhibited() const { return m_screenSaverCookie != 0; }
    bool sleepInhibited() const { return m_sleepLock.isValid(); }

private:
    void inhibitScreenSaver();
    void inhibitSleep();
    void screenSaverAnswered(QDBusPendingCallWatcher *watcher);
    void sleepAnswered(QDBusPendingCallWatcher *watcher);
    void releaseScreenSaver();

    bool m_active = false;
    bool m_screenSaverAsked = false; // an Inhibit call awaits its answer
    bool m_sleepAsked = false;
    uint m_screenSaverCookie = 0;
    QDBusUnixFileDescriptor m_sleepLock; // the inhibition ends when it is closed
};
