#pragma once

#include <QDBusUnixFileDescriptor>

// Keeps the screen saver and idle sleep away for as long as the object lives
// (the player creates one for its whole run). A missing bus or service is
// ignored: the player then simply does not inhibit anything.
class PowerInhibitor
{
public:
    PowerInhibitor();
    ~PowerInhibitor();

    PowerInhibitor(const PowerInhibitor &) = delete;
    PowerInhibitor &operator=(const PowerInhibitor &) = delete;

    bool screenSaverInhibited() const { return m_screenSaverCookie != 0; }
    bool sleepInhibited() const { return m_sleepLock.isValid(); }

private:
    uint m_screenSaverCookie = 0;
    QDBusUnixFileDescriptor m_sleepLock; // released when closed
};
