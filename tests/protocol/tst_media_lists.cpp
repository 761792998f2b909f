// The recent-files list and the probe's answer.
#include "disc/ProbeDuration.h"
#include "lang/IniDocument.h"
#include "platform/AtomicFile.h"
#include "ui/RecentFilesList.h"

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestMediaLists : public QObject
{
    Q_OBJECT
private slots:
    void recentListRules();
    void recentFileParsing();
    void recentFileSavedWhole();
    void aFailedWriteLeavesTheOldFile();
    void recentListMergesWithAnotherPlayer();
    void hugeRecentFileReadsTenEntries();
    void recentNamesKeepTheirBytes_data();
    void recentNamesKeepTheirBytes();
    void twoPlayersSavingAtOnceLoseNothing();
    void probeOutput_data();
    void probeOutput();
    void probeWithoutTool();
    void probeThatHangsRunsOut();
};

void TestMediaLists::recentListRules()
{
    QStringList list;
    for (int i = 1; i <= 11; ++i)
        QVERIFY(RecentFilesList::Add(list, QString("/m/%1.mkv").arg(i)));
    QCOMPARE(list.size(), 10);
    QCOMPARE(list.first(), QString("/m/11.mkv"));
    QCOMPARE(list.last(), QString("/m/2.mkv"));
    // Already there: nothing moves.
    QVERIFY(!RecentFilesList::Add(list, "/m/5.mkv"));
    QCOMPARE(list.indexOf("/m/5.mkv"), 6);
    // Letter case makes a different path.
    QVERIFY(RecentFilesList::Add(list, "/m/5.MKV"));
    // A long hand-edited list loses one entry per addition only.
    QStringList edited;
    for (int i = 0; i < 14; ++i)
        edited << QString("/e/%1").arg(i);
    RecentFilesList::Add(edited, "/new");
    QCOMPARE(edited.size(), 14);
}

void TestMediaLists::recentFileParsing()
{
    const char raw[] = "/a b/c.mkv\n\n\r\n/dup\n/dup\n/zero\0junk\n\xff\xfe\n/last";
    const QByteArray bytes(raw, sizeof raw - 1);
    // A zero byte or bytes that are no text would name another file.
    QCOMPARE(RecentFilesList::Parse(bytes), QStringList({"/a b/c.mkv", "/dup", "/dup", "/last"}));
    QCOMPARE(RecentFilesList::Serialize({"/x", "/ü"}), QByteArray("/x\n/\xc3\xbc\n"));
}

void TestMediaLists::recentFileSavedWhole()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("RecentConfig.txt");
    QVERIFY(RecentFilesList::Save(file, {"/one", "/two"}));
    QCOMPARE(RecentFilesList::Load(file), QStringList({"/one", "/two"}));
    // No temporary file is left beside it.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"RecentConfig.txt"}));
    QVERIFY(!RecentFilesList::Save(dir.filePath("missing/RecentConfig.txt"), {"/x"}));
    QVERIFY(RecentFilesList::Load(dir.filePath("missing.txt")).isEmpty());
}

namespace {

// Files may not grow beyond limit bytes while it lives: writes past it fail
// as they would on a full disk.
struct FileSizeLimit
{
    rlimit saved{};
    explicit FileSizeLimit(rlim_t limit)
    {
        signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit small = saved;
        small.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved); }
};

} // namespace

void TestMediaLists::aFailedWriteLeavesTheOldFile()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("RecentConfig.txt");
    const QStringList old = {"/films/one.mkv", "/films/two.mkv"};
    QVERIFY(RecentFilesList::Save(file, old));
    QStringList longer;
    for (int i = 0; i < 10; ++i)
        longer << QString("/films/a rather long folder name/film number %1.mkv").arg(i);
    {
        const FileSizeLimit full(64);
        QVERIFY(!RecentFilesList::Save(file, longer));
        QVERIFY(!WriteFileAtomically(dir.filePath("config.ini"), QByteArray(100, 'x')));
    }
    QCOMPARE(RecentFilesList::Load(file), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"RecentConfig.txt"}));
    // The language choice is written the same way.
    IniDocument ini = IniDocument::fromBytes("[DefaultLanguage]\nDefault=English\n");
    QVERIFY(ini.save(dir.filePath("config.ini")));
    ini.setValue("DefaultLanguage", "Default", QString(200, QLatin1Char('G')));
    {
        const FileSizeLimit full(64);
        QVERIFY(!ini.save(dir.filePath("config.ini")));
    }
    QFile kept(dir.filePath("config.ini"));
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("[DefaultLanguage]\nDefault=English\n"));
}

void TestMediaLists::recentListMergesWithAnotherPlayer()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("RecentConfig.txt");
    QStringList first, second;
    QVERIFY(RecentFilesList::AddAndSave(file, first, "/a.mkv"));
    QVERIFY(RecentFilesList::AddAndSave(file, second, "/b.mkv"));
    QVERIFY(RecentFilesList::AddAndSave(file, first, "/c.mkv"));
    QCOMPARE(first, QStringList({"/c.mkv", "/b.mkv", "/a.mkv"}));
    QCOMPARE(RecentFilesList::Load(file), first);
    // A path already listed keeps its place and the file is not rewritten.
    QVERIFY(RecentFilesList::AddAndSave(file, second, "/a.mkv"));
    QCOMPARE(second, first);
    for (int i = 0; i < 12; ++i)
        QVERIFY(RecentFilesList::AddAndSave(file, i % 2 ? first : second, QString("/%1.mkv").arg(i)));
    QCOMPARE(RecentFilesList::Load(file).size(), 10);
    QCOMPARE(RecentFilesList::Load(file).first(), QString("/11.mkv"));
}

void TestMediaLists::hugeRecentFileReadsTenEntries()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("RecentConfig.txt");
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    for (int i = 0; i < 100000; ++i)
        out.write(QString("/films/%1.mkv\n").arg(i).toUtf8());
    out.close();
    const QStringList read = RecentFilesList::Load(file);
    QCOMPARE(read.size(), 10);
    QCOMPARE(read.last(), QString("/films/9.mkv"));
    // Something that is no regular file reads as an empty list, at once.
    const QString fifo = dir.filePath("fifo.txt");
    QVERIFY(mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    QVERIFY(RecentFilesList::Load(fifo).isEmpty());
}

void TestMediaLists::recentNamesKeepTheirBytes_data()
{
    QTest::addColumn<QByteArray>("before"); // the file
    QTest::addColumn<QString>("added");
    QTest::addColumn<QByteArray>("after");  // the file
    QTest::addColumn<QStringList>("shown"); // the list in memory
    const QString line = "/x/line\nbreak.mkv";
    QTest::newRow("newline") << QByteArray("/a.mkv\n") << line << QByteArray("/a.mkv\n")
                             << QStringList{line, "/a.mkv"};
    QTest::newRow("carriage return at the end")
        << QByteArray() << "/r.mkv\r" << QByteArray() << QStringList{"/r.mkv\r"};
    QTest::newRow("not UTF-8") << QByteArray("/x/\xff.mkv\n/a.mkv\n") << "/b.mkv"
                               << QByteArray("/b.mkv\n/x/\xff.mkv\n/a.mkv\n") << QStringList{"/b.mkv", "/a.mkv"};
    QTest::newRow("zero byte") << QByteArray("/z\0j\n", 5) << "/b.mkv" << QByteArray("/b.mkv\n/z\0j\n", 12)
                               << QStringList{"/b.mkv"};
    const QString longName = "/" + QString(5000, 'l');
    QTest::newRow("very long") << QByteArray() << longName << (longName.toUtf8() + "\n") << QStringList{longName};
    QByteArray big;
    for (char c = 'a'; c < 'a' + 9; ++c)
        big += "/" + QByteArray(8000, c) + "\n";
    QTest::newRow("cut by the read bound") << big << "/b" << "/b\n" + big.left(8 * 8002)
                                           << QStringList{"/b"} + RecentFilesList::Parse(big.left(8 * 8002));
}

void TestMediaLists::recentNamesKeepTheirBytes()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, added);
    QFETCH(QByteArray, after);
    QFETCH(QStringList, shown);
    QTemporaryDir dir;
    const QString file = dir.filePath("RecentConfig.txt");
    QVERIFY(WriteFileAtomically(file, before));
    QStringList paths = RecentFilesList::Load(file);
    QVERIFY(RecentFilesList::AddAndSave(file, paths, added));
    QCOMPARE(paths, shown);
    QFile written(file);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), after);
    QCOMPARE(RecentFilesList::Load(file), RecentFilesList::Parse(after));
}

void TestMediaLists::twoPlayersSavingAtOnceLoseNothing()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("RecentConfig.txt");
    for (int round = 0; round < 10; ++round) {
        const qint64 start = QDateTime::currentMSecsSinceEpoch() + 100;
        pid_t players[2];
        for (int player = 0; player < 2; ++player) {
            players[player] = fork();
            if (players[player] == 0) {
                while (QDateTime::currentMSecsSinceEpoch() < start) {
                }
                QStringList paths;
                const QString path = QString("/%1-%2.mkv").arg(round).arg(player);
                ::_exit(RecentFilesList::AddAndSave(file, paths, path) ? 0 : 1);
            }
        }
        for (const pid_t player : players) {
            int status = -1;
            waitpid(player, &status, 0);
            QCOMPARE(status, 0);
        }
        const QStringList list = RecentFilesList::Load(file);
        QVERIFY2(list.contains(QString("/%1-0.mkv").arg(round)) && list.contains(QString("/%1-1.mkv").arg(round)),
                 qPrintable(list.join(' ')));
    }
}

void TestMediaLists::probeOutput_data()
{
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<QString>("text");
    QTest::newRow("long") << QByteArray("Input #0\n  Duration: 01:32:07.45, start\n") << "01:32:07";
    QTest::newRow("short") << QByteArray("Duration: 00:00:42.10\n") << "00:00:42";
    QTest::newRow("n/a") << QByteArray("  Duration: N/A, start: 0\n") << "N/A, sta";
    QTest::newRow("first wins") << QByteArray("Duration: 00:00:01.00 Duration: 00:00:02.00") << "00:00:01";
    QTest::newRow("none") << QByteArray("garbage \xff\x00 output", 17) << "";
    QTest::newRow("cut") << QByteArray("Duration: 00:0") << "00:0";
    QTest::newRow("100 hours") << QByteArray("Duration: 123:45:07.00, start") << "123:45:07";
    QTest::newRow("1000 hours") << QByteArray("Duration: 1000:00:00.00\n") << "1000:00:00";
}

void TestMediaLists::probeOutput()
{
    QFETCH(QByteArray, output);
    QFETCH(QString, text);
    QCOMPARE(DurationTextFromProbeOutput(output), text);
}

void TestMediaLists::probeWithoutTool()
{
    QTemporaryDir dir;
    QCOMPARE(ProbeDuration(dir.filePath("no-tool"), "/m/a.mkv", 1000), QString());
}

void TestMediaLists::probeThatHangsRunsOut()
{
    QTemporaryDir dir;
    const QString tool = dir.filePath("tool");
    QFile script(tool);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\necho 'Duration: 00:00:09.00' >&2\nexec sleep 30\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(ProbeDuration(tool, "/m/a.mkv", 500), QString());
    QVERIFY(clock.elapsed() < 5000);
    // Arguments arrive as they are, quotes and all.
    QVERIFY(script.open(QIODevice::WriteOnly | QIODevice::Truncate));
    script.write("#!/bin/sh\n[ \"$1\" = -i ] && [ \"$2\" = '/m/\"odd\" name.mkv' ] "
                 "&& echo 'Duration: 00:01:05.00' >&2\n");
    script.close();
    QCOMPARE(ProbeDuration(tool, "/m/\"odd\" name.mkv", 5000), QString("00:01:05"));
}

QTEST_GUILESS_MAIN(TestMediaLists)
#include "tst_media_lists.moc"
