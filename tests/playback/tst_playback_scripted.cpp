// The window against a scripted engine: exact argument lists, the command
// stream, the output parser, transport, playlist, recent files and the
// window's own behaviour, through the real widgets.
#include "PlaybackHarness.h"

#include "dialogs/CMessageBox.h"
#include "lang/CLanguageMgr.h"
#include "ui/RecentFilesList.h"

#include <QApplication>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTimer>

namespace {

const QString ScriptedEngine()
{
    return QCoreApplication::applicationDirPath() + "/scripted-engine";
}

} // namespace

class TestPlaybackScripted : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

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
    void recentFilesRules();
    void recentEntriesReopen();
    void fullScreenDoubleClickAndEscape();
    void dropsOpenTheFirstLocalFile();
    void videoPageEnablesTheMenus();
    void closingLeavesNoEngine();

private:
    void script(const QStringList &rules);
    QStringList logged(const QByteArray &kind) const;
    QStringList received() const { return logged("in: "); } // lines the engine read
    QStringList arguments() const { return logged("arg: "); }
    QString makeFile(const QString &name);
    void openFiles(const QStringList &files);
    void waitForEngineLine(const QString &line);
    QAction *entry(QMenu *menu, const QString &data) const;

    QTemporaryDir m_dir;
    std::unique_ptr<DRUI> m_window;
    int m_case = 0;
    QStringList m_notices; // texts of the message boxes shown, answered at once
    QTimer m_answer;
};

void TestPlaybackScripted::init()
{
    ++m_case;
    m_notices.clear();
    // Notices run modally: answer each from a timer once it is up.
    m_answer.disconnect();
    connect(&m_answer, &QTimer::timeout, this, [this] {
        if (auto *box = qobject_cast<CMessageBox *>(QApplication::activeModalWidget())) {
            m_notices << box->messageLabel()->text();
            box->btnSlotOK();
        }
    });
    m_answer.start(50);
    qputenv("VANTOREL_ENGINE", ScriptedEngine().toUtf8());
    qputenv("SCRIPTED_ENGINE_LOG", m_dir.filePath(QString("log%1.txt").arg(m_case)).toUtf8());
    script({});
    m_window = std::make_unique<DRUI>();
    m_window->BuildPages();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestPlaybackScripted::cleanup()
{
    m_window.reset();
}

void TestPlaybackScripted::script(const QStringList &rules)
{
    const QString path = m_dir.filePath(QString("script%1.txt").arg(m_case));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(rules.join('\n').toUtf8() + '\n');
    qputenv("SCRIPTED_ENGINE_SCRIPT", path.toUtf8());
}

QStringList TestPlaybackScripted::logged(const QByteArray &kind) const
{
    QFile file(qEnvironmentVariable("SCRIPTED_ENGINE_LOG"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList entries;
    for (const QByteArray &line : file.readAll().split('\n'))
        if (line.startsWith(kind))
            entries << QString::fromUtf8(line.mid(kind.size()));
    return entries;
}

QString TestPlaybackScripted::makeFile(const QString &name)
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("not really a film");
    return path;
}

void TestPlaybackScripted::openFiles(const QStringList &files)
{
    m_window->setFileChooser([files](QWidget *) { return files; });
    QTest::mouseClick(Harness::Named(*m_window, "openFileButton"), Qt::LeftButton);
}

void TestPlaybackScripted::waitForEngineLine(const QString &line)
{
    QTRY_VERIFY2_WITH_TIMEOUT(received().contains(line), qPrintable(line), 5000);
}

QAction *TestPlaybackScripted::entry(QMenu *menu, const QString &data) const
{
    for (QAction *action : menu->actions())
        if (action->data().toString() == data)
            return action;
    return nullptr;
}

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
    DRUITestAccess::titleNumbers(w)[DRUITestAccess::currentTitle(w)] = 3;
    QMetaObject::invokeMethod(&w, "VideoPlay");
    QTRY_COMPARE(arguments().size(), 15 + int(tail.size()) + 1);
    QCOMPARE(arguments().mid(15), tail + QStringList{m_dir.filePath("disc")});
}

void TestPlaybackScripted::pollShowsTheClockAndMovesTheSliderEveryFifthAnswer()
{
    script({"on get_time_length: ANS_LENGTH=5400.00", "on get_time_pos: ANS_TIME_POSITION=999.0"});
    openFiles({makeFile("clock.mkv")});
    DRUI &w = *m_window;
    DRUITestAccess::length(w) = 5400;
    auto *seek = w.findChild<QSlider *>("seekSlider");
    seek->setRange(0, 5400);
    auto *elapsed = w.findChild<QLabel *>("elapsedLabel");
    // The program's own clock decides, not the engine's number.
    QTRY_COMPARE_WITH_TIMEOUT(DRUITestAccess::positionText(w).isEmpty(), false, 3000);
    QVERIFY(DRUITestAccess::positionText(w).toInt() < 5);
    QTRY_COMPARE(w.findChild<QLabel *>("durationLabel")->text(), QStringLiteral(" 01:30:00"));
    QVERIFY(elapsed->text().startsWith("00:00:0"));
    QVERIFY(elapsed->text().endsWith(' '));
    QCOMPARE(seek->value(), 0);
    // The fifth answer moves the slider to the clock (about 2.5 s in).
    QTRY_VERIFY_WITH_TIMEOUT(seek->value() >= 2, 6000);
    QVERIFY(seek->value() < 10);
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
    // Opening three of which only the last is known adds none; the first known adds all.
    openFiles({makeFile("4.mkv"), files[2]});
    QCOMPARE(table->rowCount(), 3);
    openFiles({files[0], makeFile("5.mkv")});
    QCOMPARE(table->rowCount(), 5);
    QCOMPARE(w.playlist.size(), 5);
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
    DRUITestAccess::titleChapters(w)[DRUITestAccess::currentTitle(w)] = {0, 300000, 600000, 900000};
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
    QTest::qWait(200);
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
    // And while paused, too; an engine that ends well says nothing.
    script({"exit-after pause"});
    openFiles({makeFile("dies paused.mkv")});
    QCOMPARE(DRUITestAccess::pageStack(w)->currentIndex(), 2);
    QTest::mouseClick(Harness::Named(w, "playButton"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(DRUITestAccess::pageStack(w)->currentIndex(), 0, 4000);
    QTest::qWait(200);
    QCOMPARE(m_notices.size(), 1);
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

void TestPlaybackScripted::recentFilesRules()
{
    DRUI &w = *m_window;
    QStringList files;
    for (int i = 0; i < 11; ++i)
        files << makeFile(QString("recent %1.mkv").arg(i));
    for (const QString &f : files)
        openFiles({f});
    const QString list = w.dataFolder + "RecentConfig.txt";
    QStringList newest;
    for (int i = 10; i >= 1; --i)
        newest << files[i];
    QCOMPARE(RecentFilesList::Load(list), newest);
    // Starting one that is there already leaves the file untouched.
    const QDateTime written = QFileInfo(list).lastModified();
    QTest::qWait(20);
    QMetaObject::invokeMethod(&w, "StopBtn");
    openFiles({files[5]});
    QCOMPARE(QFileInfo(list).lastModified(), written);
    QCOMPARE(w.recentFiles, newest);
    // Clear Menu removes file and entries.
    entry(DRUITestAccess::recentMenu(w), "Clear Menu")->trigger();
    QVERIFY(!QFileInfo::exists(list));
    QVERIFY(DRUITestAccess::recentMenu(w)->actions().isEmpty());
    QMetaObject::invokeMethod(&w, "StopBtn");
    openFiles({files[0]});
    QCOMPARE(RecentFilesList::Load(list), QStringList{files[0]});
}

void TestPlaybackScripted::recentEntriesReopen()
{
    DRUI &w = *m_window;
    const QString gone = m_dir.filePath("gone.mkv");
    const QString film = makeFile("kept.mkv");
    QFile hand(w.dataFolder + "RecentConfig.txt");
    QVERIFY(hand.open(QIODevice::WriteOnly));
    hand.write(QByteArray("\n") + film.toUtf8() + "\n\n" + gone.toUtf8() + "\n" + film.toUtf8()
               + "\n\xff\xfe\x01\n");
    for (int i = 0; i < 12; ++i)
        hand.write(QString("/old/%1\n").arg(i).toUtf8());
    hand.close();
    m_window.reset();
    m_window = std::make_unique<DRUI>();
    m_window->BuildPages();
    DRUI &again = *m_window;
    QCOMPARE(again.recentFiles.size(), 16);
    QCOMPARE(DRUITestAccess::recentMenu(again)->actions().size(), 17);
    // A path that no longer exists is offered; choosing it plays nothing and says why.
    entry(DRUITestAccess::recentMenu(again), gone)->trigger();
    QVERIFY(!DRUITestAccess::engine(again));
    QCOMPARE(m_notices, QStringList{CLanguageMgr::Instance().GetText("Messages/MSG0106")});
    QVERIFY(again.playlist.isEmpty());
    entry(DRUITestAccess::recentMenu(again), film)->trigger();
    QTRY_VERIFY(DRUITestAccess::engine(again));
    QCOMPARE(DRUITestAccess::currentMediaPath(again), film);
}

void TestPlaybackScripted::fullScreenDoubleClickAndEscape()
{
    openFiles({makeFile("full.mkv")});
    DRUI &w = *m_window;
    auto *table = w.findChild<QTableWidget *>("playlistTable");
    table->show();
    QLabel *video = DRUITestAccess::videoSurface(w);
    QTest::mouseDClick(video, Qt::LeftButton);
    QVERIFY(DRUITestAccess::fullScreen(w));
    QVERIFY(DRUITestAccess::menuBar(w)->isHidden());
    QVERIFY(DRUITestAccess::controlPanel(w)->isHidden());
    QVERIFY(table->isHidden());
    QTest::mouseDClick(video, Qt::LeftButton);
    QVERIFY(!DRUITestAccess::fullScreen(w));
    QVERIFY(!DRUITestAccess::menuBar(w)->isHidden());
    QVERIFY(!DRUITestAccess::controlPanel(w)->isHidden());
    QVERIFY(table->isHidden());
    // Escape leaves full screen even after a stop; the button then does nothing.
    QTest::mouseClick(Harness::Named(w, "fullscreenButton"), Qt::LeftButton);
    QVERIFY(DRUITestAccess::fullScreen(w));
    QMetaObject::invokeMethod(&w, "StopBtn");
    QTest::keyClick(&w, Qt::Key_Escape);
    QVERIFY(!DRUITestAccess::fullScreen(w));
    QTest::mouseClick(Harness::Named(w, "fullscreenButton"), Qt::LeftButton);
    QVERIFY(!DRUITestAccess::fullScreen(w));
    QTest::keyClick(&w, Qt::Key_Escape);
    QVERIFY(!DRUITestAccess::fullScreen(w));
}

void TestPlaybackScripted::dropsOpenTheFirstLocalFile()
{
    DRUI &w = *m_window;
    const QString first = makeFile("dropped one.mkv");
    auto drop = [&w](const QList<QUrl> &urls) {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &dropped);
    };
    drop({QUrl("http://example.org/film.mkv")});
    QVERIFY(w.playlist.isEmpty());
    drop({QUrl::fromLocalFile(first), QUrl::fromLocalFile(makeFile("dropped two.mkv"))});
    QCOMPARE(w.playlist.size(), 1);
    QCOMPARE(DRUITestAccess::currentMediaPath(w), first);
    QTRY_VERIFY(DRUITestAccess::engine(w));
}

void TestPlaybackScripted::videoPageEnablesTheMenus()
{
    openFiles({makeFile("menus.mkv")});
    DRUI &w = *m_window;
    w.repaint();
    QMenu *controls = DRUITestAccess::controlsMenu(w);
    for (QAction *a : controls->actions())
        QCOMPARE(a->isEnabled(), a->data().toString() != "Navigation");
    for (QMenu *menu : {DRUITestAccess::videoMenu(w), DRUITestAccess::audioMenu(w)})
        for (QAction *a : menu->actions())
            QVERIFY(a->isEnabled());
    QCOMPARE(DRUITestAccess::infoLabel(w)->text(), QStringLiteral("    menus.mkv"));
    QMetaObject::invokeMethod(&w, "StopBtn");
    QVERIFY(DRUITestAccess::infoLabel(w)->text().isEmpty());
}

void TestPlaybackScripted::closingLeavesNoEngine()
{
    script({"exit-after never-comes"});
    openFiles({makeFile("closing.mkv")});
    DRUI &w = *m_window;
    QTRY_VERIFY(DRUITestAccess::engine(w));
    const qint64 pid = DRUITestAccess::engine(w)->processId();
    QVERIFY(pid > 0);
    w.close();
    QVERIFY(!DRUITestAccess::engine(w));
    QVERIFY(!QFileInfo::exists(QString("/proc/%1/exe").arg(pid)) || QFileInfo(QString("/proc/%1/status").arg(pid)).size() == 0);
    QVERIFY(received().contains("q"));
}

int main(int argc, char *argv[])
{
    return Harness::RunWindowTests<TestPlaybackScripted>(argc, argv);
}

#include "tst_playback_scripted.moc"
