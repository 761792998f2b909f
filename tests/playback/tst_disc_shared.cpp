// Every real disc structure of the shared folder opened through the window:
// the disc page offers exactly the titles the disc library lists.
#include "PlaybackHarness.h"

#include "BlurayFixtures.h"

#include "disc/BlurayTitleList.h"

class TestDiscShared : public QObject
{
    Q_OBJECT
private slots:
    void discPageListsTheLibrarysTitles_data();
    void discPageListsTheLibrarysTitles();

private:
    QTemporaryDir m_copies;
};

void TestDiscShared::discPageListsTheLibrarysTitles_data()
{
    QTest::addColumn<QString>("disc");
    const QString shared = RequireSharedDiscs();
    for (const QString &name : SharedDiscNames(shared)) {
        // The copies get the STREAM folder a disc has and the shared ones leave out.
        const QString copy = m_copies.filePath(name);
        QVERIFY(CopyDiscTree(shared + "/" + name, copy));
        QTest::newRow(qPrintable(name)) << copy;
    }
}

void TestDiscShared::discPageListsTheLibrarysTitles()
{
    QFETCH(QString, disc);
    const BlurayDisc library = ReadBlurayDisc(disc);
    DRUI w;
    w.BuildPages();
    w.OpenDiscFolder(disc);
    QTRY_VERIFY_WITH_TIMEOUT(DRUITestAccess::pageStack(w)->currentIndex() == 1 || library.titles.isEmpty(), 10000);
    QCOMPARE(DRUITestAccess::discTitleLabel(w)->text(), library.name);
    const QList<QAction *> offered = Harness::Opened(DRUITestAccess::titleMenu(w))->actions();
    QCOMPARE(offered.size(), library.titles.size());
    for (int k = 0; k < offered.size(); ++k) {
        const BlurayTitle &title = library.titles[k];
        QCOMPARE(offered[k]->text(), QString("%1. %2").arg(k + 1).arg(title.durationText));
        const QString path = offered[k]->data().value<PLAY_LIST_INFO>().path;
        QCOMPARE(path, title.playlistPath);
        QCOMPARE(DRUITestAccess::title(w, path).number, title.number);
        QCOMPARE(DRUITestAccess::title(w, path).chapters, title.chapters);
    }
    QCOMPARE(DRUITestAccess::chapterMenu(w)->actions().size(),
             library.titles.isEmpty() ? 0 : library.titles.first().chapters.size());
}

int main(int argc, char *argv[])
{
    return Harness::RunWindowTests<TestDiscShared>(argc, argv);
}

#include "tst_disc_shared.moc"
