// Picking up where the user left off, end to end through the real window and
// engine: a file played to 20 s with its second audio track comes back there
// after the player was closed and started again; a disc of two episode
// playlists plays both, in order, from Play All, and its image offers the
// place the folder was left at; a DVD goes on in the title it was left in.
#include "PlaybackHarness.h"

#include "BlurayAuthor.h"
#include "EngineDriver.h"
#include "TestMedia.h"

using namespace Harness;

namespace {

std::unique_ptr<DRUI> StartPlayer()
{
    auto w = std::make_unique<DRUI>();
    w->BuildPages();
    w->show();
    return QTest::qWaitForWindowExposed(w.get()) ? std::move(w) : nullptr;
}

// The way the seek slider goes there.
void SeekWithSlider(DRUI &w, int second)
{
    QMetaObject::invokeMethod(&w, "SliderSeek", Q_ARG(int, second));
    QMetaObject::invokeMethod(&w, "SliderRelease");
}

} // namespace

class TestResumeReal : public QObject
{
    Q_OBJECT
    QString trace() const { return m_work.filePath("trace.txt"); }
    QTemporaryDir m_work;

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("VANTOREL_ENGINE"))
            qputenv("VANTOREL_ENGINE", VANTOREL_PROGRAM_DIR "/Player");
        qputenv("PLAYER_TRACE", trace().toUtf8());
    }
    void fileResumesAfterARestart();
    void playAllPlaysTheEpisodesInOrder();
    void dvdGoesOnInItsTitle();
};

void TestResumeReal::fileResumesAfterARestart()
{
    const QString clip = m_work.filePath("film.mkv");
    QVERIFY(TestMedia::MakeClip(clip, 60)); // audio: eng, fra

    {
        std::unique_ptr<DRUI> first = StartPlayer();
        QVERIFY(first);
        DRUI &w = *first;
        w.OpenMediaFiles({clip});
        QTRY_COMPARE_WITH_TIMEOUT(DRUITestAccess::state(w), PlaybackState::Playing, 10000);
        QVERIFY(!Named(w, "startOverButton")->isVisible());
        // The second audio track, from the Audio menu.
        QMenu *tracks = DRUITestAccess::audioTrackMenu(w);
        QTRY_COMPARE_WITH_TIMEOUT(tracks->actions().size(), 3, 10000);
        emit DRUITestAccess::audioMenu(w)->triggered(tracks->actions().at(2));
        QTRY_COMPARE_WITH_TIMEOUT(LastTraceValue(trace(), "aid"), QString("2"), 5000);
        SeekWithSlider(w, 20);
        QTRY_VERIFY_WITH_TIMEOUT(DRUITestAccess::playClockMs(w) >= 20000, 5000);
        // Saved while it plays, so that a crash would lose only seconds.
        const QString store = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                              + "/Vantorel/ResumeConfig.txt";
        QTRY_VERIFY_WITH_TIMEOUT(ResumeStore::Load(store).value(ResumeStore::FileKeyOf(clip)).positionMs >= 20000,
                                 10000);
        // Quit, as File > Exit does.
        w.close();
        QTRY_COMPARE_WITH_TIMEOUT(DRUITestAccess::state(w), PlaybackState::Idle, 10000);
    }
    QFile::remove(trace());

    std::unique_ptr<DRUI> second = StartPlayer();
    QVERIFY(second);
    DRUI &w = *second;
    // The recent list shows where it was left.
    QMenu *recent = Opened(DRUITestAccess::recentMenu(w));
    QVERIFY2(recent->actions().value(0)->text().startsWith(clip + "   00:00:2"),
             qPrintable(recent->actions().value(0)->text()));
    w.OpenMediaFiles({clip});
    QTRY_COMPARE_WITH_TIMEOUT(DRUITestAccess::state(w), PlaybackState::Playing, 10000);
    const qint64 at = DRUITestAccess::playClockMs(w);
    QVERIFY2(at >= 20000 && at < 30000, qPrintable(QString::number(at)));
    // The clock follows the engine's answers: still past 20 s a while later,
    // so the engine really is there.
    QTest::qWait(3000);
    QVERIFY2(DRUITestAccess::playClockMs(w) >= 21000, qPrintable(QString::number(DRUITestAccess::playClockMs(w))));
    QTRY_COMPARE_WITH_TIMEOUT(LastTraceValue(trace(), "aid"), QString("2"), 10000);
    // It says so, and one click starts over.
    auto *startOver = qobject_cast<QPushButton *>(Named(w, "startOverButton"));
    QVERIFY(startOver->isVisible());
    QVERIFY(startOver->text().contains("00:00:2"));
    QTest::mouseClick(startOver, Qt::LeftButton);
    QVERIFY(!startOver->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(DRUITestAccess::playClockMs(w) < 5000, 5000);
}

void TestResumeReal::playAllPlaysTheEpisodesInOrder()
{
    const QString one = m_work.filePath("one.m2ts"), two = m_work.filePath("two.m2ts"),
                  three = m_work.filePath("three.m2ts");
    QVERIFY(TestMedia::MakeM2ts(one, 22, 1, 440));
    QVERIFY(TestMedia::MakeM2ts(two, 22, 1, 660));
    QVERIFY(TestMedia::MakeM2ts(three, 22, 1, 880));
    const QString disc = m_work.filePath("Series");
    QString error;
    QVERIFY2(BlurayAuthor::WriteDisc(
                 disc, {{one, {"eng"}, {0, 10}}, {two, {"eng"}, {0, 10}}, {three, {"eng"}, {0, 10}}}, {}, &error),
             qPrintable(error));

    std::unique_ptr<DRUI> player = StartPlayer();
    QVERIFY(player);
    DRUI &w = *player;
    w.OpenDiscFolder(disc);
    QTRY_COMPARE_WITH_TIMEOUT(DRUITestAccess::pageStack(w)->currentIndex(), 1, 10000);
    QMenu *page = w.findChild<QMenu *>("discMenu");
    QAction *playAll = nullptr, *episodes = nullptr;
    for (QAction *entry : page->actions()) {
        playAll = entry->text() == "Play All" ? entry : playAll;
        episodes = entry->text() == "Episodes" ? entry : episodes;
    }
    QVERIFY(playAll && playAll->isVisible() && episodes && episodes->isVisible());
    QStringList listed;
    for (QAction *entry : episodes->menu()->actions())
        listed << entry->text();
    QCOMPARE(listed, (QStringList{"Episode 1   00:00:22", "Episode 2   00:00:22", "Episode 3   00:00:22"}));

    // Play All: episode 1, then episode 2 without the disc page between.
    QList<int> pages;
    connect(DRUITestAccess::pageStack(w), &QStackedLayout::currentChanged, this,
            [&pages](int index) { pages << index; });
    QMetaObject::invokeMethod(&w, "BDMenuOperate", Q_ARG(QAction *, playAll));
    QTRY_COMPARE_WITH_TIMEOUT(DRUITestAccess::state(w), PlaybackState::Playing, 10000);
    QVERIFY(DRUITestAccess::currentTitle(w).endsWith("00000.mpls"));
    QTRY_COMPARE(w.windowTitle(), QString("Episode 1 – Vantorel")); // the task bar says which
    // Near the end of the first, so the test need not sit through it.
    SeekWithSlider(w, 19);
    QTRY_VERIFY_WITH_TIMEOUT(DRUITestAccess::currentTitle(w).endsWith("00001.mpls"), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(DRUITestAccess::state(w), PlaybackState::Playing, 10000);
    QVERIFY2(!pages.contains(1), "the disc page came back between the episodes");
    QTRY_COMPARE(w.windowTitle(), QString("Episode 2 – Vantorel"));

    // Back to the disc page 12 s into episode 2: the page offers to resume
    // there first, and that plays episode 2 from there.
    QTRY_VERIFY_WITH_TIMEOUT(DRUITestAccess::mediumOpened(w), 10000);
    SeekWithSlider(w, 12);
    QTRY_VERIFY_WITH_TIMEOUT(DRUITestAccess::playClockMs(w) >= 12000, 5000);
    QTest::qWait(500);
    QMenu *controls = DRUITestAccess::controlsMenu(w);
    for (QAction *a : controls->actions())
        if (a->data().toString() == "Navigation")
            emit controls->triggered(a);
    QCOMPARE(DRUITestAccess::pageStack(w)->currentIndex(), 1);
    QAction *resume = page->actions().first();
    QVERIFY(resume->isVisible());
    QVERIFY2(resume->text().startsWith("Resume 00:00:1"), qPrintable(resume->text()));
    QMetaObject::invokeMethod(&w, "BDMenuOperate", Q_ARG(QAction *, resume));
    QTRY_COMPARE_WITH_TIMEOUT(DRUITestAccess::state(w), PlaybackState::Playing, 10000);
    QVERIFY(DRUITestAccess::currentTitle(w).endsWith("00001.mpls"));
    QTest::qWait(2000);
    QVERIFY2(DRUITestAccess::playClockMs(w) >= 12000, qPrintable(QString::number(DRUITestAccess::playClockMs(w))));
    // Carrying on goes on to episode 3 at the end of episode 2.
    SeekWithSlider(w, 19);
    QTRY_VERIFY_WITH_TIMEOUT(DRUITestAccess::currentTitle(w).endsWith("00002.mpls"), 20000);
    QTRY_COMPARE(w.windowTitle(), QString("Episode 3 – Vantorel"));
    QTRY_VERIFY_WITH_TIMEOUT(DRUITestAccess::mediumOpened(w), 10000);
    SeekWithSlider(w, 12);
    QTRY_VERIFY_WITH_TIMEOUT(DRUITestAccess::playClockMs(w) >= 12000, 5000);

    // The same disc as an image is the same disc.
    const QString image = m_work.filePath("Series.iso");
    QCOMPARE(QProcess::execute("genisoimage", {"-quiet", "-udf", "-o", image, disc}), 0);
    w.OpenFromDesktop({image});
    QTRY_COMPARE_WITH_TIMEOUT(DRUITestAccess::pageStack(w)->currentIndex(), 1, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(page->actions().first()->isVisible(), 5000);
    QVERIFY2(page->actions().first()->text().startsWith("Resume 00:00:1"), qPrintable(page->actions().first()->text()));
}

void TestResumeReal::dvdGoesOnInItsTitle()
{
    const QString folder = m_work.filePath("dvd"), image = m_work.filePath("dvd.iso");
    QVERIFY(TestMedia::MakeDvd(folder, {4, 30}, m_work.path()));
    QCOMPARE(QProcess::execute("genisoimage", {"-quiet", "-udf", "-dvd-video", "-o", image, folder}), 0);
    {
        std::unique_ptr<DRUI> first = StartPlayer();
        QVERIFY(first);
        DRUI &w = *first;
        w.OpenFromDesktop({image});
        QTRY_COMPARE_WITH_TIMEOUT(DRUITestAccess::state(w), PlaybackState::Playing, 10000);
        QMenu *titles = DRUITestAccess::titleMenu(w);
        QCOMPARE(titles->actions().size(), 2);
        emit DRUITestAccess::controlsMenu(w)->triggered(titles->actions()[1]);
        QTRY_COMPARE_WITH_TIMEOUT(w.findChild<QLabel *>("durationLabel")->text(), QString(" 00:00:30"), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(DRUITestAccess::mediumOpened(w), 10000);
        SeekWithSlider(w, 15);
        QTRY_VERIFY_WITH_TIMEOUT(DRUITestAccess::playClockMs(w) >= 15000, 5000);
        QTest::qWait(300);
        w.close();
        QTRY_COMPARE_WITH_TIMEOUT(DRUITestAccess::state(w), PlaybackState::Idle, 10000);
    }
    // Started again, the folder the image was made of: title 2 from 15 s.
    std::unique_ptr<DRUI> second = StartPlayer();
    QVERIFY(second);
    DRUI &w = *second;
    w.OpenFromDesktop({folder});
    QTRY_COMPARE_WITH_TIMEOUT(DRUITestAccess::state(w), PlaybackState::Playing, 10000);
    QTRY_VERIFY(DRUITestAccess::titleMenu(w)->actions().value(1) && DRUITestAccess::titleMenu(w)->actions()[1]->isChecked());
    QVERIFY2(DRUITestAccess::playClockMs(w) >= 15000, qPrintable(QString::number(DRUITestAccess::playClockMs(w))));
    QVERIFY(Named(w, "startOverButton")->isVisible());
    // Title 2 chosen from the menu starts from its beginning.
    emit DRUITestAccess::controlsMenu(w)->triggered(DRUITestAccess::titleMenu(w)->actions()[1]);
    QTRY_COMPARE_WITH_TIMEOUT(DRUITestAccess::state(w), PlaybackState::Playing, 10000);
    QTest::qWait(1500);
    QVERIFY2(DRUITestAccess::playClockMs(w) < 10000, qPrintable(QString::number(DRUITestAccess::playClockMs(w))));
}

int main(int argc, char *argv[])
{
    return Harness::RunWindowTests<TestResumeReal>(argc, argv);
}

#include "tst_resume_real.moc"
