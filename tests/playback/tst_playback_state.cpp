// Where playback stands, through the real widgets: every user action in every
// state, and what the window shows after it; full screen at the end of a
// file; an engine that cannot start, one that will not quit, and commands
// that must keep a pause.
#include "ScriptedFixture.h"

#include "lang/CLanguageMgr.h"

#include <QApplication>

namespace {

enum class Setup { Fresh, Ended, Playing, Paused, PausedThenStopped, Stopping };
enum class Action { Space, PlayButton, StopButton, Right, Left, FullScreenKey };

int Starts(const QStringList &arguments)
{
    return int(arguments.count(QStringLiteral("-slave")));
}

bool SameImage(const QIcon &icon, const char *image)
{
    return icon.pixmap(16).toImage() == QIcon(QString::fromLatin1(image)).pixmap(16).toImage();
}

} // namespace

Q_DECLARE_METATYPE(Setup)
Q_DECLARE_METATYPE(Action)
Q_DECLARE_METATYPE(PlaybackState)

class TestPlaybackState : public ScriptedFixture
{
    Q_OBJECT
private slots:
    void init() { startCase(); }
    void cleanup() { endCase(); }

    void everyActionInEveryState_data();
    void everyActionInEveryState();
    void fullScreenEndsWithTheFile();
    void engineThatCannotStartLeavesNothingRunning();
    void muteAndSnapshotKeepThePause();
    void forwardWithAnUnknownLengthGoesForward();
    void replacedAndClosedEnginesAreNeverWaitedFor();
    void eachPollStepsTheClockAndEveryFifthMovesTheSlider();

private:
    void enter(Setup setup);
    void act(Action action);
    void checkConsistent();
    PlaybackState state() { return DRUITestAccess::state(*m_window); }
};

void TestPlaybackState::enter(Setup setup)
{
    // Keys reach the menus' shortcuts only in the active window.
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    m_window->setFileChooser([](QWidget *) { return QStringList(); });
    if (setup == Setup::Fresh)
        return;
    if (setup == Setup::Ended)
        script({"start: Playing state.mkv.", "after 300: Exiting... (End of file)"});
    if (setup == Setup::Stopping)
        script({"exit-after never-comes"});
    const QString film = makeFile("state.mkv");
    m_window->OpenMediaFiles({film});
    QTRY_COMPARE(state(), setup == Setup::Ended ? PlaybackState::Idle : PlaybackState::Playing);
    // The engine's own log of its start may come after the window's state.
    QTRY_COMPARE(Starts(arguments()), 1);
    if (setup == Setup::Paused || setup == Setup::PausedThenStopped)
        QTest::mouseClick(Harness::Named(*m_window, "playButton"), Qt::LeftButton);
    if (setup == Setup::PausedThenStopped || setup == Setup::Stopping)
        QTest::mouseClick(Harness::Named(*m_window, "stopButton"), Qt::LeftButton);
    if (setup == Setup::PausedThenStopped)
        QTRY_COMPARE(state(), PlaybackState::Idle);
    // The chooser of an idle window must not be what restarts a medium.
    m_window->setFileChooser([](QWidget *) { return QStringList(); });
}

void TestPlaybackState::act(Action action)
{
    DRUI &w = *m_window;
    switch (action) {
    case Action::Space: QTest::keyClick(&w, Qt::Key_Space); break;
    case Action::PlayButton: QTest::mouseClick(Harness::Named(w, "playButton"), Qt::LeftButton); break;
    case Action::StopButton: QTest::mouseClick(Harness::Named(w, "stopButton"), Qt::LeftButton); break;
    case Action::Right: QTest::keyClick(&w, Qt::Key_Right); break;
    case Action::Left: QTest::keyClick(&w, Qt::Key_Left); break;
    case Action::FullScreenKey: QTest::keyClick(&w, Qt::Key_F); break;
    }
}

// What the window shows always agrees with where playback stands.
void TestPlaybackState::checkConsistent()
{
    DRUI &w = *m_window;
    const EngineSession *engine = DRUITestAccess::session(w);
    const bool moving = engine->isPlaying();
    const QString entry = moving ? "Pause" : engine->state() == PlaybackState::Paused ? "Resume" : "Play";
    QCOMPARE(DRUITestAccess::playAction(w)->data().toString(), entry);
    QCOMPARE(DRUITestAccess::playAction(w)->text(), Text(("MainWnd/" + entry).toLatin1().constData()));
    auto *button = qobject_cast<QPushButton *>(Harness::Named(w, "playButton"));
    QVERIFY(SameImage(button->icon(), moving ? ":/image/pause.png" : ":/image/play.png"));
    QCOMPARE(DRUITestAccess::refreshTimer(w)->isActive(), moving);
    QCOMPARE(DRUITestAccess::inhibiting(w), moving);
    QVERIFY(!DRUITestAccess::fullScreen(w) || engine->isActive());
    QVERIFY(DRUITestAccess::pageStack(w)->currentIndex() != 2 || engine->isActive());
}

void TestPlaybackState::everyActionInEveryState_data()
{
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<Action>("action");
    QTest::addColumn<PlaybackState>("after");
    QTest::addColumn<int>("page");
    QTest::addColumn<bool>("newEngine");
    using S = PlaybackState;
    const struct Row {
        const char *name;
        Setup setup;
        Action action;
        S after;
        int page;
        bool newEngine;
    } rows[] = {
        {"fresh space", Setup::Fresh, Action::Space, S::Idle, 0, false},
        {"fresh play", Setup::Fresh, Action::PlayButton, S::Idle, 0, false},
        {"fresh stop", Setup::Fresh, Action::StopButton, S::Idle, 0, false},
        {"fresh right", Setup::Fresh, Action::Right, S::Idle, 0, false},
        {"fresh F", Setup::Fresh, Action::FullScreenKey, S::Idle, 0, false},
        {"ended space", Setup::Ended, Action::Space, S::Starting, 2, true},
        {"ended play", Setup::Ended, Action::PlayButton, S::Starting, 2, true},
        {"ended stop", Setup::Ended, Action::StopButton, S::Idle, 0, false},
        {"ended left", Setup::Ended, Action::Left, S::Idle, 0, false},
        {"ended F", Setup::Ended, Action::FullScreenKey, S::Idle, 0, false},
        {"playing space", Setup::Playing, Action::Space, S::Paused, 2, false},
        {"playing play", Setup::Playing, Action::PlayButton, S::Paused, 2, false},
        {"playing stop", Setup::Playing, Action::StopButton, S::Stopping, 0, false},
        {"playing right", Setup::Playing, Action::Right, S::Playing, 2, false},
        {"playing left", Setup::Playing, Action::Left, S::Playing, 2, false},
        {"playing F", Setup::Playing, Action::FullScreenKey, S::Playing, 2, false},
        {"paused space", Setup::Paused, Action::Space, S::Playing, 2, false},
        {"paused play", Setup::Paused, Action::PlayButton, S::Playing, 2, false},
        {"paused stop", Setup::Paused, Action::StopButton, S::Stopping, 0, false},
        {"paused right", Setup::Paused, Action::Right, S::Playing, 2, false},
        {"paused left", Setup::Paused, Action::Left, S::Playing, 2, false},
        {"paused F", Setup::Paused, Action::FullScreenKey, S::Paused, 2, false},
        {"stopped space", Setup::PausedThenStopped, Action::Space, S::Starting, 2, true},
        {"stopped play", Setup::PausedThenStopped, Action::PlayButton, S::Starting, 2, true},
        {"stopped right", Setup::PausedThenStopped, Action::Right, S::Idle, 0, false},
        {"stopped F", Setup::PausedThenStopped, Action::FullScreenKey, S::Idle, 0, false},
        {"stopping space", Setup::Stopping, Action::Space, S::Starting, 2, true},
        {"stopping play", Setup::Stopping, Action::PlayButton, S::Starting, 2, true},
        {"stopping stop", Setup::Stopping, Action::StopButton, S::Stopping, 0, false},
        {"stopping right", Setup::Stopping, Action::Right, S::Stopping, 0, false},
    };
    for (const Row &row : rows)
        QTest::newRow(row.name) << row.setup << row.action << row.after << row.page << row.newEngine;
}

void TestPlaybackState::everyActionInEveryState()
{
    QFETCH(Setup, setup);
    QFETCH(Action, action);
    QFETCH(PlaybackState, after);
    QFETCH(int, page);
    QFETCH(bool, newEngine);
    enter(setup);
    checkConsistent();
    const int startsBefore = Starts(arguments());
    act(action);
    QCOMPARE(state(), after);
    QCOMPARE(DRUITestAccess::pageStack(*m_window)->currentIndex(), page);
    checkConsistent();
    QTRY_COMPARE(Starts(arguments()), startsBefore + (newEngine ? 1 : 0));
    if (setup == Setup::Playing || setup == Setup::Paused) {
        if (action == Action::Right)
            waitForEngineLine("seek 60 2");
        if (action == Action::Left)
            waitForEngineLine("seek 0 2");
    }
    if (!DRUITestAccess::session(*m_window)->isActive() && !newEngine) {
        // No poll reaches an engine that is gone or going.
        QTest::qWait(700);
        const QStringList lines = received();
        QVERIFY(!lines.mid(lines.lastIndexOf("q") + 1).contains("get_time_length"));
    }
}

void TestPlaybackState::fullScreenEndsWithTheFile()
{
    enter(Setup::Fresh);
    script({"start: Playing fullscreen.mkv.", "after 1500: Exiting... (End of file)"});
    openFiles({makeFile("fullscreen.mkv")});
    DRUI &w = *m_window;
    QTRY_COMPARE(state(), PlaybackState::Playing);
    QTest::keyClick(&w, Qt::Key_F);
    QVERIFY(DRUITestAccess::fullScreen(w));
    QVERIFY(DRUITestAccess::menuBar(w)->isHidden());
    QTRY_COMPARE_WITH_TIMEOUT(state(), PlaybackState::Idle, 5000);
    QVERIFY(!DRUITestAccess::fullScreen(w));
    QVERIFY(!DRUITestAccess::menuBar(w)->isHidden());
    QVERIFY(!DRUITestAccess::controlPanel(w)->isHidden());
    QTRY_VERIFY(!(w.windowState() & Qt::WindowFullScreen));
    QCOMPARE(DRUITestAccess::pageStack(w)->currentIndex(), 0);
    // Nothing plays: F and a double-click leave the window as it is.
    QTest::keyClick(&w, Qt::Key_F);
    QTest::mouseDClick(DRUITestAccess::videoSurface(w), Qt::LeftButton);
    QVERIFY(!DRUITestAccess::fullScreen(w));
    checkConsistent();
}

void TestPlaybackState::engineThatCannotStartLeavesNothingRunning()
{
    enter(Setup::Fresh);
    qputenv("VANTOREL_ENGINE", m_dir.filePath("no-such-engine").toUtf8());
    openFiles({makeFile("nostart.mkv")});
    DRUI &w = *m_window;
    QTRY_COMPARE(m_notices, QStringList{Text("Messages/MSG0104")});
    QCOMPARE(state(), PlaybackState::Idle);
    QCOMPARE(DRUITestAccess::pageStack(w)->currentIndex(), 0);
    checkConsistent();
    // The poll stays off for good.
    QTest::qWait(700);
    QVERIFY(!DRUITestAccess::refreshTimer(w)->isActive());
    // Once the engine is back, the play entry starts it.
    qputenv("VANTOREL_ENGINE", (QCoreApplication::applicationDirPath() + "/scripted-engine").toUtf8());
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_Space);
    QTRY_COMPARE(state(), PlaybackState::Playing);
    checkConsistent();
}

void TestPlaybackState::muteAndSnapshotKeepThePause()
{
    enter(Setup::Fresh);
    openFiles({makeFile("keep.mkv")});
    DRUI &w = *m_window;
    QTRY_COMPARE(state(), PlaybackState::Playing);
    QTest::keyClick(&w, Qt::Key_Space);
    QCOMPARE(state(), PlaybackState::Paused);
    QTest::mouseClick(Harness::Named(w, "volumeButton"), Qt::LeftButton);
    waitForEngineLine("pausing_keep volume 0 100");
    QAction *snapshot = entry(DRUITestAccess::toolsMenu(w), "Snapshot");
    QTRY_VERIFY(snapshot->isEnabled());
    snapshot->trigger();
    waitForEngineLine("pausing_keep screenshot 0");
    QCOMPARE(state(), PlaybackState::Paused);
    checkConsistent();
    // While playing they are the plain commands.
    QTest::keyClick(&w, Qt::Key_Space);
    QTest::mouseClick(Harness::Named(w, "volumeButton"), Qt::LeftButton);
    waitForEngineLine("volume 50 100");
    QVERIFY(!received().contains("pausing_keep volume 50 100"));
}

void TestPlaybackState::forwardWithAnUnknownLengthGoesForward()
{
    enter(Setup::Fresh);
    // The probe cannot read this file: its length is unknown.
    openFiles({makeFile("unknown.mkv")});
    DRUI &w = *m_window;
    QTRY_COMPARE(state(), PlaybackState::Playing);
    QCOMPARE(DRUITestAccess::lengthSeconds(w), qint64(0));
    QTest::keyClick(&w, Qt::Key_Right);
    waitForEngineLine("seek 60 2");
    QTest::keyClick(&w, Qt::Key_Right);
    waitForEngineLine("seek 120 2");
    QVERIFY(!received().contains("seek 0 2"));
    QTest::keyClick(&w, Qt::Key_Left);
    QTRY_COMPARE(received().count("seek 60 2"), 2);
}

void TestPlaybackState::replacedAndClosedEnginesAreNeverWaitedFor()
{
    // An engine that never quits when told stands for one stuck on a disc.
    script({"exit-after never-comes"});
    DRUI &w = *m_window;
    w.OpenMediaFiles({makeFile("stuck.mkv")});
    QTRY_VERIFY(DRUITestAccess::engine(w) && DRUITestAccess::engine(w)->processId() > 0);
    const qint64 first = DRUITestAccess::engine(w)->processId();
    const QString firstProc = QString("/proc/%1").arg(first);
    w.OpenMediaFiles({makeFile("next.mkv")});
    // Replaced at once, and not waited for: it is reaped later.
    QVERIFY(QFileInfo::exists(firstProc));
    QTRY_VERIFY(!QFileInfo::exists(firstProc));
    QTRY_VERIFY(DRUITestAccess::engine(w) && DRUITestAccess::engine(w)->processId() > 0);
    const qint64 second = DRUITestAccess::engine(w)->processId();
    QTRY_COMPARE(state(), PlaybackState::Playing);
    // Closing asks it to quit and returns; it is ended by force later.
    w.close();
    QVERIFY(!w.isVisible());
    QCOMPARE(state(), PlaybackState::Stopping);
    QVERIFY(QFileInfo::exists(QString("/proc/%1").arg(second)));
    QTRY_COMPARE(state(), PlaybackState::Idle);
    QTRY_VERIFY(!QFileInfo::exists(QString("/proc/%1").arg(second)));
    QVERIFY(received().contains("q"));
}

void TestPlaybackState::eachPollStepsTheClockAndEveryFifthMovesTheSlider()
{
    enter(Setup::Fresh);
    // Answers without a number leave the clock to its own count.
    script({"on get_time_pos: ANS_TIME_POSITION=?"});
    DRUI &w = *m_window;
    // The polls are driven by hand here, one answer at a time.
    w.OpenMediaFiles({makeFile("clock.mkv")});
    DRUITestAccess::refreshTimer(w)->stop();
    QTRY_COMPARE(state(), PlaybackState::Playing);
    DRUITestAccess::refreshTimer(w)->stop();
    QTRY_VERIFY(Harness::ProbesDone(w));
    auto *seek = w.findChild<QSlider *>("seekSlider");
    seek->setRange(0, 5400);
    const qint64 start = DRUITestAccess::playClockMs(w);
    for (int poll = 1; poll <= 11; ++poll) {
        QMetaObject::invokeMethod(&w, "DoRefreshGui");
        QCOMPARE(DRUITestAccess::playClockMs(w), start + 507 * poll);
        QTRY_COMPARE(DRUITestAccess::answerCount(w), poll % 5);
        QCOMPARE(DRUITestAccess::positionText(w), QString::number((start + 507 * poll) / 1000));
        // The slider follows the program's clock on the fifth answer only.
        const int expected = poll < 5 ? 0 : int((start + 507 * (poll < 10 ? 5 : 10)) / 1000);
        QCOMPARE(seek->value(), expected);
    }
}

int main(int argc, char *argv[])
{
    return Harness::RunWindowTests<TestPlaybackState>(argc, argv);
}

#include "tst_playback_state.moc"
