// The window's own behaviour with a scripted engine: recent files, full
// screen, drops, menu states and closing.
#include "ScriptedFixture.h"

#include "dialogs/CMessageBox.h"
#include "lang/CLanguageMgr.h"
#include "ui/RecentFilesList.h"

#include <QApplication>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTimer>

class TestWindowScripted : public ScriptedFixture
{
    Q_OBJECT
private slots:
    void init() { startCase(); }
    void cleanup() { endCase(); }

    void recentFilesRules();
    void recentEntriesReopen();
    void fullScreenDoubleClickAndEscape();
    void dropsOpenTheFirstLocalFile();
    void videoPageEnablesTheMenus();
    void closingLeavesNoEngine();
};

void TestWindowScripted::recentFilesRules()
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
    QTest::qWait(20); // a rewrite would now show a later time
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

void TestWindowScripted::recentEntriesReopen()
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
    // Only the first ten entries are read; the one that is no text is not
    // offered (decoded, it would name another file).
    QCOMPARE(again.recentFiles.size(), 9);
    QCOMPARE(DRUITestAccess::recentMenu(again)->actions().size(), 10);
    // A path that no longer exists is offered; choosing it plays nothing and says why.
    entry(DRUITestAccess::recentMenu(again), gone)->trigger();
    QVERIFY(!DRUITestAccess::engine(again));
    QCOMPARE(m_notices, QStringList{CLanguageMgr::Instance().GetText("Messages/MSG0106")});
    QVERIFY(again.playlist.isEmpty());
    entry(DRUITestAccess::recentMenu(again), film)->trigger();
    QTRY_VERIFY(DRUITestAccess::engine(again));
    QCOMPARE(DRUITestAccess::currentMediaPath(again), film);
}

void TestWindowScripted::fullScreenDoubleClickAndEscape()
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

void TestWindowScripted::dropsOpenTheFirstLocalFile()
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

void TestWindowScripted::videoPageEnablesTheMenus()
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

void TestWindowScripted::closingLeavesNoEngine()
{
    script({"exit-after never-comes"});
    openFiles({makeFile("closing.mkv")});
    DRUI &w = *m_window;
    QTRY_VERIFY(DRUITestAccess::engine(w));
    const qint64 pid = DRUITestAccess::engine(w)->processId();
    QVERIFY(pid > 0);
    w.close();
    QVERIFY(!w.isVisible());
    QTRY_VERIFY(!DRUITestAccess::engine(w));
    QTRY_VERIFY(!QFileInfo::exists(QString("/proc/%1/exe").arg(pid)));
    QVERIFY(received().contains("q"));
}

int main(int argc, char *argv[])
{
    return Harness::RunWindowTests<TestWindowScripted>(argc, argv);
}

#include "tst_window_scripted.moc"
