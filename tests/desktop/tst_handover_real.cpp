// The real program given files, folders and nonsense on its command line,
// first as the only player and then as a later start handing over to it.
// The engine is the scripted one: what it was started with shows what plays.
#include "DesktopHarness.h"

#include <QDBusConnectionInterface>
#include <QLocalServer>
#include <QLocalSocket>

#include <sys/stat.h>

using namespace Desktop;

class TestHandoverReal : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void firstStartPlaysItsArguments();
    void laterStartHandsOverWhatItWasGiven();
    void relativeNamesAreMeantFromTheLaterStart();
    void badArgumentsAreToldAndTheRestOpens();
    void thousandsOfFilesAtOnce();
    void aFolderOpensThroughTheDiscPath();
    void garbledClientsLeaveTheFirstWorking();
    void withoutABusThePlayerWorksAsBefore();

private:
    QString make(const QString &name);
    bool engineStartedWith(const QString &path) const;
    QStringList engineArguments() const;

    std::unique_ptr<Session> m_session;
    std::unique_ptr<QProcess> m_first;
    QString m_log;
};

void TestHandoverReal::initTestCase()
{
    QVERIFY2(QFileInfo(Program).isExecutable(), qPrintable(Program));
}

void TestHandoverReal::init()
{
    m_session = std::make_unique<Session>();
    m_log = m_session->dir.filePath("engine.log");
    m_session->env.insert("VANTOREL_ENGINE", QCoreApplication::applicationDirPath() + "/scripted-engine");
    m_session->env.insert("SCRIPTED_ENGINE_LOG", m_log);
}

void TestHandoverReal::cleanup()
{
    if (m_first)
        Session::end(*m_first);
    m_first.reset();
    m_session.reset();
}

QString TestHandoverReal::make(const QString &name)
{
    const QString path = m_session->dir.filePath(name);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("not really a film");
    return path;
}

QStringList TestHandoverReal::engineArguments() const
{
    QFile file(m_log);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList arguments;
    for (const QByteArray &line : file.readAll().split('\n'))
        if (line.startsWith("arg: "))
            arguments << QString::fromUtf8(line.mid(5));
    return arguments;
}

bool TestHandoverReal::engineStartedWith(const QString &path) const
{
    return engineArguments().contains(path);
}

void TestHandoverReal::firstStartPlaysItsArguments()
{
    // The engine is started while the window is built and told its command
    // line afterwards: a name with spaces, a percent sign and other scripts
    // arrives whole, and the rest of the list stays as it was.
    const QString film = make("first film 100% – 映画.mkv");
    m_first = m_session->startFirst({film});
    QTRY_VERIFY_WITH_TIMEOUT(engineStartedWith(film), 20000);
    QFile log(m_log);
    QVERIFY(log.open(QIODevice::ReadOnly));
    QVERIFY(log.readAll().startsWith("standby\narg: -demuxer\n"));
    QCOMPARE(engineArguments().first(), QStringLiteral("-demuxer"));
    QCOMPARE(engineArguments().last(), film);
    QCOMPARE(m_first->state(), QProcess::Running);
}

void TestHandoverReal::laterStartHandsOverWhatItWasGiven()
{
    m_first = m_session->startFirst();
    const QString film = make("a film\nwith a newline.mkv");
    const QString other = make("映画 two.mkv");
    QCOMPARE(m_session->startAgain({film, other}), 0);
    // The engine's log writes one argument a line: the name's first line.
    QTRY_VERIFY_WITH_TIMEOUT(engineStartedWith(film.section('\n', 0, 0)), 20000);
    // The medium plays under its whole name.
    QTRY_COMPARE_WITH_TIMEOUT(Mpris().url(), FileUrl(film), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(Mpris().metadata().value("xesam:title").toString(),
                              QStringLiteral("a film\nwith a newline.mkv"), 20000);
    // With nothing to open a later start only brings the window back.
    const int runs = int(engineArguments().size());
    QCOMPARE(m_session->startAgain({}), 0);
    QTest::qWait(300);
    QCOMPARE(int(engineArguments().size()), runs);
    QCOMPARE(m_first->state(), QProcess::Running);
}

void TestHandoverReal::relativeNamesAreMeantFromTheLaterStart()
{
    m_first = m_session->startFirst();
    const QString film = make("elsewhere/sub/film.mkv");
    const QString dashed = make("elsewhere/-v.mkv");
    // The first instance runs in another folder; the names are the later one's.
    QCOMPARE(m_session->startAgain({"sub/film.mkv"}, m_session->dir.filePath("elsewhere")), 0);
    QTRY_VERIFY_WITH_TIMEOUT(engineStartedWith(film), 20000);
    QCOMPARE(m_session->startAgain({"--", "-v.mkv"}, m_session->dir.filePath("elsewhere")), 0);
    QTRY_VERIFY_WITH_TIMEOUT(engineStartedWith(dashed), 20000);
    QVERIFY(!engineArguments().contains("-v.mkv"));
}

void TestHandoverReal::badArgumentsAreToldAndTheRestOpens()
{
    m_first = m_session->startFirst();
    const QString good = make("good.mkv");
    const QString fifo = m_session->dir.filePath("pipe.mkv");
    QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QLocalServer socket;
    QVERIFY(socket.listen(m_session->dir.filePath("socket.mkv")));
    QByteArray errors;
    QCOMPARE(m_session->startAgain({"missing.mkv", "/dev/null", "pipe.mkv", "socket.mkv", "http://example.org/a.mkv",
                                    "", "good.mkv", QString::fromUtf8("gone/\u00e9.mkv")},
                                   QString(), &errors),
             0);
    QTRY_VERIFY_WITH_TIMEOUT(engineStartedWith(good), 20000);
    const QList<QByteArray> lines = errors.trimmed().split('\n');
    QCOMPARE(lines.size(), 7);
    QVERIFY2(lines[0] == "vantorel: missing.mkv: there is no such file or folder.", errors.constData());
    QVERIFY(lines[1].startsWith("vantorel: /dev/null: this is neither"));
    QVERIFY(lines[2].startsWith("vantorel: pipe.mkv: this is neither"));
    QVERIFY(lines[3].startsWith("vantorel: socket.mkv: this is neither"));
    QVERIFY(lines[4].startsWith("vantorel: http://example.org/a.mkv: only files and folders"));
    // Nothing the player could not open reached its engine.
    for (const QString &argument : engineArguments())
        QVERIFY2(!argument.endsWith("pipe.mkv") && !argument.endsWith("socket.mkv") && argument != "/dev/null",
                 qPrintable(argument));
    // Only nonsense: told, and the player is brought back all the same.
    QCOMPARE(m_session->startAgain({"missing.mkv"}, QString(), &errors), 0);
    QVERIFY(errors.startsWith("vantorel: missing.mkv: "));
    QCOMPARE(m_first->state(), QProcess::Running);
}

void TestHandoverReal::thousandsOfFilesAtOnce()
{
    m_first = m_session->startFirst();
    QStringList names;
    const QString padding(120, QLatin1Char('p'));
    for (int i = 0; i < 3000; ++i)
        names << QStringLiteral("many/%1 %2.mkv").arg(i, 4, 10, QLatin1Char('0')).arg(padding);
    for (const QString &name : names)
        make(name);
    QCOMPARE(m_session->startAgain(names), 0);
    QTRY_VERIFY_WITH_TIMEOUT(engineStartedWith(m_session->dir.filePath(names.first())), 30000);
    QCOMPARE(m_first->state(), QProcess::Running);
}

void TestHandoverReal::aFolderOpensThroughTheDiscPath()
{
    m_first = m_session->startFirst();
    const QString dvd = m_session->dir.filePath("A DVD");
    QVERIFY(QDir().mkpath(dvd + "/VIDEO_TS"));
    make("A DVD/VIDEO_TS/VIDEO_TS.IFO");
    const QString film = make("film.mkv");
    QByteArray errors;
    QCOMPARE(m_session->startAgain({"A DVD/", "film.mkv"}, QString(), &errors), 0);
    QTRY_VERIFY_WITH_TIMEOUT(engineStartedWith(dvd), 20000);
    QVERIFY(engineArguments().contains("dvd://1"));
    QVERIFY(!engineStartedWith(film));
    QVERIFY(errors.startsWith("vantorel: film.mkv: not opened"));
}

void TestHandoverReal::garbledClientsLeaveTheFirstWorking()
{
    m_first = m_session->startFirst();
    for (const QByteArray &garbage : {QByteArray("\x00\xff garbage\n", 11), QByteArray("open 3\n5\n/a"),
                                      QByteArray(300000, 'x'), QByteArray()}) {
        QLocalSocket client;
        client.connectToServer(m_session->socket());
        QVERIFY(client.waitForConnected(5000));
        client.write(garbage);
        client.waitForBytesWritten(5000);
        client.abort();
    }
    const QString film = make("after the garbage.mkv");
    QCOMPARE(m_session->startAgain({film}), 0);
    QTRY_VERIFY_WITH_TIMEOUT(engineStartedWith(film), 20000);
    QCOMPARE(m_first->state(), QProcess::Running);
}

void TestHandoverReal::withoutABusThePlayerWorksAsBefore()
{
    m_session->env.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + m_session->dir.filePath("no-bus"));
    const QString film = make("film.mkv");
    m_first = m_session->startFirst({film});
    QTRY_VERIFY_WITH_TIMEOUT(engineStartedWith(film), 20000);
    const QString other = make("other.mkv");
    QCOMPARE(m_session->startAgain({other}), 0);
    QTRY_VERIFY_WITH_TIMEOUT(engineStartedWith(other), 20000);
    QCOMPARE(m_first->state(), QProcess::Running);
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    PrivateBus bus;
    if (!bus.start())
        qFatal("dbus-daemon could not be started");
    TestHandoverReal test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_handover_real.moc"
