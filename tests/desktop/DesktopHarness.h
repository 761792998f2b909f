#pragma once

// The real program as the desktop meets it: started with arguments, started
// again, and driven over a session bus of the test's own.
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMetaType>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace Desktop {

inline const QString Program = QStringLiteral(VANTOREL_PROGRAM_DIR "/vantorel");
inline const QString Service = QStringLiteral("org.mpris.MediaPlayer2.vantorel");
inline const QString ObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
inline const QString PlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

// A session bus for the whole test run, so no other player and no desktop
// answer in our place.
class PrivateBus
{
public:
    bool start()
    {
        m_daemon.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
        if (!m_daemon.waitForStarted() || !m_daemon.waitForReadyRead(10000))
            return false;
        m_address = m_daemon.readLine().trimmed();
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_address);
        return true;
    }
    ~PrivateBus()
    {
        m_daemon.kill();
        m_daemon.waitForFinished();
    }
    QByteArray address() const { return m_address; }

private:
    QProcess m_daemon;
    QByteArray m_address;
};

// A home, data and runtime folder of the case's own: no socket of another
// run answers, no recent list of another run is read.
struct Session
{
    QTemporaryDir dir;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();

    Session()
    {
        QDir(dir.path()).mkpath("run");
        QFile::setPermissions(dir.filePath("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        env.insert("HOME", dir.path());
        env.insert("XDG_RUNTIME_DIR", dir.filePath("run"));
        env.insert("XDG_DATA_HOME", dir.filePath("data"));
        env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("LANGUAGE", "en");
        env.insert("LC_ALL", "C.UTF-8");
    }
    QString socket() const { return dir.filePath("run/Vantorel_2020"); }

    std::unique_ptr<QProcess> start(const QStringList &arguments, const QString &folder = QString())
    {
        auto program = std::make_unique<QProcess>();
        program->setProcessEnvironment(env);
        program->setWorkingDirectory(folder.isEmpty() ? dir.path() : folder);
        program->start(Program, arguments);
        return program;
    }
    // The first instance, once it answers later starts.
    std::unique_ptr<QProcess> startFirst(const QStringList &arguments = {})
    {
        auto first = start(arguments);
        if (!first->waitForStarted() || !QTest::qWaitFor([&] { return QFileInfo::exists(socket()); }, 20000))
            qWarning("the first instance never listened");
        return first;
    }
    // A later start, run to its end; its standard error in errors.
    int startAgain(const QStringList &arguments, const QString &folder = QString(), QByteArray *errors = nullptr)
    {
        auto later = start(arguments, folder);
        if (!later->waitForFinished(30000))
            return -1;
        if (errors)
            *errors = later->readAllStandardError();
        return later->exitStatus() == QProcess::NormalExit ? later->exitCode() : -1;
    }
    static void end(QProcess &program)
    {
        program.terminate();
        if (!program.waitForFinished(10000))
            program.kill();
    }
};

// The player's MPRIS object, seen from another process.
class Mpris
{
public:
    QVariant property(const QString &name, const QString &interface = PlayerInterface) const
    {
        QDBusInterface properties(Service, ObjectPath, "org.freedesktop.DBus.Properties");
        const QDBusReply<QDBusVariant> reply = properties.call("Get", interface, name);
        return reply.isValid() ? reply.value().variant() : QVariant();
    }
    QVariantMap metadata() const
    {
        QVariantMap map;
        property("Metadata").value<QDBusArgument>() >> map;
        return map;
    }
    QString status() const { return property("PlaybackStatus").toString(); }
    qint64 positionUs() const { return property("Position").toLongLong(); }
    QString url() const { return metadata().value("xesam:url").toString(); }
    QString trackId() const { return metadata().value("mpris:trackid").value<QDBusObjectPath>().path(); }
    bool call(const QString &method, const QVariantList &arguments = {}) const
    {
        QDBusInterface player(Service, ObjectPath, PlayerInterface);
        return player.callWithArgumentList(QDBus::Block, method, arguments).type() != QDBusMessage::ErrorMessage;
    }
    bool set(const QString &name, const QVariant &value) const
    {
        QDBusInterface properties(Service, ObjectPath, "org.freedesktop.DBus.Properties");
        return properties.call("Set", PlayerInterface, name, QVariant::fromValue(QDBusVariant(value))).type()
            != QDBusMessage::ErrorMessage;
    }
    bool present() const
    {
        return QDBusConnection::sessionBus().interface()->isServiceRegistered(Service).value();
    }
};

inline QString FileUrl(const QString &path)
{
    return QUrl::fromLocalFile(path).toString();
}

} // namespace Desktop
