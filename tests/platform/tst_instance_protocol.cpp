// The single-instance message: encoding and decoding of any path, and a first
// instance that meets garbage, half messages, silence and floods.
#include "platform/SingleInstance.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using InstanceMessage::Decode;
using InstanceMessage::Encode;
using InstanceMessage::Status;

namespace {

QList<QByteArray> Awkward()
{
    QByteArray everyByte;
    for (int b = 1; b < 256; ++b)
        everyByte.append(char(b));
    return {QByteArray("/home/a/film.mkv"), QByteArray("/x/line\nbreak\n\nend\n"),
            QByteArray("/x/\xff\xfe not utf-8"), QByteArray("/x/") + QByteArray(60000, 'l'),
            QByteArray("/x/open 3\n1\nrestore\n"), "/" + everyByte, QByteArray("/x/ünïcødé 映画.mkv"),
            QByteArray()};
}

// A later start blocks until the first confirms, so it runs beside the
// test's own event loop, where the first instance answers.
SingleInstance::Handover HandOverFromElsewhere(const QString &name, const QList<QByteArray> &paths)
{
    SingleInstance::Handover result = SingleInstance::Handover::First;
    std::unique_ptr<QThread> later(QThread::create([&] { result = SingleInstance(name).handOver(paths); }));
    later->start();
    if (!QTest::qWaitFor([&] { return later->isFinished(); }, 30000))
        qFatal("the later start never ended");
    return result;
}

// The uid of a local account made for the test (root only), or -1.
int Account(const char *name)
{
    if (::getuid() == 0 && !getpwnam(name))
        std::system((std::string("useradd --system -M -s /usr/sbin/nologin ") + name).c_str());
    const passwd *account = ::getuid() == 0 ? getpwnam(name) : nullptr;
    return account ? int(account->pw_uid) : -1;
}

void Chown(const QString &path, int uid)
{
    QVERIFY(::lchown(QFile::encodeName(path).constData(), uid, uid) == 0);
}

// A later start made as uid with this runtime folder and home: 0 when it
// decided to be the first and put its socket in the home's private folder.
int LaterStartAs(int uid, const QString &runtime, const QString &home)
{
    const pid_t child = ::fork();
    if (child == 0) {
        ::setenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime).constData(), 1);
        ::setenv("HOME", QFile::encodeName(home).constData(), 1);
        if (uid >= 0 && (::setgid(uid) != 0 || ::setuid(uid) != 0))
            ::_exit(3);
        const bool first = SingleInstance().handOver({"/private/bank statement.mp4"})
            == SingleInstance::Handover::First;
        const bool inHome = SingleInstance::socketPath("Vantorel_2020").startsWith(home + "/.cache/");
        ::_exit(first && inHome ? 0 : 1);
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

class TestInstanceProtocol : public QObject
{
    Q_OBJECT
private slots:
    void anyPathComesBackAsItLeft();
    void nothingToOpenIsTheOldRestore();
    void everyPrefixIsIncompleteNeverWrong();
    void garbageAndOverLimitsAreRefused_data();
    void garbageAndOverLimitsAreRefused();
    void onlyPathsThatNameSomethingAreOpenable();
    void aLaterStartHandsOverToTheFirst();
    void hostileClientsNeitherStopNorSteerTheFirst();
    void withNobodyListeningThisIsTheFirst();
    void aLockHolderNotListeningYetKeepsItsPlace();
    void onlyAPrivatePlaceOfTheUserIsTrusted_data();
    void onlyAPrivatePlaceOfTheUserIsTrusted();

private:
    QTemporaryDir m_dir;
};

void TestInstanceProtocol::anyPathComesBackAsItLeft()
{
    const QList<QByteArray> paths = Awkward();
    const auto decoded = Decode(Encode(paths));
    QCOMPARE(decoded.status, Status::Complete);
    QCOMPARE(decoded.paths, paths);
    // Thousands at once.
    QList<QByteArray> many;
    for (int i = 0; i < 20000; ++i)
        many << "/media/films/" + QByteArray::number(i) + ".mkv";
    QCOMPARE(Decode(Encode(many)).paths, many);
    // What follows a message is not part of it.
    QCOMPARE(Decode(Encode(paths) + "garbage").paths, paths);
}

void TestInstanceProtocol::nothingToOpenIsTheOldRestore()
{
    QCOMPARE(Encode({}), QByteArray("restore\n"));
    const auto decoded = Decode("restore\n");
    QCOMPARE(decoded.status, Status::Complete);
    QVERIFY(decoded.paths.isEmpty());
}

void TestInstanceProtocol::everyPrefixIsIncompleteNeverWrong()
{
    const QByteArray message = Encode({"/a\nb", "/c", QByteArray(300, 'x')});
    for (int length = 0; length < message.size(); ++length)
        QCOMPARE(Decode(message.left(length)).status, Status::Incomplete);
    QCOMPARE(Decode(message).status, Status::Complete);
}

void TestInstanceProtocol::garbageAndOverLimitsAreRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("text") << QByteArray("hello\n");
    QTest::newRow("binary") << QByteArray("\x00\x01\x02\n", 4);
    QTest::newRow("no count") << QByteArray("open \n");
    QTest::newRow("zero paths") << QByteArray("open 0\nend\n");
    QTest::newRow("negative") << QByteArray("open -1\n");
    QTest::newRow("leading zero") << QByteArray("open 01\n2\n/a\nend\n");
    QTest::newRow("too many") << QByteArray("open 100001\n");
    QTest::newRow("huge count") << QByteArray("open 99999999999999999999\n");
    QTest::newRow("path too long") << QByteArray("open 1\n65537\n");
    QTest::newRow("length not a number") << QByteArray("open 1\nx\n/a\nend\n");
    QTest::newRow("length lies") << QByteArray("open 1\n2\n/abc\nend\n");
    QTest::newRow("no end") << QByteArray("open 1\n2\n/a\nfin\n");
    QTest::newRow("endless count line") << QByteArray("open ") + QByteArray(100, '1');
    QTest::newRow("endless length line") << QByteArray("open 1\n") + QByteArray(100, '1');
}

void TestInstanceProtocol::garbageAndOverLimitsAreRefused()
{
    QFETCH(QByteArray, bytes);
    QCOMPARE(Decode(bytes).status, Status::Invalid);
}

void TestInstanceProtocol::onlyPathsThatNameSomethingAreOpenable()
{
    const QStringList openable = InstanceMessage::OpenablePaths(
        {"/a/film.mkv", "relative.mkv", "", "/x/\xff.mkv", QByteArray("/x/nul\0.mkv", 11),
         "/x/line\nbreak.mkv", "/x/映画.mkv", "-option"});
    QCOMPARE(openable, (QStringList{"/a/film.mkv", "/x/line\nbreak.mkv", QString::fromUtf8("/x/映画.mkv")}));
}

void TestInstanceProtocol::aLaterStartHandsOverToTheFirst()
{
    const QString name = m_dir.filePath("handover");
    SingleInstance first(name);
    QCOMPARE(first.handOver(), SingleInstance::Handover::First);
    first.listen();
    QSignalSpy restore(&first, &SingleInstance::restoreRequested);
    QSignalSpy open(&first, &SingleInstance::openRequested);
    QList<QByteArray> many;
    for (int i = 0; i < 5000; ++i)
        many << "/media/a rather long folder name for films/" + QByteArray::number(i) + " line\n.mkv";
    QCOMPARE(HandOverFromElsewhere(name, many), SingleInstance::Handover::HandedOver);
    QTRY_COMPARE(open.size(), 1);
    QCOMPARE(restore.size(), 1);
    const QStringList paths = open.first().first().toStringList();
    QCOMPARE(paths.size(), 5000);
    QCOMPARE(paths.last(), QStringLiteral("/media/a rather long folder name for films/4999 line\n.mkv"));
}

void TestInstanceProtocol::hostileClientsNeitherStopNorSteerTheFirst()
{
    const QString name = m_dir.filePath("hostile");
    SingleInstance first(name);
    QVERIFY(!first.anotherInstanceRunning());
    QSignalSpy restore(&first, &SingleInstance::restoreRequested);
    QSignalSpy open(&first, &SingleInstance::openRequested);
    const QList<QByteArray> sends = {
        QByteArray(),                                   // connects, sends nothing
        QByteArray("open 2\n3\n/ab\n"),                 // half a message, then gone
        QByteArray("GET / HTTP/1.1\r\n\r\n"),           // garbage
        QByteArray("open 1\n4\n/abc\nend\n").left(9),   // cut inside a length
        QByteArray(200000, '\xff'),                     // a flood
        Encode({"relative/film.mkv", "/x/\xff.mkv"}),   // nothing openable
    };
    std::vector<std::unique_ptr<QLocalSocket>> clients;
    for (const QByteArray &bytes : sends) {
        clients.push_back(std::make_unique<QLocalSocket>());
        clients.back()->connectToServer(SingleInstance::socketPath(name));
        QVERIFY(clients.back()->waitForConnected(5000));
        clients.back()->write(bytes);
        clients.back()->flush();
    }
    clients[1]->disconnectFromServer();
    clients[3]->abort();
    // Garbage and floods are hung up on; the well-formed one is confirmed.
    QTRY_VERIFY(clients[2]->state() == QLocalSocket::UnconnectedState);
    QTRY_VERIFY(clients[4]->state() == QLocalSocket::UnconnectedState);
    QTRY_VERIFY(clients[5]->bytesAvailable() >= 3);
    QCOMPARE(clients[5]->readAll(), QByteArray("ok\n"));
    QTRY_COMPARE(restore.size(), 1);
    QCOMPARE(open.size(), 0); // it named nothing that can be opened
    // Still answering, while the silent one still hangs on.
    QCOMPARE(clients[0]->state(), QLocalSocket::ConnectedState);
    QCOMPARE(HandOverFromElsewhere(name, {"/a/film.mkv"}), SingleInstance::Handover::HandedOver);
    QTRY_COMPARE(open.size(), 1);
    QCOMPARE(open.first().first().toStringList(), QStringList{"/a/film.mkv"});
    // The silent one is let go in the end.
    QTRY_VERIFY_WITH_TIMEOUT(clients[0]->state() == QLocalSocket::UnconnectedState, 15000);
}

void TestInstanceProtocol::withNobodyListeningThisIsTheFirst()
{
    // A socket file with nobody behind it (a crashed first instance).
    const QString name = m_dir.filePath("stale");
    QFile stale(SingleInstance::socketPath(name));
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.close();
    SingleInstance first(name);
    QCOMPARE(first.handOver({"/a/film.mkv"}), SingleInstance::Handover::First);
    first.listen();
    QCOMPARE(HandOverFromElsewhere(name, {}), SingleInstance::Handover::HandedOver);
}

void TestInstanceProtocol::aLockHolderNotListeningYetKeepsItsPlace()
{
    const QString name = m_dir.filePath("slow");
    SingleInstance first(name);
    QCOMPARE(first.handOver(), SingleInstance::Handover::First);
    // The socket the first has bound but not yet listens on.
    const int bound = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, QFile::encodeName(name).constData());
    QVERIFY(::bind(bound, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0);
    struct stat before{}, after{};
    ::lstat(address.sun_path, &before);
    SingleInstance later(name);
    QCOMPARE(later.handOver(), SingleInstance::Handover::NoAnswer);
    later.listen();
    QVERIFY(::lstat(address.sun_path, &after) == 0 && after.st_ino == before.st_ino);
    ::close(bound);
}

void TestInstanceProtocol::onlyAPrivatePlaceOfTheUserIsTrusted_data()
{
    QTest::addColumn<QString>("plant"); // what is waiting in the runtime folder
    QTest::newRow("a socket of another user") << "socket";
    QTest::newRow("a lock of another user") << "lock";
    QTest::newRow("a runtime folder of another user") << "folder";
    QTest::newRow("a runtime folder the group may write") << "mode";
    QTest::newRow("a runtime folder too long for a socket address") << "long";
}

void TestInstanceProtocol::onlyAPrivatePlaceOfTheUserIsTrusted()
{
    QFETCH(QString, plant);
    const int user = plant == "long" ? -1 : Account("vantorel-test-user");
    const int other = plant == "long" ? -1 : Account("vantorel-test-other");
    if (plant != "long" && (user < 0 || other < 0))
        QSKIP("two accounts are needed, which only root can make");
    QTemporaryDir base;
    ::chmod(QFile::encodeName(base.path()).constData(), 0755);
    const QString home = base.filePath("home");
    QString runtime = base.filePath(plant == "long" ? QString(120, 'r') : QStringLiteral("run"));
    QVERIFY(QDir().mkpath(home) && QDir().mkpath(runtime));
    ::chmod(QFile::encodeName(runtime).constData(), plant == "mode" ? 0770 : 0700);
    if (user >= 0) {
        Chown(home, user);
        Chown(runtime, plant == "folder" ? other : user);
    }
    QLocalServer foreign; // whoever listens here must hear nothing
    std::optional<QLockFile> held;
    if (plant == "lock") {
        held.emplace(runtime + "/Vantorel_2020.lock");
        QVERIFY(held->tryLock(0));
    } else if (plant != "long") {
        QVERIFY(foreign.listen(runtime + "/Vantorel_2020"));
    }
    if (plant != "long")
        Chown(runtime + (plant == "lock" ? "/Vantorel_2020.lock" : "/Vantorel_2020"), other);
    QCOMPARE(LaterStartAs(user, runtime, home), 0);
    QTest::qWait(100);
    QVERIFY(!foreign.hasPendingConnections());
}

QTEST_GUILESS_MAIN(TestInstanceProtocol)
#include "tst_instance_protocol.moc"
