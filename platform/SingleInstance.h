#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;
class QLocalSocket;
class QLockFile;

// What a later start tells the first over the socket: bring the window back,
// then open these paths. A path travels as its bytes with their length in
// front, so newlines and any other bytes in it arrive as they left.
//
//   restore\n                      nothing to open
//   open <count>\n                 then per path: <length>\n<bytes>\n
//   end\n
//
// The first answers "ok\n" once it has the whole message.
namespace InstanceMessage {

constexpr int MaxPaths = 100000;
constexpr int MaxPathBytes = 65536;
constexpr qsizetype MaxMessageBytes = 16 * 1024 * 1024;
inline const QByteArray Acknowledgement = QByteArrayLiteral("ok\n");

QByteArray Encode(const QList<QByteArray> &paths);

enum class Status {
    Incomplete, // a message has begun; more must come
    Invalid,    // not a message of ours, or over a limit
    Complete,
};
struct Decoded
{
    Status status = Status::Incomplete;
    QList<QByteArray> paths;
};
// Reads the message at the start of bytes; whatever follows it is ignored.
Decoded Decode(const QByteArray &bytes);

// The paths a first instance may act on: absolute, valid UTF-8, no NUL byte.
// Any other is left out: decoded by force it could name a file the sender
// never named.
QStringList OpenablePaths(const QList<QByteArray> &paths);

} // namespace InstanceMessage

// One player per user. The first instance listens on a local socket that only
// its user can reach; a later one hands its request over and ends.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    explicit SingleInstance(const QString &name = QStringLiteral("Vantorel_2020"),
                            QObject *parent = nullptr);
    ~SingleInstance() override;

    enum class Handover {
        First,      // no other instance: this one is the first and holds the lock
        HandedOver, // the first instance has the request
        NoAnswer,   // the first holds the lock but never took or confirmed the request
    };
    // Needs no application object, so a later start ends before making one.
    // A server that cannot be reached or created counts as no other instance.
    Handover handOver(const QList<QByteArray> &paths = {});
    // The first instance answers later starts from now on (the application
    // object must exist).
    void listen();

    // handOver() with nothing to open, then listen() when this is the first.
    bool anotherInstanceRunning();

    static QString socketPath(const QString &name);

signals:
    void restoreRequested();
    // After restoreRequested(): the openable paths of the request, in order.
    void openRequested(const QStringList &paths);

private:
    void onConnection();
    void watch(QLocalSocket *client);
    void deliver(const QList<QByteArray> &paths);

    QString m_path;
    QLocalServer *m_server = nullptr;
    // Held for the first instance's whole life: whoever takes it is the
    // first, so two starts at the same moment cannot both decide they are.
    QLockFile *m_lock = nullptr;
    // Oldest first.
    QList<QLocalSocket *> m_clients;
};
