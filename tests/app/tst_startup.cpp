// Start-up and shutdown: the log, the data folder, one instance per user,
// and the real program started twice.
#include "app/DataFolderSetup.h"
#include "app/LogHandler.h"
#include "platform/SingleInstance.h"

#include <QCoreApplication>

#include <algorithm>
#include <memory>
#include <vector>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The size of the top-level window of that title on the display, as the X
// server has it; empty while there is none.
QSize TopLevelSize(const QString &title)
{
    QProcess info;
    info.start("xwininfo", {"-root", "-children"});
    info.waitForFinished(5000);
    const QRegularExpression line("\"" + QRegularExpression::escape(title) + "\": \\(.*\\)\\s+(\\d+)x(\\d+)");
    const QRegularExpressionMatch match = line.match(QString::fromUtf8(info.readAllStandardOutput()));
    return match.hasMatch() ? QSize(match.captured(1).toInt(), match.captured(2).toInt()) : QSize();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

const QString Program = QStringLiteral(VANTOREL_PROGRAM_DIR "/vantorel");

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void logKeepsDebugLinesOnly();
    void dataFolderIsCreatedWithProbeCopy();
    void probeCopyFollowsTheShippedProbe();
    void unusableDataFolderIsNoFailure();
    void secondInstanceAsksTheFirstToRestore();
    void realProgramStartsOnceAndEndsCleanly();
    void simultaneousStartsLeaveExactlyOnePlayer();
    void withoutADisplayItSaysSoAndEnds();
    void realProgramSurvivesBrokenLanguageFiles();

private:
    QProcessEnvironment isolatedEnvironment(const QTemporaryDir &dir) const;
};

void TestStartup::logKeepsDebugLinesOnly()
{
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    const QMessageLogContext context;
    LogMessageHandler(QtWarningMsg, context, "a warning");
    LogMessageHandler(QtCriticalMsg, context, "critical");
    QVERIFY(!QFile::exists("Log.txt"));
    LogMessageHandler(QtDebugMsg, context, "first");
    LogMessageHandler(QtInfoMsg, context, "info");
    LogMessageHandler(QtDebugMsg, context, "second");
    QCOMPARE(readAll("Log.txt"), QByteArray("Debug: first\nDebug: second\n"));
    // A later run appends.
    LogMessageHandler(QtDebugMsg, context, "third");
    QVERIFY(readAll("Log.txt").endsWith("Debug: second\nDebug: third\n"));
    QDir::setCurrent(previous);
}

void TestStartup::dataFolderIsCreatedWithProbeCopy()
{
    QTemporaryDir dir;
    const QString probe = dir.filePath("tool");
    writeAll(probe, "#!/bin/sh\necho probe\n");
    QFile::setPermissions(probe, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString folder = dir.filePath("data/Vantorel/");
    QCOMPARE(PrepareDataFolder(folder, probe), folder);
    QVERIFY(QFileInfo(folder).isDir());
    const QFileInfo copy(ProbeToolCopy(folder));
    QVERIFY(copy.exists());
    QVERIFY(copy.isExecutable());
    QCOMPARE(copy.fileName(), QStringLiteral("tool"));
}

void TestStartup::probeCopyFollowsTheShippedProbe()
{
    QTemporaryDir dir;
    const QString probe = dir.filePath("tool");
    writeAll(probe, "#!/bin/sh\necho newer probe\n");
    QFile::setPermissions(probe, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString folder = dir.filePath("Vantorel/");
    QDir().mkpath(folder);
    // An older copy, a broken one, one that cannot run: each is replaced.
    for (const QByteArray &old : {QByteArray("#!/bin/sh\necho older probe\n"), QByteArray("#!/bin/s"),
                                  QByteArray()}) {
        writeAll(dir.filePath("Vantorel/tool"), old);
        QFile::setPermissions(dir.filePath("Vantorel/tool"), QFile::ReadOwner | QFile::WriteOwner);
        PrepareDataFolder(folder, probe);
        QCOMPARE(readAll(ProbeToolCopy(folder)), readAll(probe));
        QVERIFY(QFileInfo(ProbeToolCopy(folder)).isExecutable());
    }
    QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{"tool"});
    // The same copy is left as it is.
    const QDateTime written = QFileInfo(ProbeToolCopy(folder)).lastModified();
    QTest::qWait(20); // a rewrite would show a later time
    PrepareDataFolder(folder, probe);
    QCOMPARE(QFileInfo(ProbeToolCopy(folder)).lastModified(), written);
    // No copy that can run: the shipped probe runs itself.
    QFile::remove(dir.filePath("Vantorel/tool"));
    QDir().mkpath(dir.filePath("Vantorel/tool"));
    QCOMPARE(ProbeToolCopy(folder), QCoreApplication::applicationDirPath() + "/tool");
}

void TestStartup::unusableDataFolderIsNoFailure()
{
    QTemporaryDir dir;
    writeAll(dir.filePath("file"), "x");
    // Below a plain file nothing can be created, not even by root.
    const QString folder = dir.filePath("file/Vantorel/");
    PrepareDataFolder(folder, dir.filePath("missing-tool"));
    QVERIFY(!QFileInfo::exists(folder));
    PrepareDataFolder(dir.filePath("ok/"), dir.filePath("missing-tool"));
    QVERIFY(QFileInfo(dir.filePath("ok")).isDir());
}

void TestStartup::secondInstanceAsksTheFirstToRestore()
{
    QTemporaryDir dir;
    const QString name = dir.filePath("instance");
    SingleInstance first(name);
    QVERIFY(!first.anotherInstanceRunning());
    QSignalSpy restore(&first, &SingleInstance::restoreRequested);
    SingleInstance second(name);
    QVERIFY(second.anotherInstanceRunning());
    QVERIFY(restore.wait(2000));
}

QProcessEnvironment TestStartup::isolatedEnvironment(const QTemporaryDir &dir) const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", dir.filePath("data"));
    QDir().mkpath(dir.filePath("run"));
    QFile::setPermissions(dir.filePath("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    env.insert("XDG_RUNTIME_DIR", dir.filePath("run"));
    env.insert("QT_QPA_PLATFORM", "xcb");
    return env;
}

void TestStartup::realProgramStartsOnceAndEndsCleanly()
{
    QVERIFY2(QFileInfo(Program).isExecutable(), qPrintable(Program));
    QTemporaryDir dir;
    QProcess first;
    first.setProcessEnvironment(isolatedEnvironment(dir));
    first.setWorkingDirectory(dir.path());
    first.start(Program, {});
    QVERIFY(first.waitForStarted());
    // The first instance is up once it listens.
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(dir.filePath("run/Vantorel_2020")), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(dir.filePath("data/Vantorel")).isDir(), 10000);
    if (QFileInfo::exists(VANTOREL_PROGRAM_DIR "/tool"))
        QTRY_VERIFY(QFileInfo(dir.filePath("data/Vantorel/tool")).isExecutable());
    // The window as the program builds it, once its first page has come up.
    QTRY_VERIFY_WITH_TIMEOUT(!TopLevelSize("Vantorel").isEmpty(), 10000);
    QTest::qWait(1000);
    QCOMPARE(TopLevelSize("Vantorel"), QSize(1000, 680));

    QProcess second;
    second.setProcessEnvironment(isolatedEnvironment(dir));
    second.start(Program, {});
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(first.state(), QProcess::Running);

    // Ended as a logout ends it: the window closes as File > Exit does,
    // instead of the program dying of the signal.
    first.terminate();
    QVERIFY(first.waitForFinished(10000));
    QCOMPARE(first.exitStatus(), QProcess::NormalExit);
    QCOMPARE(first.exitCode(), 0);
}

void TestStartup::simultaneousStartsLeaveExactlyOnePlayer()
{
    QTemporaryDir dir;
    const QProcessEnvironment env = isolatedEnvironment(dir);
    std::vector<std::unique_ptr<QProcess>> players;
    for (int i = 0; i < 5; ++i) {
        players.push_back(std::make_unique<QProcess>());
        players.back()->setProcessEnvironment(env);
        players.back()->setWorkingDirectory(dir.path());
    }
    for (auto &player : players)
        player->start(Program, {});
    for (auto &player : players)
        QVERIFY(player->waitForStarted());
    // Every later one hands over to the first and ends with status 0.
    QTRY_VERIFY_WITH_TIMEOUT(std::count_if(players.begin(), players.end(), [](const auto &p) {
                                 return p->state() == QProcess::NotRunning;
                             }) == 4, 20000);
    QProcess *first = nullptr;
    for (auto &player : players) {
        if (player->state() != QProcess::NotRunning) {
            first = player.get();
            continue;
        }
        QCOMPARE(player->exitStatus(), QProcess::NormalExit);
        QCOMPARE(player->exitCode(), 0);
    }
    QVERIFY(first);
    QTest::qWait(500);
    QCOMPARE(first->state(), QProcess::Running);
    first->terminate();
    QVERIFY(first->waitForFinished(10000));
    // A lock left by a player that is gone does not stop the next one.
    QProcess next;
    next.setProcessEnvironment(env);
    next.start(Program, {});
    QVERIFY(next.waitForStarted());
    QTest::qWait(1500);
    QCOMPARE(next.state(), QProcess::Running);
    next.kill();
    QVERIFY(next.waitForFinished(10000));
    QProcess afterCrash;
    afterCrash.setProcessEnvironment(env);
    afterCrash.start(Program, {});
    QVERIFY(afterCrash.waitForStarted());
    QTest::qWait(1500);
    QCOMPARE(afterCrash.state(), QProcess::Running);
    afterCrash.terminate();
    QVERIFY(afterCrash.waitForFinished(10000));
}

void TestStartup::withoutADisplayItSaysSoAndEnds()
{
    QTemporaryDir dir;
    for (const char *display : {"", ":97"}) {
        QProcessEnvironment env = isolatedEnvironment(dir);
        env.remove("WAYLAND_DISPLAY");
        if (*display)
            env.insert("DISPLAY", display);
        else
            env.remove("DISPLAY");
        QProcess player;
        player.setProcessEnvironment(env);
        player.start(Program, {});
        QVERIFY(player.waitForFinished(10000));
        QCOMPARE(player.exitStatus(), QProcess::NormalExit);
        QCOMPARE(player.exitCode(), 1);
        QVERIFY2(player.readAllStandardError().contains("vantorel: cannot open the display"), display);
    }
}

void TestStartup::realProgramSurvivesBrokenLanguageFiles()
{
    // A copy of the program folder with garbage where the texts should be.
    QTemporaryDir dir;
    const QString folder = dir.filePath("program");
    QDir().mkpath(folder + "/Languages");
    QVERIFY(QFile::copy(Program, folder + "/vantorel"));
    QFile::setPermissions(folder + "/vantorel", QFile::ReadOwner | QFile::ExeOwner);
    QByteArray garbage(8192, '\0');
    for (int i = 0; i < garbage.size(); ++i)
        garbage[i] = char((i * 131) ^ (i >> 3));
    writeAll(folder + "/config.ini", garbage);
    writeAll(folder + "/Languages/English.ini", garbage);

    QProcess player;
    player.setProcessEnvironment(isolatedEnvironment(dir));
    player.setWorkingDirectory(dir.path());
    player.start(folder + "/vantorel", {});
    QVERIFY(player.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(dir.filePath("run/Vantorel_2020")), 10000);
    QTest::qWait(500);
    QCOMPARE(player.state(), QProcess::Running);
    player.terminate();
    QVERIFY(player.waitForFinished(10000));
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
