#include "platform/SingleInstance.h"
#include "platform/PrivateFolder.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QThread>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

const QByteArray RestoreLine = QByteArrayLiteral("restore\n");
const QByteArray EndLine = QByteArrayLiteral("end\n");
// How long a later start waits for a first one that holds the lock but is
// not listening yet (it is between taking the lock and listening).
constexpr int FirstListensWithinMs = 5000;
constexpr int RetryMs = 50;
// How long a later start waits for the first to take and confirm its
// message, and how long the first gives a client to send one.
constexpr int AnswerWithinMs = 10000;
constexpr int ClientMayTakeMs = 5000;
// Connections the first keeps at once; a new one pushes out the oldest, so
// that a crowd of silent ones cannot keep a real later start out.
constexpr int MaxClients = 32;
constexpr qsizetype SmallMessageBytes = 4096;

// A line of at most maxLength bytes at pos, without its "\n"; pos moves past
// it. Incomplete when no "\n" came yet, Invalid when the line is too long.
InstanceMessage::Status ReadLine(const QByteArray &bytes, qsizetype &pos, int maxLength,
                                 QByteArray &line)
{
    const qsizetype end = bytes.indexOf('\n', pos);
    const qsizetype available = (end < 0 ? bytes.size() : end) - pos;
    if (available > maxLength)
        return InstanceMessage::Status::Invalid;
    if (end < 0)
        return InstanceMessage::Status::Incomplete;
    line = bytes.mid(pos, end - pos);
    pos = end + 1;
    return InstanceMessage::Status::Complete;
}

// Plain decimal digits, no sign, no leading zero, at most limit.
bool ReadNumber(const QByteArray &text, int limit, int &value)
{
    if (text.isEmpty() || text.size() > 9 || (text.size() > 1 && text[0] == '0'))
        return false;
    qint64 number = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        number = number * 10 + (c - '0');
    }
    if (number > limit)
        return false;
    value = int(number);
    return true;
}

using InstanceMessage::Decoded;
using InstanceMessage::Status;

Decoded Fail(Status status)
{
    return Decoded{status, {}};
}

Decoded DecodeOpen(const QByteArray &bytes, qsizetype pos, int count)
{
    Decoded message{Status::Complete, {}};
    message.paths.reserve(qMin(count, 1024));
    QByteArray line;
    for (int i = 0; i < count; ++i) {
        const Status status = ReadLine(bytes, pos, 9, line);
        int length = 0;
        if (status != Status::Complete)
            return Fail(status);
        if (!ReadNumber(line, InstanceMessage::MaxPathBytes, length))
            return Fail(Status::Invalid);
        if (bytes.size() < pos + length + 1)
            return Fail(Status::Incomplete);
        if (bytes[pos + length] != '\n')
            return Fail(Status::Invalid);
        message.paths.append(bytes.mid(pos, length));
        pos += length + 1;
    }
    if (bytes.size() - pos < EndLine.size())
        return EndLine.startsWith(bytes.mid(pos)) ? Fail(Status::Incomplete) : Fail(Status::Invalid);
    return bytes.mid(pos, EndLine.size()) == EndLine ? message : Fail(Status::Invalid);
}

bool PeerIsThisUser(int fd)
{
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::getuid();
}

// A socket file of this user's, not a link or anything of someone else's.
bool IsOwnSocket(const QByteArray &path)
{
    struct stat st{};
    return ::lstat(path.constData(), &st) == 0 && S_ISSOCK(st.st_mode) && st.st_uid == ::getuid();
}

// A connection to the first instance's socket that takes no application
// object: a later start is done before it would have made one.
class Client
{
public:
    ~Client()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }

    // Never blocks: a first instance too busy to take the connection now is
    // tried again by the caller. Only a peer of this user counts.
    bool connectTo(const QString &path, const QDeadlineTimer &deadline)
    {
        const QByteArray name = QFile::encodeName(path);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (name.size() >= qsizetype(sizeof(address.sun_path)) || !IsOwnSocket(name))
            return false;
        std::memcpy(address.sun_path, name.constData(), name.size());
        m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (m_fd < 0)
            return false;
        if (::connect(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
            && !(errno == EINPROGRESS && waitFor(POLLOUT, deadline)))
            return false;
        return PeerIsThisUser(m_fd);
    }

    bool send(const QByteArray &bytes, const QDeadlineTimer &deadline)
    {
        qsizetype written = 0;
        while (written < bytes.size()) {
            if (!waitFor(POLLOUT, deadline))
                return false;
            // MSG_NOSIGNAL: a first instance that hangs up must not end us.
            const ssize_t n = ::send(m_fd, bytes.constData() + written, size_t(bytes.size() - written),
                                     MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n < 0 && errno != EAGAIN && errno != EINTR)
                return false;
            written += qMax<ssize_t>(n, 0);
        }
        return true;
    }

    bool confirmed(const QDeadlineTimer &deadline)
    {
        QByteArray answer;
        char buffer[16];
        while (answer.size() < InstanceMessage::Acknowledgement.size() && waitFor(POLLIN, deadline)) {
            const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR))
                break;
            answer.append(buffer, qMax<ssize_t>(n, 0));
        }
        return answer.startsWith(InstanceMessage::Acknowledgement);
    }

private:
    bool waitFor(short events, const QDeadlineTimer &deadline)
    {
        pollfd p{m_fd, events, 0};
        int ready;
        do
            ready = ::poll(&p, 1, int(qMax<qint64>(deadline.remainingTime(), 0)));
        while (ready < 0 && errno == EINTR);
        return ready == 1 && (p.revents & events);
    }

    int m_fd = -1;
};

} // namespace

QByteArray InstanceMessage::Encode(const QList<QByteArray> &paths)
{
    if (paths.isEmpty())
        return RestoreLine;
    QByteArray message = "open " + QByteArray::number(paths.size()) + '\n';
    for (const QByteArray &path : paths)
        message += QByteArray::number(path.size()) + '\n' + path + '\n';
    return message + EndLine;
}

InstanceMessage::Decoded InstanceMessage::Decode(const QByteArray &bytes)
{
    if (bytes.startsWith(RestoreLine))
        return Decoded{Status::Complete, {}};
    if (RestoreLine.startsWith(bytes))
        return Fail(Status::Incomplete);
    qsizetype pos = 0;
    QByteArray line;
    const Status status = ReadLine(bytes, pos, 16, line);
    if (status != Status::Complete)
        return Fail(bytes.startsWith("open ") || QByteArray("open ").startsWith(bytes) ? status
                                                                                     : Status::Invalid);
    int count = 0;
    if (!line.startsWith("open ") || !ReadNumber(line.mid(5), MaxPaths, count) || count == 0)
        return Fail(Status::Invalid);
    return DecodeOpen(bytes, pos, count);
}

QStringList InstanceMessage::OpenablePaths(const QList<QByteArray> &paths)
{
    QStringList openable;
    for (const QByteArray &bytes : paths) {
        if (!bytes.startsWith('/') || bytes.contains('\0'))
            continue;
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString path = utf8(bytes);
        if (!utf8.hasError())
            openable << path;
    }
    return openable;
}

SingleInstance::SingleInstance(const QString &name, QObject *parent)
    : QObject(parent), m_path(socketPath(name))
{
}

QString SingleInstance::socketPath(const QString &name)
{
    if (QDir::isAbsolutePath(name))
        return name;
    const QString folder = InstanceFolder(name);
    return folder.isEmpty() ? QString() : folder + QLatin1Char('/') + name;
}

SingleInstance::~SingleInstance()
{
    delete m_server;
    delete m_lock; // unlocks
}

SingleInstance::Handover SingleInstance::handOver(const QList<QByteArray> &paths)
{
    const QString lockPath = m_path + QStringLiteral(".lock");
    // No private place for the socket, or a lock someone else put there:
    // nothing to trust, as if alone.
    if (m_path.isEmpty() || !IsMissingOrOwn(lockPath))
        return Handover::First;
    m_lock = new QLockFile(lockPath);
    // Only a lock whose process is gone is stale, however old it is.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0) || m_lock->error() != QLockFile::LockFailedError)
        return Handover::First; // a lock that cannot be made: as if alone
    // Another instance holds it; it may still be setting up.
    const QByteArray message = InstanceMessage::Encode(paths);
    const QDeadlineTimer listening(FirstListensWithinMs);
    do {
        Client client;
        const QDeadlineTimer answer(AnswerWithinMs);
        if (client.connectTo(m_path, answer)) {
            const bool sent = client.send(message, answer);
            return sent && client.confirmed(answer) ? Handover::HandedOver : Handover::NoAnswer;
        }
        QThread::msleep(RetryMs);
    } while (!listening.hasExpired());
    // The lock is held, so its holder lives: it is the first even though it
    // has not listened yet, and its socket is not ours to take over.
    return Handover::NoAnswer;
}

void SingleInstance::listen()
{
    // Only the holder of the lock is the first: for it, a socket file left
    // by a crashed instance is stale. Without the lock, the socket (even
    // one that is not there yet) may be another instance's: leave it be.
    if (m_path.isEmpty() || !m_lock || !m_lock->isLocked())
        return;
    QLocalServer::removeServer(m_path);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::onConnection);
    m_server->listen(m_path);
}

bool SingleInstance::anotherInstanceRunning()
{
    if (handOver() != Handover::First)
        return true;
    listen();
    return false;
}

void SingleInstance::onConnection()
{
    while (QLocalSocket *client = m_server->nextPendingConnection()) {
        connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        // Nothing is read from, or sent to, another user's process.
        if (!PeerIsThisUser(int(client->socketDescriptor()))) {
            client->abort();
            continue;
        }
        connect(client, &QObject::destroyed, this, [this, client] { m_clients.removeOne(client); });
        m_clients.append(client);
        if (m_clients.size() > MaxClients)
            m_clients.takeFirst()->abort();
        watch(client);
    }
}

void SingleInstance::watch(QLocalSocket *client)
{
    // A client that sends nothing, or never finishes, is let go.
    QTimer::singleShot(ClientMayTakeMs, client, [client] { client->abort(); });
    auto *received = new QByteArray;
    connect(client, &QObject::destroyed, this, [received] { delete received; });
    connect(client, &QLocalSocket::readyRead, this, [this, client, received] {
        received->append(client->readAll());
        // Garbage shows in the message's head; the whole is read only when
        // it may be complete, not again with every piece of a long one.
        const bool refused = received->size() > InstanceMessage::MaxMessageBytes
            || InstanceMessage::Decode(received->left(SmallMessageBytes)).status
                == InstanceMessage::Status::Invalid;
        if (!refused && received->size() > SmallMessageBytes && !received->endsWith(EndLine))
            return;
        const InstanceMessage::Decoded message = InstanceMessage::Decode(*received);
        if (message.status == InstanceMessage::Status::Incomplete && !refused)
            return;
        if (message.status != InstanceMessage::Status::Complete) {
            client->abort();
            return;
        }
        client->write(InstanceMessage::Acknowledgement);
        client->disconnectFromServer();
        received->clear();
        disconnect(client, &QLocalSocket::readyRead, this, nullptr);
        // Acted on once this handler has returned: opening may show a
        // message and run an event loop of its own.
        QTimer::singleShot(0, this, [this, paths = message.paths] { deliver(paths); });
    });
}

void SingleInstance::deliver(const QList<QByteArray> &paths)
{
    emit restoreRequested();
    const QStringList openable = InstanceMessage::OpenablePaths(paths);
    if (!openable.isEmpty())
        emit openRequested(openable);
}
