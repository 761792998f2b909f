// Many files through the Open File button with the real engine and probe:
// the playlist keeps the chooser's order, every entry gets the duration the
// probe gives for its file alone, the first file plays, a file opened
// meanwhile goes ahead of the others' probes, and neither a FIFO among the
// files nor a probe that hangs holds up the window or the other files.
#include "PlaybackHarness.h"

#include "dialogs/CMessageBox.h"
#include "disc/ProbeDuration.h"
#include "disc/TimeText.h"

#include <QScopeGuard>
#include <QScreen>
#include <QSignalSpy>

#include <sys/stat.h>

using namespace Harness;

class TestOpenManyFiles : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void fiftyFilesKeepTheirOrderAndDurationsAndTheFirstPlays();
    void aFileOpenedMeanwhileGoesAheadAndNoDurationIsLost();
    void aFifoAndAProbeThatHangsHoldUpNeitherTheWindowNorTheOthers();

private:
    DRUI &openWindow();
    void choose(const QStringList &files);
    QStringList listedPaths() const;
    QStringList listedDurations() const;
    QStringList expected(const QStringList &files) const;
    bool showsPicture() const;

    QTemporaryDir m_media;
    QStringList m_files;                // in the chooser's order
    QString m_elsewhere;                // a file outside the fifty
    QHash<QString, QString> m_alone;    // each file's duration, probed alone
    QStringList m_notices; // every message box is answered at once and noted
    QTimer m_answer;
    std::unique_ptr<DRUI> m_window;
};

void TestOpenManyFiles::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("VANTOREL_ENGINE"))
        qputenv("VANTOREL_ENGINE", VANTOREL_PROGRAM_DIR "/Player");
    const QString tool = QStringLiteral(VANTOREL_PROGRAM_DIR "/tool");
    QVERIFY2(QFileInfo(tool).isExecutable(), "the probe was not built");
    // One source, cut into fifty clips of 1 to 50 seconds in one ffmpeg run,
    // in four containers.
    const QString source = m_media.filePath("source.mkv");
    QVERIFY(MakeClip(source, 52, {"-s", "160x120", "-r", "10", "-g", "10", "-c:v", "libx264",
                                  "-preset", "ultrafast", "-c:a", "aac"}));
    const QStringList containers = {"mkv", "mp4", "ts", "mov"};
    QStringList cuts = {"-hide_banner", "-loglevel", "error", "-y", "-i", source};
    QStringList byLength;
    for (int k = 0; k < 50; ++k) {
        byLength << m_media.filePath(QString("clip %1.%2").arg(k + 1, 2, 10, QChar('0')).arg(containers[k % 4]));
        cuts << "-map" << "0" << "-t" << QString::number(k + 1) << "-c" << "copy" << byLength.last();
    }
    QCOMPARE(QProcess::execute(Ffmpeg(), cuts), 0);
    // The chooser's order is not the names' order; the first is 41 s long.
    for (int i = 0; i < 50; ++i)
        m_files << byLength[(i * 17 + 40) % 50];
    m_elsewhere = m_media.filePath("elsewhere.mkv");
    QVERIFY(QFile::copy(byLength[29], m_elsewhere));
    QSet<QString> distinct;
    for (const QString &file : m_files + QStringList{m_elsewhere}) {
        m_alone.insert(file, ProbeDuration(tool, file));
        distinct.insert(m_alone.value(file));
    }
    // Durations that tell the files apart, or the order would prove nothing.
    QCOMPARE(distinct.size(), 50);
    QVERIFY(TimeTextSeconds(m_alone.value(m_files[0])) >= 40);
    connect(&m_answer, &QTimer::timeout, this, [this] {
        if (auto *box = qobject_cast<CMessageBox *>(QApplication::activeModalWidget())) {
            m_notices << box->messageLabel()->text();
            box->btnSlotOK();
        }
    });
    m_answer.start(50);
}

void TestOpenManyFiles::cleanup()
{
    m_window.reset();
    m_notices.clear();
}

DRUI &TestOpenManyFiles::openWindow()
{
    m_window = std::make_unique<DRUI>();
    m_window->BuildPages();
    m_window->show();
    if (!QTest::qWaitForWindowExposed(m_window.get()))
        qWarning("the window was not shown");
    return *m_window;
}

void TestOpenManyFiles::choose(const QStringList &files)
{
    m_window->setFileChooser([files](QWidget *) { return files; });
    QTest::mouseClick(Named(*m_window, "openFileButton"), Qt::LeftButton);
}

// The table's rows, read as the player reads them back.
QStringList TestOpenManyFiles::listedPaths() const
{
    auto *table = m_window->findChild<QTableWidget *>("playlistTable");
    QStringList paths;
    for (int row = 0; row < table->rowCount(); ++row)
        paths << table->item(row, 0)->data(Qt::UserRole).value<PLAY_LIST_INFO>().path;
    return paths;
}

QStringList TestOpenManyFiles::listedDurations() const
{
    auto *table = m_window->findChild<QTableWidget *>("playlistTable");
    QStringList durations;
    for (int row = 0; row < table->rowCount(); ++row) {
        const PLAY_LIST_INFO shown = table->item(row, 0)->data(Qt::UserRole).value<PLAY_LIST_INFO>();
        // The record and its row always agree.
        durations << (shown.duration == m_window->playlist.value(row).duration ? shown.duration
                                                                                : "row and record differ");
    }
    return durations;
}

QStringList TestOpenManyFiles::expected(const QStringList &files) const
{
    QStringList durations;
    for (const QString &file : files)
        durations << m_alone.value(file);
    return durations;
}

bool TestOpenManyFiles::showsPicture() const
{
    return Harness::ShowsPicture(DRUITestAccess::videoSurface(*m_window));
}

void TestOpenManyFiles::fiftyFilesKeepTheirOrderAndDurationsAndTheFirstPlays()
{
    DRUI &w = openWindow();
    choose(m_files);
    // Every entry is there at once, in the chooser's order, and the first
    // file is on its way.
    QCOMPARE(listedPaths(), m_files);
    QCOMPARE(DRUITestAccess::currentMediaPath(w), m_files[0]);
    QCOMPARE(DRUITestAccess::pageStack(w)->currentIndex(), 2);
    QVERIFY(!ProbesDone(w));
    QTRY_VERIFY_WITH_TIMEOUT(ProbesDone(w), 60000);
    QCOMPARE(listedDurations(), expected(m_files));
    QCOMPARE(listedPaths(), m_files);
    const qint64 length = TimeTextSeconds(m_alone.value(m_files[0]));
    QCOMPARE(DRUITestAccess::lengthSeconds(w), length);
    QCOMPARE(w.findChild<QSlider *>("seekSlider")->maximum(), int(length));
    QTRY_VERIFY_WITH_TIMEOUT(showsPicture(), 10000);
    QCOMPARE(DRUITestAccess::state(w), PlaybackState::Playing);
    QCOMPARE(DRUITestAccess::engine(w)->arguments().last(), m_files[0]);
    QCOMPARE(m_notices, QStringList());
}

void TestOpenManyFiles::aFileOpenedMeanwhileGoesAheadAndNoDurationIsLost()
{
    DRUI &w = openWindow();
    QSignalSpy probed(DRUITestAccess::probes(w), &ProbeQueue::probed);
    choose(m_files);
    choose({m_elsewhere});
    QCOMPARE(DRUITestAccess::currentMediaPath(w), m_elsewhere);
    // The probes of the fifty go on: their entries keep their durations.
    QTRY_VERIFY_WITH_TIMEOUT(ProbesDone(w), 60000);
    QCOMPARE(listedPaths(), m_files + QStringList{m_elsewhere});
    QCOMPARE(listedDurations(), expected(m_files + QStringList{m_elsewhere}));
    QCOMPARE(probed.size(), 51);
    // It started as soon as a probe running then had ended, ahead of the
    // dozens still waiting: only the few running beside it came first.
    int at = 0;
    while (probed[at][0].toString() != m_elsewhere)
        ++at;
    QVERIFY2(at < 10, qPrintable(QString::number(at)));
    QCOMPARE(DRUITestAccess::lengthSeconds(w), TimeTextSeconds(m_alone.value(m_elsewhere)));
    QTRY_VERIFY_WITH_TIMEOUT(showsPicture(), 10000);
    QCOMPARE(DRUITestAccess::engine(w)->arguments().last(), m_elsewhere);
    QCOMPARE(m_notices, QStringList());
}

void TestOpenManyFiles::aFifoAndAProbeThatHangsHoldUpNeitherTheWindowNorTheOthers()
{
    DRUI &w = openWindow();
    // A probe that never answers for one file, as on a network share that
    // stopped answering; every other file gets the real probe.
    const QString copy = w.dataFolder + "tool";
    QVERIFY(QFile::remove(copy));
    QFile wrapper(copy);
    QVERIFY(wrapper.open(QIODevice::WriteOnly));
    wrapper.write("#!/bin/bash\nwhile IFS= read -r line; do\n"
                  "  case \"$line\" in *stalled*) exec sleep 600;; esac\n"
                  "  path=$(printf '%b.' \"$line\"); path=${path%.}\n"
                  "  '" VANTOREL_PROGRAM_DIR "/tool' -i \"$path\" 2>&1 >/dev/null | grep '^Duration: '\n"
                  "done\n");
    wrapper.close();
    QVERIFY(wrapper.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const auto restore = qScopeGuard([copy] {
        QFile::remove(copy);
        QFile::copy(VANTOREL_PROGRAM_DIR "/tool", copy);
    });
    const QString fifo = m_media.filePath("waiting pipe.mkv");
    QVERIFY(mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    const QString stalled = m_media.filePath("stalled share.mkv");
    QVERIFY(QFile::copy(m_files[5], stalled));
    const QStringList others = {m_files[0], m_files[1], m_files[2], m_files[3], m_files[4]};
    const QStringList listed = {m_files[0], stalled, m_files[1], m_files[2], m_files[3], m_files[4]};

    choose({m_files[0], fifo, stalled, m_files[1], m_files[2], m_files[3], m_files[4]});
    // The FIFO is refused with a word to the user; everything else is listed.
    QCOMPARE(m_notices.size(), 1);
    QCOMPARE(listedPaths(), listed);
    QTRY_COMPARE_WITH_TIMEOUT(DRUITestAccess::state(w), PlaybackState::Playing, 10000);
    // The others are all through while the stalled file's probe still runs.
    QTRY_VERIFY_WITH_TIMEOUT([&] {
        QStringList durations = listedDurations();
        durations.removeAt(1);
        return durations == expected(others);
    }(), 20000);
    QVERIFY(!ProbesDone(w));
    QCOMPARE(DRUITestAccess::probes(w)->running(), 1);
    // Meanwhile the window answers the user.
    QTest::mouseClick(Named(w, "playButton"), Qt::LeftButton);
    QCOMPARE(DRUITestAccess::state(w), PlaybackState::Paused);
    QTest::mouseClick(Named(w, "playButton"), Qt::LeftButton);
    QCOMPARE(DRUITestAccess::state(w), PlaybackState::Playing);
    // At its time-out the probe is ended and that file gets no duration.
    QTRY_VERIFY_WITH_TIMEOUT(ProbesDone(w), 10000);
    QCOMPARE(w.playlist[1].duration, QString());
    QCOMPARE(listedPaths(), listed);
    QCOMPARE(DRUITestAccess::lengthSeconds(w), TimeTextSeconds(m_alone.value(m_files[0])));
    QCOMPARE(DRUITestAccess::currentMediaPath(w), m_files[0]);
    QCOMPARE(m_notices.size(), 1);
}

int main(int argc, char *argv[])
{
    return Harness::RunWindowTests<TestOpenManyFiles>(argc, argv);
}

#include "tst_open_many_files.moc"
