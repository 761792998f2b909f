// Disc folders through the real window with the scripted engine: what is a
// disc, the disc page and its popups, the choices made there and the engine
// command lines they lead to, the Controls menu while a disc plays, and the
// disc in the playlist and the recent list.
#include "ScriptedFixture.h"

#include "TestDisc.h"

#include "disc/BlurayTitleList.h"
#include "lang/CLanguageMgr.h"

#include <QApplication>
#include <QImage>
#include <QPointer>
#include <QScopeGuard>

#include <algorithm>

#include <sys/stat.h>

namespace {

constexpr auto Title = ChapteredPlaylist;

void Write(const QString &path, const QByteArray &bytes)
{
    QVERIFY(WriteDiscFile(path, bytes));
}

} // namespace

class TestDiscWindow : public ScriptedFixture
{
    Q_OBJECT
private slots:
    void init();
    void cleanup() { endCase(); }

    void foldersThatAreNoDiscAreRefused();
    void blurayFillsTheDiscPage();
    void discPageChoicesReachTheEngine();
    void discPageWorksFromTheKeyboard();
    void controlsMenuWhileADiscPlays();
    void controlsPlayOnTheDiscPagePlaysTheDisc();
    void discReopensFromPlaylistAndRecentList();
    void dvdFolderPlaysAtOnce();
    void openingSomethingElseCancelsTheRead();
    void damagedDiscsLeaveThePageAlone();
    void discsThatDoNotPlaySayWhy();
    void bigDiscsStayWithinReach();
    void popupsSpeakTheChosenLanguage();

private:
    QString makeBluray(const QString &name);
    void openDisc(const QString &folder);
    QAction *discEntry(int row) const;
    QStringList texts(QMenu *menu) const;

    QString m_disc;
    BlurayDisc m_library;
};

void TestDiscWindow::init()
{
    startCase();
    m_disc = makeBluray(QString("Blu-ray %1 \"quoted\" Ä").arg(m_case));
    m_library = ReadBlurayDisc(m_disc);
}

// Files 00000 (no play items), 00001, 00002 (a byte copy of 00001), 00003 and
// 00004: four readable playlists, three distinct titles.
QString TestDiscWindow::makeBluray(const QString &name)
{
    const QString root = m_dir.filePath(name);
    const QList<TestStream> audio = {{0x81, "eng", 6}, {0x86, "fra", 3}};
    const QList<TestStream> subtitles = {{0x90, "deu"}, {0x90, "jpn"}};
    const QByteArray main = Title("00001", 6310, {0, 300, 600, 900}, audio, subtitles);
    Write(root + "/BDMV/PLAYLIST/00000.mpls", MplsBuilder::Build({}, {}));
    Write(root + "/BDMV/PLAYLIST/00001.mpls", main);
    Write(root + "/BDMV/PLAYLIST/00002.mpls", main);
    Write(root + "/BDMV/PLAYLIST/00003.mpls", Title("00003", 150, {0}, {{0x81, "spa"}}, {}));
    Write(root + "/BDMV/PLAYLIST/00004.mpls", Title("00004", 6300, {0, 60}, audio, {}));
    QDir().mkpath(root + "/BDMV/STREAM");
    Write(root + "/BDMV/META/DL/bdmt_eng.xml",
          QString("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<di:title>\n<di:name>Amélie – 日本語</di:name>\n"
                  "</di:title>\n<di:thumbnail href=\"thumb.png\" />\n").toUtf8());
    QImage picture(64, 36, QImage::Format_RGB32);
    picture.fill(Qt::red);
    picture.save(root + "/BDMV/META/DL/thumb.png");
    Write(root + "/BDMV/META/DL/bdmt_jpn.xml",
          QString("<disclib xmlns:di=\"urn:BDA:bdmv;discinfo\"><di:discinfo><di:title><di:name>アメリ</di:name>"
                  "</di:title><di:description><di:thumbnail href=\"jpn.png\" size=\"32x18\"/>"
                  "</di:description></di:discinfo></disclib>").toUtf8());
    picture.scaled(32, 18).save(root + "/BDMV/META/DL/jpn.png");
    return root;
}

void TestDiscWindow::openDisc(const QString &folder)
{
    const QString given = folder;
    m_window->setFolderChooser([given](QWidget *) { return given; });
    QTest::mouseClick(Harness::Named(*m_window, "openFolderButton"), Qt::LeftButton);
}

QAction *TestDiscWindow::discEntry(int row) const
{
    // The page's own entries from Play Movie on: the Resume entry before it
    // (shown once the disc has a place remembered) and Play All and
    // Episodes (hidden unless the disc holds episodes) left out.
    QList<QAction *> shown;
    for (QAction *entry : m_window->findChild<QMenu *>("discMenu")->actions().mid(1)) {
        if (entry->isVisible())
            shown << entry;
    }
    return shown.at(row);
}

QStringList TestDiscWindow::texts(QMenu *menu) const
{
    QStringList list;
    for (QAction *a : menu->actions())
        list << a->text();
    return list;
}

void TestDiscWindow::foldersThatAreNoDiscAreRefused()
{
    const QString refused = Text("Messages/MSG0102");
    QDir().mkpath(m_dir.filePath("plain/sub"));
    QDir().mkpath(m_dir.filePath("nostream/BDMV/PLAYLIST"));
    QDir().mkpath(m_dir.filePath("lower/Video_TS"));
    // A folder below one named like a stream folder is no disc either.
    QDir().mkpath(m_dir.filePath("STREAMS/film/BDMV/PLAYLIST"));
    // A stream folder, but nothing to list in PLAYLIST: empty, or a link loop.
    QDir().mkpath(m_dir.filePath("empty/BDMV/PLAYLIST"));
    QDir().mkpath(m_dir.filePath("empty/BDMV/STREAM"));
    QDir().mkpath(m_dir.filePath("loop/BDMV/STREAM"));
    QVERIFY(QFile::link("PLAYLIST", m_dir.filePath("loop/BDMV/PLAYLIST")));
    for (const char *folder : {"plain", "nostream", "lower", "STREAMS/film", "missing", "empty", "loop"}) {
        m_notices.clear();
        openDisc(m_dir.filePath(folder));
        QTRY_COMPARE(m_notices, QStringList{refused});
        QCOMPARE(DRUITestAccess::pageStack(*m_window)->currentIndex(), 0);
    }
    // An image that holds no disc (here all zeros) says so.
    QFile zeros(m_dir.filePath("zeros.iso"));
    QVERIFY(zeros.open(QIODevice::WriteOnly) && zeros.resize(1 << 20));
    zeros.close();
    m_notices.clear();
    m_window->OpenFromDesktop({zeros.fileName()});
    QTRY_COMPARE(m_notices, QStringList{Text("Messages/MSG0111")});
    // A cancelled chooser says nothing.
    m_notices.clear();
    openDisc(QString());
    QTest::qWait(200); // no notice may come
    QCOMPARE(m_notices, QStringList());
    QVERIFY(m_window->playlist.isEmpty());
}

void TestDiscWindow::blurayFillsTheDiscPage()
{
    DRUI &w = *m_window;
    Harness::PaintCount page(DRUITestAccess::discPicture(w));
    Harness::PaintCount controls(Harness::Named(w, "playButton"));
    Harness::PaintCount menus(Harness::Named(w, "menuButton1"));
    QTest::qWait(50); // the window's own first drawing
    page.paints = controls.paints = menus.paints = 0;
    w.OpenDiscFolder(m_disc + "/");
    // Read off the window's thread, and quickly: no notice flickers.
    QTRY_COMPARE(DRUITestAccess::pageStack(w)->currentIndex(), 1);
    // The page is drawn alone, not the menu bar and the controls around it.
    QTRY_VERIFY(page.paints > 0);
    QTest::qWait(50);
    QCOMPARE(controls.paints + menus.paints, 0);
    QVERIFY(!QApplication::overrideCursor());
    QVERIFY(DRUITestAccess::infoLabel(w)->text().isEmpty());
    QCOMPARE(DRUITestAccess::discTitleLabel(w)->text(), QString("Amélie – 日本語"));
    QVERIFY(!DRUITestAccess::discPicture(w)->pixmap().isNull());

    // Titles: the library's, in its order, with its numbers; 00000 and the
    // copy 00002 are none.
    QCOMPARE(m_library.titles.size(), 3);
    QMenu *titles = Harness::Opened(discEntry(4)->menu());
    QVERIFY(titles);
    QStringList expected;
    for (int k = 1; k <= m_library.titles.size(); ++k)
        expected << QString("%1. %2").arg(k).arg(m_library.titles[k - 1].durationText);
    QCOMPARE(texts(titles), expected);
    QCOMPARE(expected.last(), QString("3. 00:02:30"));
    QCOMPARE(titles->actions(), DRUITestAccess::titleMenu(w)->actions());
    QVERIFY(!titles->actions().isEmpty());
    for (int k = 0; k < m_library.titles.size(); ++k) {
        const PLAY_LIST_INFO data = titles->actions()[k]->data().value<PLAY_LIST_INFO>();
        QCOMPARE(data.path, m_library.titles[k].playlistPath);
        QCOMPARE(DRUITestAccess::title(w, data.path).number, m_library.titles[k].number);
    }
    const BlurayTitle &main = m_library.titles.first();
    QCOMPARE(DRUITestAccess::currentTitle(w), main.playlistPath);

    // Chapters of the main title, in both menus.
    QMenu *chapters = discEntry(1)->menu();
    QCOMPARE(texts(chapters), (QStringList{"1. 00:00:00", "2. 00:05:00", "3. 00:10:00", "4. 00:15:00"}));
    QCOMPARE(chapters->actions()[2]->data().toLongLong(), 600000);
    QCOMPARE(chapters->actions(), DRUITestAccess::chapterMenu(w)->actions());

    // Audio: "Disable" and the streams, the first one chosen.
    QMenu *audio = discEntry(2)->menu();
    const QStringList audioTexts = {"Disable", "English Dolby Digital multichannel", "French DTS-HD MA stereo"};
    QCOMPARE(texts(audio), audioTexts);
    QCOMPARE(audio->activeAction(), audio->actions()[1]);
    QCOMPARE(texts(DRUITestAccess::audioTrackMenu(w)), audioTexts);
    QVERIFY(DRUITestAccess::audioTrackMenu(w)->actions()[1]->isChecked());
    QVERIFY(!DRUITestAccess::audioTrackMenu(w)->actions()[0]->isCheckable());
    // Subtitles: "Disable" chosen.
    QMenu *subtitles = discEntry(3)->menu();
    QCOMPARE(texts(subtitles),
             (QStringList{"Disable", "German", "Japanese"}));
    QCOMPARE(subtitles->activeAction(), subtitles->actions()[0]);
    QVERIFY(DRUITestAccess::subtitleTrackMenu(w)->actions()[0]->isChecked());
    QCOMPARE(subtitles->actions()[2]->data().toInt(), 2);

    // A second disc fills the popups anew; nothing of the first stays.
    QList<QPointer<QAction>> first;
    for (QAction *entry : chapters->actions() + subtitles->actions())
        first << entry;
    const QString other = makeBluray("other disc");
    openDisc(other);
    QTRY_VERIFY(DRUITestAccess::currentTitle(w).startsWith(other));
    QTRY_VERIFY(std::none_of(first.cbegin(), first.cend(), [](const QPointer<QAction> &entry) { return entry; }));
    QCOMPARE(discEntry(1)->menu(), chapters);
    QCOMPARE(chapters->actions().size(), DRUITestAccess::chapterMenu(w)->actions().size());
    QCOMPARE(Harness::Opened(DRUITestAccess::titleMenu(w))->actions().size(), 3);
    QCOMPARE(discEntry(4)->menu()->actions(), DRUITestAccess::titleMenu(w)->actions());
}

void TestDiscWindow::discPageChoicesReachTheEngine()
{
    script({"start: VIDEO:  [H264]  1920x1080  24bpp  23.976 fps"});
    DRUI &w = *m_window;
    openDisc(m_disc);
    QTRY_COMPARE(DRUITestAccess::pageStack(w)->currentIndex(), 1);
    // Play Movie, clicked on the page's own menu.
    QMenu *page = w.findChild<QMenu *>("discMenu");
    QTest::mouseClick(page, Qt::LeftButton, {}, page->actionGeometry(discEntry(0)).center());
    QTRY_COMPARE(arguments().size(), 18);
    QCOMPARE(arguments().mid(15), (QStringList{"br://0", "-bluray-device", m_disc}));
    waitForEngineLine("switch_audio 0");
    QCOMPARE(DRUITestAccess::pageStack(w)->currentIndex(), 2);
    QCOMPARE(w.playlist.size(), 1);
    QCOMPARE(w.playlist[0].kind, int(MEDIA_BLURAY));
    QCOMPARE(w.playlist[0].path, m_disc);
    QCOMPARE(w.playlist[0].duration, QString("01:45:10"));
    QCOMPARE(DRUITestAccess::lengthSeconds(w), qint64(6310));
    QCOMPARE(w.recentFiles.value(0), m_disc);

    // Back to the disc page; an audio and a subtitle choice wait for the
    // next start, which a chapter makes.
    // The disc page does not go on showing where the stopped title was.
    QMenu *controls = DRUITestAccess::controlsMenu(w);
    DRUITestAccess::seekSlider(w)->setValue(300);
    DRUITestAccess::elapsedLabel(w)->setText("00:05:00 ");
    emit controls->triggered(entry(controls, "Navigation"));
    waitForEngineLine("q");
    QCOMPARE(DRUITestAccess::pageStack(w)->currentIndex(), 1);
    QCOMPARE(DRUITestAccess::seekSlider(w)->value(), 0);
    QVERIFY(!DRUITestAccess::seekSlider(w)->isEnabled());
    QCOMPARE(DRUITestAccess::elapsedLabel(w)->text(), QString("00:00:00 "));
    QCOMPARE(DRUITestAccess::infoLabel(w)->text().trimmed(), QString());
    const int lines = int(received().size());
    QMetaObject::invokeMethod(&w, "BDMenuOperate", Q_ARG(QAction *, discEntry(2)->menu()->actions()[2]));
    QMetaObject::invokeMethod(&w, "BDMenuOperate", Q_ARG(QAction *, discEntry(3)->menu()->actions()[1]));
    QCOMPARE(discEntry(2)->menu()->activeAction(), discEntry(2)->menu()->actions()[2]);
    QVERIFY(discEntry(2)->menu()->actions()[2]->isChecked());
    QVERIFY(!discEntry(2)->menu()->actions()[1]->isChecked());
    QTRY_COMPARE(DRUITestAccess::state(w), PlaybackState::Idle);
    QTest::qWait(200); // nothing is sent for a choice
    QCOMPARE(received().size(), lines);
    const int logged = int(arguments().size());
    QMetaObject::invokeMethod(&w, "BDMenuOperate", Q_ARG(QAction *, discEntry(1)->menu()->actions()[2]));
    QTRY_COMPARE(arguments().size(), logged + 18);
    QCOMPARE(arguments().mid(logged + 15), (QStringList{"br://0", "-bluray-device", m_disc}));
    waitForEngineLine("seek 600 2");
    QCOMPARE(received().indexOf("seek 600 2", lines), received().indexOf("volume 50 2", lines) + 1);
    waitForEngineLine("switch_audio 1");
    waitForEngineLine("sub_demux 0");

    // Another title plays its own number, from its start.
    const PLAY_LIST_INFO third = Harness::Opened(discEntry(4)->menu())->actions()[2]->data().value<PLAY_LIST_INFO>();
    const int number = DRUITestAccess::title(w, third.path).number;
    emit controls->triggered(entry(controls, "Navigation"));
    const int before = int(arguments().size());
    const int sent = int(received().size());
    QMetaObject::invokeMethod(&w, "BDMenuOperate", Q_ARG(QAction *, Harness::Opened(discEntry(4)->menu())->actions()[2]));
    QTRY_COMPARE(arguments().size(), before + 18);
    QCOMPARE(arguments().mid(before + 15), (QStringList{QString("br://%1").arg(number), "-bluray-device", m_disc}));
    QCOMPARE(DRUITestAccess::lengthSeconds(w), qint64(150));
    waitForEngineLine("switch_audio 0");
    QVERIFY(received().mid(sent).filter("seek").isEmpty());
    QCOMPARE(w.playlist.size(), 1);
    // The Controls menu offers that title's chapters, the disc page still
    // the main title's, which its entries play.
    QCOMPARE(texts(DRUITestAccess::chapterMenu(w)), QStringList{"1. 00:00:00"});
    QCOMPARE(discEntry(1)->menu()->actions().size(), 4);

    // Back on the disc page, an audio choice and Play Movie concern the
    // main title, which plays with its length and its chapters.
    emit controls->triggered(entry(controls, "Navigation"));
    const QString mainTitle = m_disc + "/BDMV/PLAYLIST/00001.mpls";
    QMetaObject::invokeMethod(&w, "BDMenuOperate", Q_ARG(QAction *, discEntry(2)->menu()->actions()[1]));
    QCOMPARE(DRUITestAccess::title(w, mainTitle).audioChoice, 1);
    QCOMPARE(DRUITestAccess::title(w, third.path).audioChoice, 1);
    const int again = int(arguments().size());
    QMetaObject::invokeMethod(&w, "BDMenuOperate", Q_ARG(QAction *, discEntry(0)));
    QTRY_COMPARE(arguments().size(), again + 18);
    QCOMPARE(arguments().mid(again + 15), (QStringList{"br://0", "-bluray-device", m_disc}));
    QCOMPARE(DRUITestAccess::currentTitle(w), mainTitle);
    QCOMPARE(DRUITestAccess::lengthSeconds(w), qint64(6310));
    QCOMPARE(DRUITestAccess::chapterMenu(w)->actions(), discEntry(1)->menu()->actions());
}

// Arrows and Return, as on a remote: the disc page's menu has the focus
// whenever the page comes up, and Escape leaves it in place.
void TestDiscWindow::discPageWorksFromTheKeyboard()
{
    DRUI &w = *m_window;
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    // Keys go where the user's would: to the widget with the focus.
    const auto press = [](Qt::Key key) {
        QWidget *focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : QApplication::activeWindow(), key);
    };
    openDisc(m_disc);
    QTRY_COMPARE(DRUITestAccess::pageStack(w)->currentIndex(), 1);
    QMenu *page = w.findChild<QMenu *>("discMenu");
    QCOMPARE(QApplication::focusWidget(), page);
    press(Qt::Key_Escape);
    QVERIFY(page->isVisible());
    press(Qt::Key_Down);
    press(Qt::Key_Down);
    QCOMPARE(page->activeAction(), discEntry(1));
    press(Qt::Key_Right);
    QTRY_COMPARE(QApplication::activePopupWidget(), discEntry(1)->menu());
    QTest::keyClick(discEntry(1)->menu(), Qt::Key_Down);
    QTest::keyClick(discEntry(1)->menu(), Qt::Key_Return);
    waitForEngineLine("seek 300 2");
    QCOMPARE(arguments().mid(15), (QStringList{"br://0", "-bluray-device", m_disc}));
    // With the menu hidden, the keys are the window's again.
    QTRY_COMPARE(DRUITestAccess::state(w), PlaybackState::Playing);
    press(Qt::Key_Space);
    QCOMPARE(DRUITestAccess::state(w), PlaybackState::Paused);
    press(Qt::Key_P);
    QCOMPARE(DRUITestAccess::pageStack(w)->currentIndex(), 1);
    QCOMPARE(QApplication::focusWidget(), page);
}

void TestDiscWindow::controlsMenuWhileADiscPlays()
{
    DRUI &w = *m_window;
    openDisc(m_disc);
    QTRY_COMPARE(DRUITestAccess::pageStack(w)->currentIndex(), 1);
    QMetaObject::invokeMethod(&w, "BDMenuOperate", Q_ARG(QAction *, discEntry(0)));
    QTRY_COMPARE(DRUITestAccess::state(w), PlaybackState::Playing);
    QVERIFY(Harness::Opened(DRUITestAccess::titleMenu(w))->actions()[0]->isChecked());
    // Controls > Chapter seeks within the title.
    QMenu *controls = DRUITestAccess::controlsMenu(w);
    emit controls->triggered(DRUITestAccess::chapterMenu(w)->actions()[1]);
    waitForEngineLine("seek 300 2");
    // Previous and next step by chapter.
    DRUITestAccess::positionText(w) = "650";
    QTest::mouseClick(Harness::Named(w, "nextButton"), Qt::LeftButton);
    waitForEngineLine("seek 900 2");
    DRUITestAccess::positionText(w) = "650";
    QTest::mouseClick(Harness::Named(w, "preButton"), Qt::LeftButton);
    QTRY_COMPARE(received().count("seek 300 2"), 2);
    // The Chapter submenu marks the chapter that plays as it opens.
    const auto marked = [](QMenu *menu) {
        QList<int> rows;
        for (int row = 0; row < menu->actions().size(); ++row)
            if (menu->actions()[row]->isChecked())
                rows << row;
        return rows;
    };
    DRUITestAccess::positionText(w) = "650";
    QCOMPARE(marked(Harness::Opened(DRUITestAccess::chapterMenu(w))), QList<int>{2});
    DRUITestAccess::positionText(w) = "300";
    QCOMPARE(marked(Harness::Opened(DRUITestAccess::chapterMenu(w))), QList<int>{1});
    // Controls > Title plays that title anew.
    QAction *third = Harness::Opened(DRUITestAccess::titleMenu(w))->actions()[2];
    const int number = DRUITestAccess::title(w, third->data().value<PLAY_LIST_INFO>().path).number;
    const int before = int(arguments().size());
    emit controls->triggered(third);
    QTRY_COMPARE(arguments().size(), before + 18);
    QCOMPARE(arguments()[before + 15], QString("br://%1").arg(number));
    QTRY_COMPARE(DRUITestAccess::state(w), PlaybackState::Playing);
    QCOMPARE(DRUITestAccess::pageStack(w)->currentIndex(), 2);
    // Both title menus mark the title that plays.
    QCOMPARE(marked(DRUITestAccess::titleMenu(w)), QList<int>{2});
    QCOMPARE(marked(discEntry(4)->menu()), QList<int>{2});
    // Back on the disc page nothing plays, and its chapters show no mark.
    emit controls->triggered(entry(controls, "Navigation"));
    QCOMPARE(marked(Harness::Opened(discEntry(1)->menu())), QList<int>{});
}

void TestDiscWindow::controlsPlayOnTheDiscPagePlaysTheDisc()
{
    DRUI &w = *m_window;
    openFiles({makeFile("before.mkv")});
    QTRY_COMPARE(DRUITestAccess::state(w), PlaybackState::Playing);
    openDisc(m_disc);
    QTRY_COMPARE(DRUITestAccess::pageStack(w)->currentIndex(), 1);
    const int before = int(arguments().size());
    QMenu *controls = DRUITestAccess::controlsMenu(w);
    emit controls->triggered(entry(controls, "Play"));
    QTRY_COMPARE(arguments().size(), before + 18);
    QCOMPARE(arguments().mid(before + 15), (QStringList{"br://0", "-bluray-device", m_disc}));
}

void TestDiscWindow::discReopensFromPlaylistAndRecentList()
{
    DRUI &w = *m_window;
    openDisc(m_disc);
    QTRY_COMPARE(DRUITestAccess::pageStack(w)->currentIndex(), 1);
    QMetaObject::invokeMethod(&w, "BDMenuOperate", Q_ARG(QAction *, discEntry(0)));
    QTRY_COMPARE(DRUITestAccess::state(w), PlaybackState::Playing);
    openFiles({makeFile("film.mkv")});
    QTRY_COMPARE(DRUITestAccess::state(w), PlaybackState::Playing);
    QCOMPARE(w.playlist.size(), 2);
    // The disc's row opens the disc page again.
    QMetaObject::invokeMethod(&w, "PlayListItemDoubleClick", Q_ARG(int, 0), Q_ARG(int, 0));
    QTRY_COMPARE(DRUITestAccess::pageStack(w)->currentIndex(), 1);
    QCOMPARE(DRUITestAccess::state(w) == PlaybackState::Stopping
                 || DRUITestAccess::state(w) == PlaybackState::Idle, true);
    // So does its recent entry, and the file's plays the file.
    QMenu *recent = DRUITestAccess::recentMenu(w);
    QCOMPARE(recent->actions()[1]->data().toString(), m_disc);
    DRUITestAccess::pageStack(w)->setCurrentIndex(0);
    emit DRUITestAccess::fileMenu(w)->triggered(recent->actions()[1]);
    QTRY_COMPARE(DRUITestAccess::pageStack(w)->currentIndex(), 1);
    QCOMPARE(w.playlist.size(), 2);
}

void TestDiscWindow::dvdFolderPlaysAtOnce()
{
    DRUI &w = *m_window;
    const QString dvd = m_dir.filePath("My DVD 'x'");
    QDir().mkpath(dvd + "/VIDEO_TS");
    openDisc(dvd);
    QTRY_COMPARE(arguments().size(), 18);
    QCOMPARE(arguments().mid(15), (QStringList{"dvd://1", "-dvd-device", dvd}));
    QCOMPARE(DRUITestAccess::pageStack(w)->currentIndex(), 2);
    QCOMPARE(w.playlist.size(), 1);
    QCOMPARE(w.playlist[0].kind, int(MEDIA_DVD));
    // Chosen again it starts anew, still one entry.
    openDisc(dvd + "/");
    QTRY_COMPARE(arguments().size(), 36);
    QCOMPARE(w.playlist.size(), 1);
    QCOMPARE(w.recentFiles.first(), dvd);
    QCOMPARE(w.recentFiles.count(dvd), 1);
}

void TestDiscWindow::openingSomethingElseCancelsTheRead()
{
    DRUI &w = *m_window;
    // Many large (sparse) look-alike playlists of one size: each is told
    // apart by a digest of all a playlist can hold, which takes a while, and
    // the window says it is reading.
    const QString slow = makeBluray("slow");
    const QString playlists = slow + "/BDMV/PLAYLIST/";
    for (int copy = 10; copy < 90; ++copy)
        QVERIFY(QFile::copy(playlists + "00001.mpls", playlists + QString("%1.mpls").arg(copy, 5, 10, QChar('0'))));
    for (const QString &name : QDir(playlists).entryList({"*.mpls"}))
        QVERIFY(QFile::resize(playlists + name, qint64(16) << 20));
    w.OpenDiscFolder(slow);
    QTRY_COMPARE(DRUITestAccess::infoLabel(w)->text().trimmed(), Text("MainWnd/ReadingDisc"));
    QVERIFY(QApplication::overrideCursor());
    w.OpenMediaFiles({makeFile("instead.mkv")});
    QTRY_COMPARE(DRUITestAccess::state(w), PlaybackState::Playing);
    QTest::qWait(500); // the disc page must not come up
    QCOMPARE(DRUITestAccess::pageStack(w)->currentIndex(), 2);
    QVERIFY(!QApplication::overrideCursor());
    // A second disc read supersedes the first.
    const QString other = makeBluray("second");
    w.OpenDiscFolder(m_disc);
    w.OpenDiscFolder(other);
    QTRY_COMPARE(DRUITestAccess::pageStack(w)->currentIndex(), 1);
    QVERIFY(DRUITestAccess::currentTitle(w).startsWith(other));
    QTest::qWait(300); // and the first never arrives
    QVERIFY(DRUITestAccess::currentTitle(w).startsWith(other));
}

void TestDiscWindow::damagedDiscsLeaveThePageAlone()
{
    DRUI &w = *m_window;
    // Garbage, a truncated playlist, an empty one, a FIFO, and a picture
    // that lies outside the disc's metadata.
    const QString root = m_dir.filePath("damaged");
    Write(root + "/BDMV/PLAYLIST/00001.mpls", QByteArray(300, '\x7f'));
    Write(root + "/BDMV/PLAYLIST/00002.mpls", Title("00002", 60, {0}, {}, {}).left(40));
    Write(root + "/BDMV/PLAYLIST/00003.mpls", QByteArray());
    QVERIFY(mkfifo(QFile::encodeName(root + "/BDMV/PLAYLIST/00004.mpls").constData(), 0600) == 0);
    QDir().mkpath(root + "/BDMV/STREAM");
    Write(root + "/BDMV/META/DL/bdmt_eng.xml",
          "<di:name>Damaged</di:name>\n<di:thumbnail href=\"../../../outside.png\" />\n");
    QImage outside(8, 8, QImage::Format_RGB32);
    outside.fill(Qt::green);
    outside.save(m_dir.filePath("outside.png"));
    openDisc(root);
    QTRY_COMPARE(DRUITestAccess::discTitleLabel(w)->text(), QString("Damaged"));
    QVERIFY(DRUITestAccess::discPicture(w)->pixmap().isNull());
    QCOMPARE(DRUITestAccess::pageStack(w)->currentIndex(), 0);
    QVERIFY(DRUITestAccess::currentTitle(w).isEmpty());
    QCOMPARE(DRUITestAccess::state(w), PlaybackState::Idle);
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(m_notices, QStringList());
    // Play from the Controls menu has no title to play.
    QMenu *controls = DRUITestAccess::controlsMenu(w);
    for (QAction *a : controls->actions())
        if (a->data().toString() == "Play")
            emit controls->triggered(a);
    QTest::qWait(200);
    QCOMPARE(DRUITestAccess::state(w), PlaybackState::Idle);
    QCOMPARE(m_notices, QStringList());
}

void TestDiscWindow::discsThatDoNotPlaySayWhy()
{
    DRUI &w = *m_window;
    openDisc(m_disc);
    QTRY_COMPARE(DRUITestAccess::pageStack(w)->currentIndex(), 1);
    QMenu *page = w.findChild<QMenu *>("discMenu");
    const QPoint playMovie = page->actionGeometry(discEntry(0)).center();
    // An encrypted disc the engine cannot decrypt, then one it cannot open.
    script({"start: Encrypted disc (BD+)", "start: Exiting... (End of file)"});
    QTest::mouseClick(page, Qt::LeftButton, {}, playMovie);
    QTRY_COMPARE(m_notices, QStringList{Text("Messages/MSG0108").arg("BD+")});
    QVERIFY(m_notices.first().contains("BD+"));
    QTRY_COMPARE(DRUITestAccess::state(w), PlaybackState::Idle);
    script({"start: Exiting... (End of file)"});
    openDisc(m_disc);
    QTRY_COMPARE(DRUITestAccess::pageStack(w)->currentIndex(), 1);
    QTest::mouseClick(page, Qt::LeftButton, {}, playMovie);
    QTRY_COMPARE(m_notices.size(), 2);
    QCOMPARE(m_notices.last(), Text("Messages/MSG0107"));
}

// A disc of many titles (obfuscated discs have hundreds), a long name and a
// picture of huge dimensions: every title stays within reach, in one column
// that scrolls, not in columns past the screen; the whole name shows, on more
// lines, in the window's width; the picture comes decoded at a 4K screen's
// size at most, in its shape.
void TestDiscWindow::bigDiscsStayWithinReach()
{
    DRUI &w = *m_window;
    const int width = w.width();
    const QString root = m_dir.filePath("many");
    for (int k = 1; k <= 80; ++k)
        Write(root + QString("/BDMV/PLAYLIST/%1.mpls").arg(k, 5, 10, QChar('0')),
              Title("00001", 60 + k, {0}, {}, {}));
    QDir().mkpath(root + "/BDMV/STREAM");
    const QString name = QString("The Complete Collector's Edition With Every Extra ").repeated(4).trimmed();
    Write(root + "/BDMV/META/DL/bdmt_eng.xml",
          ("<di:name>" + name + "</di:name>\n<di:thumbnail href=\"wide.png\" />\n").toUtf8());
    QImage wide(16000, 1000, QImage::Format_RGB32);
    wide.fill(Qt::blue);
    QVERIFY(wide.save(root + "/BDMV/META/DL/wide.png"));
    openDisc(root);
    QTRY_COMPARE(DRUITestAccess::pageStack(w)->currentIndex(), 1);
    QLabel *label = DRUITestAccess::discTitleLabel(w);
    QCOMPARE(label->text(), name);
    // It needs no more room than it has: not wider, and on enough lines.
    QVERIFY(label->minimumSizeHint().width() <= label->width());
    QTRY_VERIFY(label->heightForWidth(label->width()) <= label->height());
    QCOMPARE(w.width(), width);
    QCOMPARE(DRUITestAccess::discPicture(w)->pixmap().size(), QSize(3840, 240));
    const QRect screen = w.screen()->availableGeometry();
    for (QMenu *titles : {discEntry(4)->menu(), DRUITestAccess::titleMenu(w)}) {
        titles->popup(screen.topLeft());
        QVERIFY(QTest::qWaitForWindowExposed(titles));
        QCOMPARE(titles->actions().size(), 80);
        QVERIFY(titles->height() <= screen.height());
        QCOMPARE(titles->actionGeometry(titles->actions().last()).left(),
                 titles->actionGeometry(titles->actions().first()).left());
        titles->hide();
    }
}

void TestDiscWindow::popupsSpeakTheChosenLanguage()
{
    DRUI &w = *m_window;
    auto choose = [&w](const QString &language) {
        for (QAction *entry : DRUITestAccess::languageMenu(w)->actions())
            if (entry->data().toString() == language)
                entry->trigger();
        QCOMPARE(CLanguageMgr::Instance().GetCurrentLanguage(), language);
    };
    const auto english = qScopeGuard([&] { choose("English"); });
    choose("German");
    openDisc(m_disc);
    QTRY_COMPARE(DRUITestAccess::pageStack(w)->currentIndex(), 1);
    const QString off = Text("MainWnd/Disable");
    QCOMPARE(off, QString("Aus"));
    QCOMPARE(discEntry(2)->menu()->actions().first()->text(), off);
    QCOMPARE(discEntry(3)->menu()->actions().first()->text(), off);
    QCOMPARE(DRUITestAccess::audioTrackMenu(w)->actions().first()->text(), off);
    QCOMPARE(DRUITestAccess::subtitleTrackMenu(w)->actions().first()->text(), off);
    // The streams' languages and channels too.
    QCOMPARE(texts(discEntry(2)->menu()).mid(1),
             (QStringList{"Englisch Dolby Digital Mehrkanal", "Französisch DTS-HD MA Stereo"}));
    QCOMPARE(texts(DRUITestAccess::subtitleTrackMenu(w)).mid(1), (QStringList{"Deutsch", "Japanisch"}));

    // Switched while the page shows: the page stays, with the disc's own
    // Japanese name and picture, and its English ones again after.
    choose("Japanese");
    QTRY_COMPARE(DRUITestAccess::discTitleLabel(w)->text(), QString("アメリ"));
    QCOMPARE(DRUITestAccess::pageStack(w)->currentIndex(), 1);
    QCOMPARE(DRUITestAccess::discPicture(w)->pixmap().size(), QSize(32, 18));
    QCOMPARE(texts(discEntry(3)->menu()).mid(1), (QStringList{"ドイツ語", "日本語"}));
    choose("English");
    QTRY_COMPARE(DRUITestAccess::discTitleLabel(w)->text(), QString("Amélie – 日本語"));
    QCOMPARE(DRUITestAccess::discPicture(w)->pixmap().size(), QSize(64, 36));
}

int main(int argc, char *argv[])
{
    return Harness::RunWindowTests<TestDiscWindow>(argc, argv);
}

#include "tst_disc_window.moc"
