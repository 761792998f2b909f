// The power inhibitor against real D-Bus peers: a private bus daemon that
// stands for both the session and the system bus, with a screen saver and a
// login manager served by this test.
#include "platform/PowerInhibitor.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusUnixFileDescriptor>
#include <QProcess>
#include <QtTest>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

class FakeScreenSaver : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    QSet<uint> held;
    uint next = 41;
public slots:
    uint Inhibit(const QString &, const QString &)
    {
        held.insert(++next);
        return next;
    }
    void UnInhibit(uint cookie) { held.remove(cookie); }
};

class FakeLogin : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public:
    QList<int> writeEnds; // one per lock handed out
    QStringList whats;
    // Held while nobody has closed the read end handed out.
    int held() const
    {
        int open = 0;
        for (int fd : writeEnds) {
            pollfd p{fd, POLLOUT, 0};
            open += poll(&p, 1, 0) == 1 && !(p.revents & POLLERR);
        }
        return open;
    }
public slots:
    QDBusUnixFileDescriptor Inhibit(const QString &what, const QString &, const QString &,
                                    const QString &)
    {
        int ends[2];
        if (pipe2(ends, O_CLOEXEC) != 0)
            return {};
        whats << what;
        writeEnds << ends[1];
        QDBusUnixFileDescriptor lock(ends[0]);
        close(ends[0]);
        return lock;
    }
};

class TestPowerInhibitor : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void inhibitsOnlyWhileActive();
    void answersThatComeAfterTheStopAreReleased();
    void withoutServicesNothingHappens();

private:
    FakeScreenSaver m_screenSaver;
    FakeLogin m_login;
};

void TestPowerInhibitor::initTestCase()
{
    QDBusConnection peer = QDBusConnection::connectToBus(qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"),
                                                         QStringLiteral("peer"));
    QVERIFY(peer.isConnected());
    QVERIFY(peer.registerObject("/org/freedesktop/ScreenSaver", &m_screenSaver,
                                QDBusConnection::ExportAllSlots));
    QVERIFY(peer.registerObject("/org/freedesktop/login1", &m_login, QDBusConnection::ExportAllSlots));
    QVERIFY(peer.registerService("org.freedesktop.ScreenSaver"));
    QVERIFY(peer.registerService("org.freedesktop.login1"));
}

void TestPowerInhibitor::inhibitsOnlyWhileActive()
{
    PowerInhibitor inhibitor;
    QVERIFY(!inhibitor.screenSaverInhibited());
    inhibitor.setActive(true);
    QTRY_VERIFY(inhibitor.screenSaverInhibited() && inhibitor.sleepInhibited());
    QCOMPARE(m_screenSaver.held.size(), 1);
    QCOMPARE(m_login.held(), 1);
    QCOMPARE(m_login.whats.last(), QStringLiteral("idle:sleep"));
    inhibitor.setActive(true); // no second inhibition
    QTest::qWait(200);
    QCOMPARE(m_screenSaver.held.size(), 1);
    inhibitor.setActive(false);
    QVERIFY(!inhibitor.screenSaverInhibited() && !inhibitor.sleepInhibited());
    QTRY_COMPARE(m_screenSaver.held.size(), 0);
    QCOMPARE(m_login.held(), 0);
    // Again, and then gone with its owner.
    {
        PowerInhibitor again;
        again.setActive(true);
        QTRY_VERIFY(again.screenSaverInhibited() && again.sleepInhibited());
        QCOMPARE(m_login.held(), 1);
    }
    QTRY_COMPARE(m_screenSaver.held.size(), 0);
    QCOMPARE(m_login.held(), 0);
}

void TestPowerInhibitor::answersThatComeAfterTheStopAreReleased()
{
    PowerInhibitor inhibitor;
    // Play, pause, play, stop faster than the bus answers.
    inhibitor.setActive(true);
    inhibitor.setActive(false);
    inhibitor.setActive(true);
    inhibitor.setActive(false);
    QTest::qWait(500);
    QCOMPARE(m_screenSaver.held.size(), 0);
    QCOMPARE(m_login.held(), 0);
    QVERIFY(!inhibitor.screenSaverInhibited() && !inhibitor.sleepInhibited());
    inhibitor.setActive(true);
    inhibitor.setActive(false);
    inhibitor.setActive(true);
    QTRY_VERIFY(inhibitor.screenSaverInhibited() && inhibitor.sleepInhibited());
    QTest::qWait(300);
    QCOMPARE(m_screenSaver.held.size(), 1);
    QCOMPARE(m_login.held(), 1);
}

void TestPowerInhibitor::withoutServicesNothingHappens()
{
    QDBusConnection peer = QDBusConnection::connectToBus(QString(), QStringLiteral("peer"));
    QVERIFY(peer.unregisterService("org.freedesktop.ScreenSaver"));
    QVERIFY(peer.unregisterService("org.freedesktop.login1"));
    PowerInhibitor inhibitor;
    QElapsedTimer clock;
    clock.start();
    inhibitor.setActive(true);
    inhibitor.setActive(false);
    inhibitor.setActive(true);
    QVERIFY(clock.elapsed() < 1000); // the calls never wait for an answer
    QTest::qWait(300);
    QVERIFY(!inhibitor.screenSaverInhibited() && !inhibitor.sleepInhibited());
}

int main(int argc, char *argv[])
{
    // A bus of the test's own, standing for both buses.
    QProcess daemon;
    daemon.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
    if (!daemon.waitForStarted() || !daemon.waitForReadyRead(10000)) {
        qWarning("dbus-daemon could not be started");
        return 1;
    }
    const QByteArray address = daemon.readLine().trimmed();
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", address);
    int status = 0;
    {
        QCoreApplication app(argc, argv);
        TestPowerInhibitor test;
        status = QTest::qExec(&test, argc, argv);
    }
    daemon.kill();
    daemon.waitForFinished();
    return status;
}

#include "tst_power_inhibitor.moc"
