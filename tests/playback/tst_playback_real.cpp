// The whole path through the real window with the real engine and probe:
// open three files, watch the first play embedded, pause, seek, step to the
// next, let the last one end, and find them all in the recent list.
#include "PlaybackHarness.h"

#include "dialogs/CMessageBox.h"

#include <QApplication>
#include <QElapsedTimer>

#include <csignal>
#include <QTimer>
#include <QScreen>
#include <QTemporaryDir>

using namespace Harness;

class TestPlaybackReal : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void threeFilesThroughTheWholePath();
    void recentListSurvivesARestart();
    void muteAndSnapshotWhilePausedKeepThePause();
    void aReplacedEngineIsNotWaitedFor();
    void theClockCatchesUpWithAHeldUpEngine();

private:
    void openWindow();
    double askPosition(QProcess *engine);
    QImage videoPixels() const;
    int changedPixels(const QImage &a, const QImage &b) const;

    QTemporaryDir m_media;
    QStringList m_notices; // any message box is answered at once and noted
    QTimer m_answer;
    QStringList m_files;
    std::unique_ptr<DRUI> m_window;
};

void TestPlaybackReal::initTestCase()
{
    // The engine is installed beside the program, not beside the tests.
    if (qEnvironmentVariableIsEmpty("VANTOREL_ENGINE"))
        qputenv("VANTOREL_ENGINE", VANTOREL_PROGRAM_DIR "/Player");
    QVERIFY2(QFileInfo(qEnvironmentVariable("VANTOREL_ENGINE")).isExecutable(),
             "the engine was not built");
    // Awkward names on purpose: blanks, quotes, non-ASCII, a leading dash.
    m_files = {m_media.filePath("first clip.mkv"), m_media.filePath("-second \"clip\".mp4"),
               m_media.filePath("dritte Äufnahme.avi")};
    QVERIFY(MakeClip(m_files[0], 6, {"-c:v", "libx264", "-preset", "ultrafast", "-c:a", "aac"}));
    QVERIFY(MakeClip(m_files[1], 4, {"-c:v", "libx264", "-preset", "ultrafast", "-c:a", "aac"}));
    QVERIFY(MakeClip(m_files[2], 3, {"-c:v", "mpeg4", "-c:a", "mp3"}));
    connect(&m_answer, &QTimer::timeout, this, [this] {
        if (auto *box = qobject_cast<CMessageBox *>(QApplication::activeModalWidget())) {
            m_notices << box->messageLabel()->text();
            box->btnSlotOK();
        }
    });
    m_answer.start(100);
}

QImage TestPlaybackReal::videoPixels() const
{
    QLabel *surface = DRUITestAccess::videoSurface(*m_window);
    // The engine draws into the surface's own X window: read it from the server.
    return QGuiApplication::primaryScreen()->grabWindow(surface->winId()).toImage();
}

int TestPlaybackReal::changedPixels(const QImage &a, const QImage &b) const
{
    if (a.size() != b.size() || a.isNull())
        return 0;
    int changed = 0;
    for (int y = 0; y < a.height(); y += 4)
        for (int x = 0; x < a.width(); x += 4)
            changed += a.pixel(x, y) != b.pixel(x, y);
    return changed;
}

void TestPlaybackReal::openWindow()
{
    m_window = std::make_unique<DRUI>();
    m_window->BuildPages();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

// The window handles nothing but screenshots while paused, so the test asks
// the engine itself, with the window's reading held off meanwhile.
double TestPlaybackReal::askPosition(QProcess *engine)
{
    const QSignalBlocker windowDoesNotRead(engine);
    engine->readAllStandardOutput();
    engine->write("pausing_keep get_time_pos\n");
    QByteArray output;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 5000) {
        QTest::qWait(20);
        output += engine->readAllStandardOutput();
        const int at = output.indexOf("ANS_TIME_POSITION=");
        const int end = at < 0 ? -1 : output.indexOf('\n', at);
        if (end > at)
            return output.mid(at + 18, end - at - 18).trimmed().toDouble();
    }
    return -1;
}

void TestPlaybackReal::threeFilesThroughTheWholePath()
{
    openWindow();
    DRUI &w = *m_window;
    const QStringList files = m_files;
    w.setFileChooser([files](QWidget *) { return files; });

    QTest::mouseClick(Named(w, "openFileButton"), Qt::LeftButton);
    auto *table = w.findChild<QTableWidget *>("playlistTable");
    QCOMPARE(table->rowCount(), 3);
    QCOMPARE(table->item(1, 0)->text(), QStringLiteral("    -second \"clip\".mp4"));
    QCOMPARE(DRUITestAccess::currentMediaPath(w), m_files[0]);
    // The durations come from probes beside the window, the first file's first.
    QTRY_COMPARE(DRUITestAccess::lengthSeconds(w), 6);
    QCOMPARE(w.findChild<QSlider *>("seekSlider")->maximum(), 6);
    QCOMPARE(DRUITestAccess::pageStack(w)->currentIndex(), 2);
    QVERIFY(!table->item(0, 0)->icon().isNull());
    QVERIFY(table->item(1, 0)->icon().isNull());

    // Moving frames in the video area. The picture keeps its shape, with
    // black bars beside it: its middle tells that it is there.
    const auto middle = [this] {
        const QImage shown = videoPixels();
        return shown.isNull() ? qRgb(0, 0, 0) : shown.pixel(shown.width() / 2, shown.height() / 2);
    };
    QTRY_VERIFY_WITH_TIMEOUT(middle() != qRgb(0, 0, 0), 8000);
    const QImage early = videoPixels();
    QTRY_VERIFY2_WITH_TIMEOUT(changedPixels(early, videoPixels()) > 20, "the picture does not move", 5000);

    auto *elapsed = w.findChild<QLabel *>("elapsedLabel");
    QTRY_VERIFY_WITH_TIMEOUT(elapsed->text().startsWith("00:00:0")
                                 && elapsed->text() != "00:00:00 ", 4000);
    QCOMPARE(w.findChild<QLabel *>("durationLabel")->text(), QStringLiteral(" 00:00:06"));

    // Pause holds the picture.
    QTest::mouseClick(Named(w, "playButton"), Qt::LeftButton);
    QVERIFY(!DRUITestAccess::playing(w));
    // Once the engine's position stands still it has paused; then the
    // picture must stay as it is.
    QProcess *engine = DRUITestAccess::engine(w);
    double last = -1;
    QTRY_VERIFY_WITH_TIMEOUT([&] {
        const double now = askPosition(engine);
        const bool still = now >= 0 && now == last;
        last = now;
        return still;
    }(), 8000);
    const QImage paused = videoPixels();
    QTest::qWait(800); // nothing may move meanwhile
    QCOMPARE(changedPixels(paused, videoPixels()), 0);

    // A click on the slider seeks there and plays on.
    auto *seek = w.findChild<QSlider *>("seekSlider");
    QTest::mouseClick(seek, Qt::LeftButton, {}, QPoint(seek->width() / 2, seek->height() / 2));
    QVERIFY(DRUITestAccess::playing(w));
    QCOMPARE(elapsed->text(), QStringLiteral("00:00:03"));

    // Next plays the second file.
    QTest::mouseClick(Named(w, "nextButton"), Qt::LeftButton);
    QCOMPARE(DRUITestAccess::currentMediaPath(w), m_files[1]);
    QCOMPARE(table->rowCount(), 3);
    QVERIFY(!table->item(1, 0)->icon().isNull());
    QVERIFY(table->item(0, 0)->icon().isNull());

    // The end of the last file returns to the welcome page.
    QTest::mouseClick(Named(w, "nextButton"), Qt::LeftButton);
    QCOMPARE(DRUITestAccess::currentMediaPath(w), m_files[2]);
    QCOMPARE(DRUITestAccess::pageStack(w)->currentIndex(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(DRUITestAccess::pageStack(w)->currentIndex(), 0, 15000);
    QVERIFY(!DRUITestAccess::playing(w));
    QVERIFY(!seek->isEnabled());
    QCOMPARE(m_notices, QStringList());
}

void TestPlaybackReal::recentListSurvivesARestart()
{
    QVERIFY(m_window);
    m_window.reset();
    DRUI next;
    next.BuildPages();
    QCOMPARE(next.recentFiles, (QStringList{m_files[2], m_files[1], m_files[0]}));
    QStringList offered;
    for (QAction *entry : DRUITestAccess::recentMenu(next)->actions())
        offered << entry->data().toString();
    QCOMPARE(offered, (QStringList{m_files[2], m_files[1], m_files[0], "Clear Menu"}));
}

void TestPlaybackReal::muteAndSnapshotWhilePausedKeepThePause()
{
    openWindow();
    DRUI &w = *m_window;
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.OpenMediaFiles({m_files[0]});
    auto *elapsed = w.findChild<QLabel *>("elapsedLabel");
    QTRY_VERIFY_WITH_TIMEOUT(elapsed->text().startsWith("00:00:0") && elapsed->text() != "00:00:00 ", 8000);
    QTest::keyClick(&w, Qt::Key_Space);
    QCOMPARE(DRUITestAccess::state(w), PlaybackState::Paused);
    QProcess *engine = DRUITestAccess::engine(w);
    const double before = askPosition(engine);
    QVERIFY(before > 0);
    QTest::mouseClick(Named(w, "volumeButton"), Qt::LeftButton);
    QAction *snapshot = nullptr;
    for (QAction *entry : DRUITestAccess::toolsMenu(w)->actions())
        if (entry->data().toString() == "Snapshot")
            snapshot = entry;
    QTRY_VERIFY(snapshot && snapshot->isEnabled());
    snapshot->trigger();
    QTest::qWait(1000); // the engine must not play on meanwhile
    QCOMPARE(askPosition(engine), before);
    QCOMPARE(DRUITestAccess::state(w), PlaybackState::Paused);
    // Play on: the position moves again.
    QTest::keyClick(&w, Qt::Key_Space);
    QCOMPARE(DRUITestAccess::state(w), PlaybackState::Playing);
    QTRY_VERIFY_WITH_TIMEOUT(DRUITestAccess::positionText(w).toInt() > int(before), 8000);
    w.close();
    QTRY_VERIFY(!DRUITestAccess::engine(w));
}

void TestPlaybackReal::aReplacedEngineIsNotWaitedFor()
{
    openWindow();
    DRUI &w = *m_window;
    w.OpenMediaFiles({m_files[0]});
    QTRY_COMPARE_WITH_TIMEOUT(DRUITestAccess::state(w), PlaybackState::Playing, 8000);
    const QString first = QString("/proc/%1").arg(DRUITestAccess::engine(w)->processId());
    w.OpenMediaFiles({m_files[1]});
    // Ended by force, and reaped later by the event loop, not waited for here.
    QVERIFY(QFileInfo::exists(first));
    QTRY_VERIFY(!QFileInfo::exists(first));
    QTRY_COMPARE_WITH_TIMEOUT(DRUITestAccess::state(w), PlaybackState::Playing, 8000);
    QCOMPARE(DRUITestAccess::currentMediaPath(w), m_files[1]);
    QCOMPARE(m_notices, QStringList());
}

void TestPlaybackReal::theClockCatchesUpWithAHeldUpEngine()
{
    const QString clip = m_media.filePath("long clip.mkv");
    QVERIFY(MakeClip(clip, 20, {"-c:v", "libx264", "-preset", "ultrafast", "-c:a", "aac"}));
    openWindow();
    DRUI &w = *m_window;
    w.OpenMediaFiles({clip});
    QTRY_VERIFY_WITH_TIMEOUT(DRUITestAccess::positionText(w).toInt() >= 1, 8000);
    // The engine is held up for four seconds (a stalled share, a suspended
    // process): its picture and position stand still meanwhile.
    const qint64 pid = DRUITestAccess::engine(w)->processId();
    QCOMPARE(::kill(pid_t(pid), SIGSTOP), 0);
    const int held = DRUITestAccess::positionText(w).toInt();
    QTest::qWait(4000); // the window's own clock runs on meanwhile
    QVERIFY(DRUITestAccess::playClockMs(w) / 1000 >= held + 3);
    QCOMPARE(::kill(pid_t(pid), SIGCONT), 0);
    // Once the engine answers again the clock takes its position, a few
    // seconds behind where the window's own count had got to.
    QTRY_VERIFY_WITH_TIMEOUT(DRUITestAccess::positionText(w).toInt() >= held + 1
                                 && DRUITestAccess::positionText(w).toInt() <= held + 3, 6000);
    w.close();
    QTRY_VERIFY(!DRUITestAccess::engine(w));
}

int main(int argc, char *argv[])
{
    return Harness::RunWindowTests<TestPlaybackReal>(argc, argv);
}

#include "tst_playback_real.moc"
