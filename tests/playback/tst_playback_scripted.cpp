// The window against a scripted engine: exact argument lists, the command
// stream, the output parser and transport, through the real widgets.
#include "ScriptedFixture.h"

#include "dialogs/CMessageBox.h"
#include "lang/CLanguageMgr.h"
#include "ui/RecentFilesList.h"

#include <QApplication>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTimer>

class TestPlaybackScripted : public ScriptedFixture
{
    Q_OBJECT
private slots:
    void init() { startCase(); }
    void cleanup() { endCase(); }

    void fileStartsWithTheFullArgumentList();
    void discArgumentLists_data();
    void discArgumentLists();
    void pollShowsTheClockAndMovesTheSliderEveryFifthAnswer();
    void dvdTakesItsLengthFromTheFirstAnswer();
    void streamListsBuildTheTrackMenus();
    void endOfFileReturnsToTheWelcomePage();
    void pauseResumeAndTheSlider();
    void playButtonTogglesWithoutRestarting();
    void forwardBackwardAndVolumeFromTheControlsMenu();
    void trackAndChannelChoices();
    void previousAndNextWalkThePlaylist();
    void chapterStartOnlyForTheTitleItWasChosenFor();
    void engineThatCannotStartIsReported();
    void engineThatDiesReturnsToIdle();
    void garbageLongLinesAndFloodsAreSurvived();
};

void TestPlaybackScripted::fileStartsWithTheFullArgumentList()
{
    const QString film = makeFile("a film with blanks.mkv");
    openFiles({film});
    DRUI &w = *m_window;
    QTRY_COMPARE(arguments().size(), 16);
    const QString wid = QString::number(DRUITestAccess::videoSurface(w)->winId());
    QCOMPARE(arguments(), (QStringList{"-demuxer", "lavf", "-ni", "-slave", "-quiet", "-wid", wid,
                                       "-vo", "direct3d", "-lavdopts", "threads=4", "-vf",
                                       "screenshot=" + w.dataFolder, "-af",
                                       "channels=6,volume=5.1:1", film}));
    QVERIFY(w.dataFolder.endsWith("/Vantorel/"));
    waitForEngineLine("volume 50 2");
    QCOMPARE(received().first(), QStringLiteral("volume 50 2"));
    QCOMPARE(DRUITestAccess::pageStack(w)->currentIndex(), 2);
    QCOMPARE(w.playlist.size(), 1);
}

void TestPlaybackScripted::discArgumentLists_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("chosen");
    QTest::addColumn<QStringList>("tail");
    QTest::newRow("dvd") << int(MEDIA_DVD) << false << QStringList{"dvd://1", "-dvd-device"};
    QTest::newRow("bluray main title") << int(MEDIA_BLURAY) << false
                                       << QStringList{"br://0", "-bluray-device"};
    QTest::newRow("bluray title 3") << int(MEDIA_BLURAY) << true
                                    << QStringList{"br://3", "-bluray-device"};
}

void TestPlaybackScripted::discArgumentLists()
{
    QFETCH(int, kind);
    QFETCH(bool, chosen);
    QFETCH(QStringList, tail);
    DRUI &w = *m_window;
    QDir().mkpath(m_dir.filePath("disc"));
    DRUITestAccess::currentMediaPath(w) = m_dir.filePath("disc");
    DRUITestAccess::mediaKind(w) = kind;
    DRUITestAccess::titleChosen(w) = chosen;
    DRUITestAccess::currentTitle(w) = m_dir.filePath("disc/BDMV/PLAYLIST/00003.mpls");
    DRUITestAccess::title(w, DRUITestAccess::currentTitle(w)).number = 3;
    QMetaObject::invokeMethod(&w, "VideoPlay");
    QTRY_COMPARE(arguments().size(), 15 + int(tail.size()) + 1);
    QCOMPARE(arguments().mid(15), tail + QStringList{m_dir.filePath("disc")});
}

void TestPlaybackScripted::pollShowsTheClockAndMovesTheSliderEveryFifthAnswer()
{
    script({"on get_time_length: ANS_LENGTH=5400.00", "on get_time_pos: ANS_TIME_POSITION=999.0"});
    openFiles({makeFile("clock.mkv")});
    DRUI &w = *m_window;
    QTRY_VERIFY(Harness::ProbesDone(w));
    DRUITestAccess::length(w) = 5400;
    auto *seek = w.findChild<QSlider *>("seekSlider");
    seek->setRange(0, 5400);
    auto *elapsed = w.findChild<QLabel *>("elapsedLabel");
    // One answer off the program's clock may be from before a seek: the
    // clock keeps its count.
    QTRY_COMPARE_WITH_TIMEOUT(DRUITestAccess::positionText(w).isEmpty(), false, 3000);
    QVERIFY(DRUITestAccess::positionText(w).toInt() < 5);
    QTRY_COMPARE(w.findChild<QLabel *>("durationLabel")->text(), QStringLiteral(" 01:30:00"));
    QVERIFY(elapsed->text().endsWith(' '));
    QCOMPARE(seek->value(), 0);
    // The second one in a row sets it to the engine's position (the engine
    // was held up), and the fifth moves the slider there.
    QTRY_COMPARE_WITH_TIMEOUT(DRUITestAccess::positionText(w), QStringLiteral("999"), 3000);
    QTRY_VERIFY_WITH_TIMEOUT(seek->value() >= 999, 6000);
    QVERIFY(seek->value() < 1005);
    QTRY_VERIFY(elapsed->text().startsWith("00:16:"));
    QVERIFY(received().contains("get_time_length"));
    const int length = received().indexOf("get_time_length");
    QCOMPARE(received().value(length + 1), QStringLiteral("get_time_pos"));
}

void TestPlaybackScripted::dvdTakesItsLengthFromTheFirstAnswer()
{
    script({"start: ANS_LENGTH=5423.00", "after 300: ANS_LENGTH=77.00"});
    DRUI &w = *m_window;
    QDir().mkpath(m_dir.filePath("dvd"));
    DRUITestAccess::currentMediaPath(w) = m_dir.filePath("dvd");
    DRUITestAccess::mediaKind(w) = MEDIA_DVD;
    QMetaObject::invokeMethod(&w, "VideoPlay");
    auto *seek = w.findChild<QSlider *>("seekSlider");
    QTRY_COMPARE(DRUITestAccess::length(w), qint64(5423));
    QCOMPARE(seek->maximum(), 5423);
    QTest::qWait(600);
    QCOMPARE(DRUITestAccess::length(w), qint64(5423));
    QCOMPARE(seek->maximum(), 5423);
}

void TestPlaybackScripted::streamListsBuildTheTrackMenus()
{
    script({"start: Playing film.mkv.", "start: [lavf] stream 1: audio (aac), -aid 0, -alang eng",
            "start: [lavf] stream 2: audio (ac3), -aid 1", "start: [lavf] stream 3: audio (dts), -aid 2",
            "start: [lavf] stream 4: subtitle (srt), -sid 0", "start: [lavf] stream 5: audio, -aid 3",
            "start: [lavf] stream 6: subtitle (ass), -sid 1",
            "start: VIDEO:  [H264]  320x240  24bpp  25.000 fps",
            "after 200: VIDEO:  [H264]  320x240  24bpp  25.000 fps"});
    openFiles({makeFile("tracks.mkv")});
    DRUI &w = *m_window;
    QMenu *audio = DRUITestAccess::audioTrackMenu(w);
    QMenu *subs = DRUITestAccess::subtitleTrackMenu(w);
    QTRY_COMPARE(audio->actions().size(), 4);
    QStringList texts;
    for (QAction *a : audio->actions())
        texts << a->text();
    QCOMPARE(texts, (QStringList{"Disable", "Audio 1", "Audio 2", "Audio 3"}));
    QVERIFY(audio->actions()[1]->isChecked());
    QVERIFY(!audio->actions()[0]->isCheckable());
    QCOMPARE(subs->actions().size(), 3);
    QVERIFY(subs->actions()[0]->isChecked());
    QCOMPARE(subs->actions()[2]->text(), QStringLiteral("Subtitle 2"));
    QCOMPARE(subs->actions()[2]->data().toInt(), 2);
    waitForEngineLine("pausing_keep switch_audio 0");
    // The second "VIDEO:" with the same counts leaves the menus alone.
    QAction *first = audio->actions()[1];
    QTest::qWait(400);
    QCOMPARE(audio->actions()[1], first);
    QCOMPARE(received().count("pausing_keep switch_audio 0"), 1);
}

void TestPlaybackScripted::endOfFileReturnsToTheWelcomePage()
{
    script({"after 300: Exiting... (End of file)"});
    openFiles({makeFile("one.mkv"), makeFile("two.mkv")});
    DRUI &w = *m_window;
    QCOMPARE(DRUITestAccess::pageStack(w)->currentIndex(), 2);
    QTRY_COMPARE(DRUITestAccess::pageStack(w)->currentIndex(), 0);
    QCOMPARE(w.findChild<QLabel *>("elapsedLabel")->text(), QStringLiteral("00:00:00 "));
    QCOMPARE(w.findChild<QSlider *>("seekSlider")->value(), 0);
    QVERIFY(!w.findChild<QSlider *>("seekSlider")->isEnabled());
    QVERIFY(!DRUITestAccess::playing(w));
    waitForEngineLine("q");
    // Playback does not go on with the next entry.
    QTest::qWait(300);
    QCOMPARE(DRUITestAccess::currentMediaPath(w), m_dir.filePath("one.mkv"));
    QCOMPARE(arguments().count("-slave"), 1);
}

void TestPlaybackScripted::pauseResumeAndTheSlider()
{
    openFiles({makeFile("pause.mkv")});
    DRUI &w = *m_window;
    QTRY_VERIFY(Harness::ProbesDone(w));
    DRUITestAccess::length(w) = 4000;
    auto *seek = w.findChild<QSlider *>("seekSlider");
    seek->setRange(0, 4000);
    waitForEngineLine("volume 50 2");
    QTest::mouseClick(Harness::Named(w, "playButton"), Qt::LeftButton);
    waitForEngineLine("pause");
    QVERIFY(!DRUITestAccess::playing(w));
    QCOMPARE(DRUITestAccess::playAction(w)->data().toString(), QStringLiteral("Resume"));
    const int before = int(received().size());
    QTest::qWait(1200);
    QCOMPARE(received().size(), before); // no poll while paused
    // The volume keeps the pause.
    QMetaObject::invokeMethod(&w, "VolumeSliderSeek", Q_ARG(int, 30));
    waitForEngineLine("pausing_keep volume 30 100");
    QVERIFY(!DRUITestAccess::playing(w));
    // A click at a quarter of the slider seeks to 1000 and resumes.
    const int x = seek->width() / 4;
    QTest::mouseClick(seek, Qt::LeftButton, {}, QPoint(x, seek->height() / 2));
    const int target = int(4000.0 * x / seek->width());
    waitForEngineLine(QString("seek %1 2").arg(target));
    QVERIFY(DRUITestAccess::playing(w));
    QCOMPARE(DRUITestAccess::playAction(w)->data().toString(), QStringLiteral("Pause"));
    // Dragging sends nothing until the release.
    const int sent = int(received().size());
    QMetaObject::invokeMethod(&w, "SliderPress");
    QMetaObject::invokeMethod(&w, "SliderSeek", Q_ARG(int, 1800));
    QCOMPARE(int(received().count(QString("seek 1800 2"))), 0);
    QMetaObject::invokeMethod(&w, "SliderRelease");
    waitForEngineLine("seek 1800 2");
    QCOMPARE(w.findChild<QLabel *>("elapsedLabel")->text(), QStringLiteral("00:30:00"));
    QCOMPARE(seek->value(), 1800);
    QVERIFY(received().size() > sent);
}

void TestPlaybackScripted::playButtonTogglesWithoutRestarting()
{
    openFiles({makeFile("toggle.mkv")});
    DRUI &w = *m_window;
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QProcess *engine = DRUITestAccess::engine(w);
    QTest::keyClick(&w, Qt::Key_Space);
    waitForEngineLine("pause");
    QTest::keyClick(&w, Qt::Key_Space);
    QVERIFY(DRUITestAccess::playing(w));
    QCOMPARE(DRUITestAccess::engine(w), engine);
    QCOMPARE(received().count("pause"), 1);
    // Opening the same file again toggles too: one row, no new engine.
    openFiles({m_dir.filePath("toggle.mkv")});
    QCOMPARE(w.playlist.size(), 1);
    QCOMPARE(DRUITestAccess::engine(w), engine);
    QVERIFY(!DRUITestAccess::playing(w));
}

void TestPlaybackScripted::forwardBackwardAndVolumeFromTheControlsMenu()
{
    openFiles({makeFile("jumps.mkv")});
    DRUI &w = *m_window;
    QTRY_VERIFY(Harness::ProbesDone(w));
    DRUITestAccess::length(w) = 5400;
    auto *seek = w.findChild<QSlider *>("seekSlider");
    seek->setRange(0, 5400);
    seek->setValue(5380);
    QMenu *controls = DRUITestAccess::controlsMenu(w);
    QApplication::processEvents(); // the repaint enables the entries
    QVERIFY(entry(controls, "Forward")->isEnabled());
    entry(controls, "Forward")->trigger();
    waitForEngineLine("seek 5396 2");
    seek->setValue(30);
    entry(controls, "Backward")->trigger();
    waitForEngineLine("seek 0 2");
    auto *volume = w.findChild<QSlider *>("volumeSlider");
    volume->setValue(98);
    entry(controls, "VolumeUp")->trigger();
    QCOMPARE(volume->value(), 100);
    waitForEngineLine("pausing_keep volume 100 100");
    volume->setValue(3);
    entry(controls, "VolumeDown")->trigger();
    QCOMPARE(volume->value(), 0);
    // Mute and unmute.
    QTest::mouseClick(Harness::Named(w, "volumeButton"), Qt::LeftButton);
    QCOMPARE(volume->value(), 50);
    waitForEngineLine("volume 50 100");
    QTest::mouseClick(Harness::Named(w, "volumeButton"), Qt::LeftButton);
    QCOMPARE(volume->value(), 0);
    waitForEngineLine("volume 0 100");
    entry(controls, "Stop")->trigger();
    QCOMPARE(DRUITestAccess::pageStack(w)->currentIndex(), 0);
}

void TestPlaybackScripted::trackAndChannelChoices()
{
    script({"start: x, -aid 0", "start: x, -aid 1", "start: y, -sid 0",
            "start: VIDEO:  [H264]  320x240"});
    openFiles({makeFile("choices.mkv")});
    DRUI &w = *m_window;
    QMenu *audio = DRUITestAccess::audioTrackMenu(w);
    QTRY_COMPARE(audio->actions().size(), 3);
    audio->actions()[2]->trigger();
    waitForEngineLine("pausing_keep switch_audio 1");
    QVERIFY(audio->actions()[2]->isChecked());
    QVERIFY(!audio->actions()[1]->isChecked());
    audio->actions()[0]->trigger();
    waitForEngineLine("pausing_keep switch_audio -2");
    QMenu *subs = DRUITestAccess::subtitleTrackMenu(w);
    subs->actions()[1]->trigger();
    waitForEngineLine("pausing_keep sub_demux 0");
    subs->actions()[0]->trigger();
    waitForEngineLine("pausing_keep sub_demux -1");
    QMenu *channels = DRUITestAccess::audioChannelMenu(w);
    entry(channels, "Left")->trigger();
    waitForEngineLine("pausing_keep balance -1 1");
    QVERIFY(entry(channels, "Left")->isChecked());
    QVERIFY(!entry(channels, "Stereo")->isChecked());
    entry(channels, "Right")->trigger();
    waitForEngineLine("pausing_keep balance 1 1");
}

void TestPlaybackScripted::previousAndNextWalkThePlaylist()
{
    const QStringList files = {makeFile("1.mkv"), makeFile("2.mkv"), makeFile("3.mkv")};
    openFiles(files);
    DRUI &w = *m_window;
    auto *table = w.findChild<QTableWidget *>("playlistTable");
    QCOMPARE(table->rowCount(), 3);
    QCOMPARE(DRUITestAccess::currentMediaPath(w), files[0]);
    QTest::mouseClick(Harness::Named(w, "preButton"), Qt::LeftButton);
    QCOMPARE(DRUITestAccess::currentMediaPath(w), files[0]);
    QTest::mouseClick(Harness::Named(w, "nextButton"), Qt::LeftButton);
    QCOMPARE(DRUITestAccess::currentMediaPath(w), files[1]);
    QVERIFY(!table->item(1, 0)->icon().isNull());
    QTest::mouseClick(Harness::Named(w, "nextButton"), Qt::LeftButton);
    QCOMPARE(DRUITestAccess::currentMediaPath(w), files[2]);
    QTest::mouseClick(Harness::Named(w, "nextButton"), Qt::LeftButton);
    QCOMPARE(DRUITestAccess::currentMediaPath(w), files[2]);
    QTest::mouseClick(Harness::Named(w, "preButton"), Qt::LeftButton);
    QCOMPARE(DRUITestAccess::currentMediaPath(w), files[1]);
    QCOMPARE(table->rowCount(), 3);
    // A double-click plays that row; one on an empty cell does nothing.
    QMetaObject::invokeMethod(&w, "PlayListItemDoubleClick", Q_ARG(int, 0), Q_ARG(int, 0));
    QCOMPARE(DRUITestAccess::currentMediaPath(w), files[0]);
    QMetaObject::invokeMethod(&w, "PlayListItemDoubleClick", Q_ARG(int, 7), Q_ARG(int, 0));
    QCOMPARE(DRUITestAccess::currentMediaPath(w), files[0]);
    QCOMPARE(table->item(2, 0)->text(), QStringLiteral("    3.mkv"));
    // Each file not yet listed joins, in order, whichever of them is known;
    // the first plays and Next and Previous reach every one.
    openFiles({makeFile("4.mkv"), files[2]});
    QCOMPARE(table->rowCount(), 4);
    QCOMPARE(DRUITestAccess::currentMediaPath(w), m_dir.filePath("4.mkv"));
    openFiles({files[0], makeFile("5.mkv"), makeFile("6.mkv"), makeFile("5.mkv")});
    QCOMPARE(w.playlist.size(), 6);
    QStringList rows;
    for (int row = 0; row < table->rowCount(); ++row)
        rows << table->item(row, 0)->text().trimmed();
    QCOMPARE(rows, (QStringList{"1.mkv", "2.mkv", "3.mkv", "4.mkv", "5.mkv", "6.mkv"}));
}

void TestPlaybackScripted::chapterStartOnlyForTheTitleItWasChosenFor()
{
    DRUI &w = *m_window;
    QDir().mkpath(m_dir.filePath("bd"));
    DRUITestAccess::currentMediaPath(w) = m_dir.filePath("bd");
    DRUITestAccess::mediaKind(w) = MEDIA_BLURAY;
    DRUITestAccess::startSeconds(w) = 754;
    QMetaObject::invokeMethod(&w, "VideoPlay");
    waitForEngineLine("seek 754 2");
    QCOMPARE(received().indexOf("seek 754 2"), received().indexOf("volume 50 2") + 1);
    // Chapters step by the title's chapter list.
    DRUITestAccess::title(w, DRUITestAccess::currentTitle(w)).chapters = {0, 300000, 600000, 900000};
    DRUITestAccess::positionText(w) = "650";
    QMetaObject::invokeMethod(&w, "PlayPre");
    waitForEngineLine("seek 300 2");
    DRUITestAccess::positionText(w) = "650";
    QMetaObject::invokeMethod(&w, "PlayNext");
    waitForEngineLine("seek 900 2");
    // A file opened afterwards starts at its beginning.
    qputenv("SCRIPTED_ENGINE_LOG", m_dir.filePath("log-after.txt").toUtf8());
    openFiles({makeFile("plain.mkv")});
    waitForEngineLine("volume 50 2");
    QTest::qWait(200); // no seek may follow
    QCOMPARE(received().filter("seek").size(), 0);
    QCOMPARE(DRUITestAccess::startSeconds(w), 0);
}

void TestPlaybackScripted::engineThatCannotStartIsReported()
{
    qputenv("VANTOREL_ENGINE", m_dir.filePath("no-such-engine").toUtf8());
    openFiles({makeFile("orphan.mkv")});
    QTRY_COMPARE(m_notices, QStringList{CLanguageMgr::Instance().GetText("Messages/MSG0104")});
    DRUI &w = *m_window;
    QVERIFY(!m_notices.first().isEmpty());
    QCOMPARE(DRUITestAccess::pageStack(w)->currentIndex(), 0);
    QVERIFY(!DRUITestAccess::playing(w));
    QVERIFY(!DRUITestAccess::engine(w));
    QCOMPARE(DRUITestAccess::playAction(w)->data().toString(), QStringLiteral("Play"));
}

void TestPlaybackScripted::engineThatDiesReturnsToIdle()
{
    script({"exit-after get_time_pos", "exit-status 3"});
    openFiles({makeFile("dies.mkv")});
    DRUI &w = *m_window;
    QCOMPARE(DRUITestAccess::pageStack(w)->currentIndex(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(DRUITestAccess::pageStack(w)->currentIndex(), 0, 4000);
    QVERIFY(!DRUITestAccess::playing(w));
    QVERIFY(!w.findChild<QSlider *>("seekSlider")->isEnabled());
    // It failed, and the user is told so.
    QTRY_COMPARE(m_notices, QStringList{CLanguageMgr::Instance().GetText("Messages/MSG0105")});
    // One that played and broke off, while paused too, stopped unexpectedly.
    script({"start: Playing dies paused.mkv.", "exit-after pause", "exit-status 9"});
    openFiles({makeFile("dies paused.mkv")});
    QCOMPARE(DRUITestAccess::pageStack(w)->currentIndex(), 2);
    QTRY_VERIFY(DRUITestAccess::mediumOpened(w));
    QTest::mouseClick(Harness::Named(w, "playButton"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(DRUITestAccess::pageStack(w)->currentIndex(), 0, 4000);
    QTRY_COMPARE(m_notices.size(), 2);
    QCOMPARE(m_notices.last(), CLanguageMgr::Instance().GetText("Messages/MSG0110"));
    // One that played and ended well says nothing.
    script({"start: Playing ends.mkv.", "exit-after pause"});
    openFiles({makeFile("ends.mkv")});
    QTRY_VERIFY(DRUITestAccess::mediumOpened(w));
    QTest::mouseClick(Harness::Named(w, "playButton"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(DRUITestAccess::pageStack(w)->currentIndex(), 0, 4000);
    QTest::qWait(200); // no notice may come
    QCOMPARE(m_notices.size(), 2);
    // One that gives up before it plays anything, with the end-of-file line
    // and a good status: the file could not be played.
    script({"start: Exiting... (End of file)"});
    openFiles({makeFile("empty.mkv")});
    QTRY_COMPARE(m_notices.size(), 3);
    QCOMPARE(m_notices.last(), CLanguageMgr::Instance().GetText("Messages/MSG0105"));
}

void TestPlaybackScripted::garbageLongLinesAndFloodsAreSurvived()
{
    // A shell engine: garbage, a line of 3 MB without an end, a flood, then
    // the end of the medium.
    const QString engine = m_dir.filePath("flood.sh");
    QFile file(engine);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n"
               "printf 'Playing x.\\n\\377\\376garbage\\0bytes\\n'\n"
               "head -c 3000000 /dev/zero | tr '\\0' 'A'\n"
               "printf '\\nVIDEO:  [H264]  1x1\\n'\n"
               "yes 'A: 1.0 V: 1.0 A-V: 0.000' | head -n 200000\n"
               "printf 'Exiting... (End of file)\\n'\n"
               "exec cat >/dev/null\n");
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    qputenv("VANTOREL_ENGINE", engine.toUtf8());
    openFiles({makeFile("flood.mkv")});
    DRUI &w = *m_window;
    QTRY_COMPARE_WITH_TIMEOUT(DRUITestAccess::pageStack(w)->currentIndex(), 0, 30000);
    QVERIFY(!DRUITestAccess::playing(w));
}

int main(int argc, char *argv[])
{
    return Harness::RunWindowTests<TestPlaybackScripted>(argc, argv);
}

#include "tst_playback_scripted.moc"
