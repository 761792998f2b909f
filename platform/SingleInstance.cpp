#include "platform/SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QThread>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

#include <unistd.h>

namespace {
const QByteArray RestoreRequest = "restore\n";
constexpr int ConnectTimeoutMs = 1000;
// How long a later start waits for a first one that holds the lock but is
// not listening yet (it is between taking the lock and listening).
constexpr int FirstListensWithinMs = 5000;
constexpr int RetryMs = 50;
}

SingleInstance::SingleInstance(const QString &name, QObject *parent)
    : QObject(parent), m_path(socketPath(name))
{
}

QString SingleInstance::socketPath(const QString &name)
{
    // The runtime folder is private to the user; without one, the user id in
    // the name keeps users apart in the shared temporary folder.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty())
        return QDir(runtime).filePath(name);
    return QDir::temp().filePath(name + QLatin1Char('-') + QString::number(getuid()));
}

SingleInstance::~SingleInstance()
{
    delete m_server;
    delete m_lock; // unlocks
}

bool SingleInstance::askTheFirst()
{
    QLocalSocket probe;
    probe.connectToServer(m_path);
    if (!probe.waitForConnected(ConnectTimeoutMs))
        return false;
    probe.write(RestoreRequest);
    probe.waitForBytesWritten(ConnectTimeoutMs);
    probe.disconnectFromServer();
    return true;
}

bool SingleInstance::anotherInstanceRunning()
{
    m_lock = new QLockFile(m_path + QStringLiteral(".lock"));
    // Only a lock whose process is gone is stale, however old it is.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        if (m_lock->error() == QLockFile::LockFailedError) {
            // Another instance holds it; it may still be setting up.
            QDeadlineTimer deadline(FirstListensWithinMs);
            do {
                if (askTheFirst())
                    return true;
                QThread::msleep(RetryMs);
            } while (!deadline.hasExpired());
        }
        // An instance that never answers, or a lock that cannot be made:
        // as if there were no other instance.
    }
    // We are the first: a socket file left by a crashed instance is stale.
    QLocalServer::removeServer(m_path);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::onConnection);
    m_server->listen(m_path);
    return false;
}

void SingleInstance::onConnection()
{
    while (QLocalSocket *client = m_server->nextPendingConnection()) {
        connect(client, &QLocalSocket::readyRead, this, [this, client] {
            if (client->readAll().contains(RestoreRequest.trimmed()))
                emit restoreRequested();
        });
        connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
    }
}
