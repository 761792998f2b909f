// The probe queue with a probe of our own: a script that takes the duration
// and how long to think from the file it is given, and notes when it starts
// and ends, so that order and overlap can be read back afterwards.
#include "disc/ProbeQueue.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

#include <sys/resource.h>

class TestProbeQueue : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void everyFileGetsItsDurationAFewAtOnce();
    void laterOpeningsGoAheadAndNoFileRunsTwice();
    void aHangingProbeIsKilledAtItsLimitWithoutHoldingUpTheOthers();
    void aProbeThatCannotStartGivesEmptyDurations();
    void noProbeOutlivesTheQueue();
    void aHostileFileSetCostsOnlyTheProcessesItBreaks();
    void noProbeOutlivesAPlayerEndedBySignal();

private:
    // A media file for the script: its duration text, then seconds to think
    // ("hang" thinks for ever).
    QString file(const QString &name, const QString &duration, const QString &think);
    QStringList logged(const QString &what) const;
    QHash<QString, QString> results(const QSignalSpy &spy) const;

    QTemporaryDir m_dir;
    QString m_probe;
    QString m_log;
};

void TestProbeQueue::initTestCase()
{
    m_probe = m_dir.filePath("probe");
    m_log = m_dir.filePath("log");
    QFile script(m_probe);
    QVERIFY(script.open(QIODevice::WriteOnly));
    // It speaks the batch form: one escaped path a line in, one answer a
    // line out. What it does with a file is written in the file.
    script.write("#!/bin/bash\n"
                 "[ \"$1\" = -batch ] || exit 2\n"
                 "log='" + m_log.toUtf8() + "'\n"
                 "echo \"nice $(cut -d' ' -f19 /proc/$$/stat) $$\" >> \"$log\"\n"
                 "while IFS= read -r line; do\n"
                 "  path=$(printf '%b.' \"$line\"); path=${path%.}\n"
                 "  echo \"start $$ $line\" >> \"$log\"\n"
                 "  read duration think < \"$path\"\n"
                 "  case $think in\n"
                 "  hang) exec sleep 600;;\n"
                 "  crash) kill -SEGV $$;;\n"
                 "  garbage) echo 'Input #0, matroska'; continue;;\n"
                 "  half) printf 'Duration: %s' \"$duration\"; continue;;\n"
                 "  twice) printf 'Duration: %s\\nDuration: 00:00:01.00\\n' \"$duration\"; continue;;\n"
                 "  esac\n"
                 "  sleep \"$think\"\n"
                 "  echo \"Duration: $duration\"\n"
                 "  echo \"end $$ $line\" >> \"$log\"\n"
                 "done\n");
    script.close();
    QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::ExeOwner));
}

QString TestProbeQueue::file(const QString &name, const QString &duration, const QString &think)
{
    const QString path = m_dir.filePath(name);
    QFile media(path);
    if (!media.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QString();
    media.write((duration + ' ' + think + '\n').toUtf8());
    return path;
}

// The log's lines of one kind ("start" or "end"), as "pid path".
QStringList TestProbeQueue::logged(const QString &what) const
{
    QFile log(m_log);
    QStringList lines;
    if (!log.open(QIODevice::ReadOnly))
        return lines;
    for (const QString &line : QString::fromUtf8(log.readAll()).split('\n'))
        if (line.startsWith(what + ' '))
            lines << line.mid(what.size() + 1);
    return lines;
}

QHash<QString, QString> TestProbeQueue::results(const QSignalSpy &spy) const
{
    QHash<QString, QString> durations;
    for (const QList<QVariant> &result : spy)
        durations.insert(result[0].toString(), result[1].toString());
    return durations;
}

void TestProbeQueue::everyFileGetsItsDurationAFewAtOnce()
{
    QFile::remove(m_log);
    ProbeQueue queue;
    queue.setProgram(m_probe);
    queue.setParallel(3);
    QHash<QString, QString> expected;
    QStringList files;
    for (int k = 0; k < 12; ++k) {
        const QString duration = QString("00:%1:07.45").arg(k, 2, 10, QChar('0'));
        files << file(QString("clip %1 \"quoted\".mkv").arg(k), duration, k % 3 ? "0.05" : "0.3");
        expected.insert(files.last(), duration.left(8));
    }
    QSignalSpy probed(&queue, &ProbeQueue::probed);
    QSignalSpy idle(&queue, &ProbeQueue::idle);
    queue.probe(files);
    QVERIFY(probed.isEmpty()); // nothing is waited for inside probe()
    QCOMPARE(queue.running(), 3);
    QTRY_COMPARE_WITH_TIMEOUT(idle.size(), 1, 20000);
    QCOMPARE(probed.size(), 12);
    QCOMPARE(results(probed), expected);
    QVERIFY(queue.isIdle());

    // Read back from the log: never more than three at once.
    QFile log(m_log);
    QVERIFY(log.open(QIODevice::ReadOnly));
    int now = 0, most = 0;
    for (const QByteArray &line : log.readAll().split('\n')) {
        now += line.startsWith("start ") ? 1 : line.startsWith("end ") ? -1 : 0;
        most = std::max(most, now);
    }
    QVERIFY2(most <= 3 && most >= 2, qPrintable(QString::number(most)));
    QCOMPARE(logged("start").size(), 12);
    // Three processes answered all twelve, each below the window, which
    // keeps the processor first; they stay for the next files.
    const int below = std::min(19, getpriority(PRIO_PROCESS, 0) + 10);
    QCOMPARE(logged("nice").size(), 3);
    for (const QString &line : logged("nice"))
        QCOMPARE(line.section(' ', 0, 0).toInt(), below);
    QCOMPARE(queue.processes(), 3);
}

void TestProbeQueue::laterOpeningsGoAheadAndNoFileRunsTwice()
{
    QFile::remove(m_log);
    ProbeQueue queue;
    queue.setProgram(m_probe);
    queue.setParallel(1);
    const QString a = file("a.mkv", "00:00:01.00", "0.3"), b = file("b.mkv", "00:00:02.00", "0.05");
    const QString c = file("c.mkv", "00:00:03.00", "0.05"), d = file("d.mkv", "00:00:04.00", "0.05");
    QSignalSpy probed(&queue, &ProbeQueue::probed);
    QSignalSpy idle(&queue, &ProbeQueue::idle);
    queue.probe({a, b, c});
    // Opened while a runs: d and b go ahead of c; a is not started again.
    queue.probe({d, b, a, d});
    QTRY_COMPARE_WITH_TIMEOUT(idle.size(), 1, 10000);
    QStringList order;
    for (const QList<QVariant> &result : probed)
        order << result[0].toString();
    QCOMPARE(order, (QStringList{a, d, b, c}));
    QStringList started;
    for (const QString &line : logged("start"))
        started << line.section(' ', 1);
    QCOMPARE(started, (QStringList{a, d, b, c}));
    QCOMPARE(results(probed).value(d), QString("00:00:04"));
}

void TestProbeQueue::aHangingProbeIsKilledAtItsLimitWithoutHoldingUpTheOthers()
{
    QFile::remove(m_log);
    ProbeQueue queue;
    queue.setProgram(m_probe);
    queue.setParallel(2);
    queue.setTimeoutMs(1500);
    const QString stuck = file("stuck.mkv", "00:00:09.00", "hang");
    QStringList others;
    for (int k = 0; k < 6; ++k)
        others << file(QString("after%1.mkv").arg(k), QString("00:00:1%1.00").arg(k), "0.02");
    QSignalSpy probed(&queue, &ProbeQueue::probed);
    QSignalSpy idle(&queue, &ProbeQueue::idle);
    queue.probe(QStringList{stuck} + others);
    // All the others are through while the stuck one still runs.
    QTRY_COMPARE_WITH_TIMEOUT(probed.size(), 6, 10000);
    QVERIFY(!results(probed).contains(stuck));
    QCOMPARE(queue.running(), 1);
    QCOMPARE(results(probed).value(others[5]), QString("00:00:15"));
    // Then it runs out: killed, and its file gets no duration.
    QTRY_COMPARE_WITH_TIMEOUT(idle.size(), 1, 10000);
    QCOMPARE(probed.size(), 7);
    QCOMPARE(probed.last()[0].toString(), stuck);
    QCOMPARE(probed.last()[1].toString(), QString());
    QString pid;
    for (const QString &line : logged("start"))
        if (line.section(' ', 1) == stuck)
            pid = line.section(' ', 0, 0);
    QVERIFY(!pid.isEmpty());
    QTRY_VERIFY(!QFileInfo::exists("/proc/" + pid));
}

void TestProbeQueue::aProbeThatCannotStartGivesEmptyDurations()
{
    ProbeQueue queue;
    queue.setProgram(m_dir.filePath("no such probe"));
    queue.setParallel(1);
    QSignalSpy probed(&queue, &ProbeQueue::probed);
    QSignalSpy idle(&queue, &ProbeQueue::idle);
    const QStringList files = {"/m/a.mkv", "/m/b.mkv", "/m/c.mkv"};
    queue.probe(files);
    QTRY_COMPARE(idle.size(), 1);
    QCOMPARE(probed.size(), 3);
    for (const QString &path : files)
        QCOMPARE(results(probed).value(path, "missing"), QString());
}

void TestProbeQueue::noProbeOutlivesTheQueue()
{
    QFile::remove(m_log);
    {
        ProbeQueue queue;
        queue.setProgram(m_probe);
        queue.setParallel(2);
        queue.probe({file("h1.mkv", "00:00:01.00", "hang"), file("h2.mkv", "00:00:01.00", "hang"),
                     file("h3.mkv", "00:00:01.00", "hang")});
        QTRY_COMPARE(logged("start").size(), 2);
    }
    for (const QString &line : logged("start"))
        QTRY_VERIFY(!QFileInfo::exists("/proc/" + line.section(' ', 0, 0)));
    QCOMPARE(logged("start").size(), 2);
}

void TestProbeQueue::aHostileFileSetCostsOnlyTheProcessesItBreaks()
{
    QFile::remove(m_log);
    // What each file makes the probe do, and the duration it must get.
    struct Row {
        QString name, duration, think, expected;
    };
    QList<Row> table = {
        {"hangs.mkv", "00:00:09.00", "hang", ""},
        {"new\nline.mkv", "00:02:03.00", "0", "00:02:03"},
        {"crashes.mkv", "00:00:09.00", "crash", ""},
        {"back\\slash\\n.mkv", "00:03:04.00", "0", "00:03:04"},
        {"garbage.mkv", "00:00:09.00", "garbage", ""},
        {"half an answer.mkv", "00:00:09.00", "half", ""},
        {"answers twice.mkv", "00:04:05.00", "twice", "00:04:05"},
        {"\n.mkv\n", "00:05:06.00", "0", "00:05:06"},
    };
    const int broken = 5; // hang, crash, garbage, half, twice
    for (int k = 0; k < 40; ++k)
        table.insert(k % 10 ? table.size() : 1 + k / 10,
                     {QString("many %1.mkv").arg(k), QString("01:%1:00.00").arg(k, 2, 10, QChar('0')), "0",
                      QString("01:%1:00").arg(k, 2, 10, QChar('0'))});
    QHash<QString, QString> expected;
    QStringList files;
    for (const Row &row : table) {
        files << file(row.name, row.duration, row.think);
        expected.insert(files.last(), row.expected);
    }
    ProbeQueue queue;
    queue.setProgram(m_probe);
    queue.setParallel(2);
    queue.setTimeoutMs(1500);
    QSignalSpy probed(&queue, &ProbeQueue::probed);
    QSignalSpy idle(&queue, &ProbeQueue::idle);
    // Held a moment first, as while an engine starts: nothing runs yet.
    queue.holdFor(300);
    queue.probe(files);
    QCOMPARE(queue.running(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(idle.size(), 1, 30000);
    QCOMPARE(probed.size(), files.size());
    QCOMPARE(results(probed), expected);
    // Each broken answer cost its own process, and only that one.
    QSet<QString> pids;
    for (const QString &line : logged("start"))
        pids.insert(line.section(' ', 0, 0));
    QCOMPARE(logged("start").size(), files.size());
    QVERIFY2(pids.size() <= 2 + broken, qPrintable(QString::number(pids.size())));
    QVERIFY(queue.processes() >= 1 && queue.processes() <= 2);
    const auto alive = [&pids] {
        return std::count_if(pids.cbegin(), pids.cend(), [](const QString &pid) { return QFileInfo::exists("/proc/" + pid); });
    };
    QTRY_COMPARE(alive(), qsizetype(queue.processes()));
}

// A player that dies of a signal runs no destructor: its probes must end by
// themselves. The "player" is this test run again with an environment entry.
void TestProbeQueue::noProbeOutlivesAPlayerEndedBySignal()
{
    QFile::remove(m_log);
    QProcess player;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("PROBE_QUEUE_PLAYER", m_probe);
    env.insert("PROBE_QUEUE_FILES", file("h1.mkv", "00:00:01.00", "hang") + '\n'
                                        + file("h2.mkv", "00:00:01.00", "hang"));
    player.setProcessEnvironment(env);
    player.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(player.waitForStarted());
    QTRY_COMPARE(logged("start").size(), 2);
    player.terminate();
    QVERIFY(player.waitForFinished());
    for (const QString &line : logged("start"))
        QTRY_VERIFY(!QFileInfo::exists("/proc/" + line.section(' ', 0, 0)));
}

int main(int argc, char **argv)
{
    const QByteArray probe = qgetenv("PROBE_QUEUE_PLAYER");
    if (!probe.isEmpty()) {
        QCoreApplication app(argc, argv);
        ProbeQueue queue;
        queue.setProgram(QString::fromLocal8Bit(probe));
        queue.setTimeoutMs(60000);
        queue.probe(QString::fromLocal8Bit(qgetenv("PROBE_QUEUE_FILES")).split('\n'));
        return app.exec();
    }
    QCoreApplication app(argc, argv);
    TestProbeQueue test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_probe_queue.moc"
