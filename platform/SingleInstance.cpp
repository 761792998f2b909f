#include "platform/SingleInstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

#include <unistd.h>

namespace {
const QByteArray RestoreRequest = "restore\n";
constexpr int ConnectTimeoutMs = 1000;
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

bool SingleInstance::anotherInstanceRunning()
{
    QLocalSocket probe;
    probe.connectToServer(m_path);
    if (probe.waitForConnected(ConnectTimeoutMs)) {
        probe.write(RestoreRequest);
        probe.waitForBytesWritten(ConnectTimeoutMs);
        probe.disconnectFromServer();
        return true;
    }
    // Nobody answers: a socket file left by a crashed instance is stale.
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
