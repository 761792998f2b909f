// Snapshots through the real window with the scripted engine: the S key and
// Tools > Snapshot while playing and while paused, where the picture goes
// and under which name, what "OutputPath.txt" may hold, announcements that
// name something they must not, and failures the user is told about once.
#include "SnapshotFixture.h"


#include "lang/CLanguageMgr.h"

#include <QDesktopServices>
#include <QRegularExpression>

class TestSnapshotWindow : public SnapshotFixture
{
    Q_OBJECT
private slots:
    void init() { startCase(); }
    void cleanup();

    void snapshotWhilePlayingGoesToDocumentsUnderItsTimeStamp();
    void snapshotWhilePausedIsSavedWithoutResuming();
    void twoWithinOneSecondAreBothKept();
    void folderIsMadeWhenSaving();
    void outputPathContents_data();
    void outputPathContents();
    void unwritableFolderKeepsTheEngineFilesAndSaysSoOnce();
    void announcementsNamingWhatTheyMustNotTouchNothing();
    void aFullDataFolderAndABrokenPictureAreToldAsTheyAre();
    void nothingPlayingSendsNothing();
    void snapshotFolderOpensByName();
};

void TestSnapshotWindow::cleanup()
{
    QDesktopServices::unsetUrlHandler("file");
    endSnapshotCase();
}

void TestSnapshotWindow::snapshotWhilePlayingGoesToDocumentsUnderItsTimeStamp()
{
    QVERIFY(!QFileInfo::exists(documents()));
    play({"on screenshot 0: " + announce(data() + "shot0001.png")});
    const QString shot = putShot("shot0001.png");
    const QDateTime before = QDateTime::currentDateTime().addMSecs(-1000);
    pressSnapshotKey();
    waitForEngineLine("screenshot 0");
    QTRY_COMPARE(snapshotsIn(documents()).size(), 1);
    const QDateTime after = QDateTime::currentDateTime();
    const QString name = snapshotsIn(documents()).first();
    const QRegularExpression form("^Snapshot-(\\d{4}-\\d\\d-\\d\\d \\d\\d-\\d\\d-\\d\\d)\\.JPG$");
    const auto match = form.match(name);
    QVERIFY2(match.hasMatch(), qPrintable(name));
    const QDateTime stamp = QDateTime::fromString(match.captured(1), "yyyy-MM-dd HH-mm-ss");
    QVERIFY(stamp >= before && stamp <= after);
    checkSnapshot(documents() + name, "\xff\xd8\xff");
    QTRY_VERIFY(!QFileInfo::exists(shot));
    QVERIFY(m_notices.isEmpty());
    // The Tools menu entry does the same.
    putShot("shot0001.png");
    entry(DRUITestAccess::toolsMenu(*m_window), "Snapshot")->trigger();
    QTRY_COMPARE(snapshotsIn(documents()).size(), 2);
    QTRY_VERIFY(!QFileInfo::exists(shot));
}

void TestSnapshotWindow::snapshotWhilePausedIsSavedWithoutResuming()
{
    // The engine ends the medium right after the picture: the end waits for
    // the resume, the picture does not.
    play({"on pausing_keep screenshot 0: " + announce(data() + "shot0001.png"),
          "on pausing_keep screenshot 0: Exiting... (End of file)"});
    DRUI &w = *m_window;
    const QString shot = putShot("shot0001.png");
    QTest::keyClick(&w, Qt::Key_Space);
    QCOMPARE(DRUITestAccess::state(w), PlaybackState::Paused);
    pressSnapshotKey();
    waitForEngineLine("pausing_keep screenshot 0");
    QTRY_COMPARE(snapshotsIn(documents()).size(), 1);
    QTRY_VERIFY(!QFileInfo::exists(shot));
    // A fixed wait on purpose: the end of the medium must NOT be acted on.
    QTest::qWait(200);
    QCOMPARE(DRUITestAccess::state(w), PlaybackState::Paused);
    QTest::keyClick(&w, Qt::Key_Space);
    QTRY_COMPARE(DRUITestAccess::state(w), PlaybackState::Idle);
    QCOMPARE(DRUITestAccess::pageStack(w)->currentIndex(), 0);
}

void TestSnapshotWindow::twoWithinOneSecondAreBothKept()
{
    play({"on screenshot 0: " + announce(data() + "shot0001.png"),
          "on screenshot 0: " + announce(data() + "shot0002.png")});
    putShot("shot0001.png");
    putShot("shot0002.png");
    // Well inside one second, so that both are announced within it.
    QTRY_VERIFY(QTime::currentTime().msec() < 300);
    pressSnapshotKey();
    QTRY_COMPARE(snapshotsIn(documents()).size(), 2);
    const QStringList names = snapshotsIn(documents());
    QVERIFY2(names[1].endsWith(".JPG") && names[0] == names[1].chopped(4) + " (2).JPG",
             qPrintable(names.join(", ")));
    for (const QString &name : names)
        checkSnapshot(documents() + name, "\xff\xd8\xff");
    QTRY_VERIFY(QDir(data()).entryList({"shot*"}).isEmpty());
}

void TestSnapshotWindow::folderIsMadeWhenSaving()
{
    const QString folder = m_dir.filePath("never/opened/before/");
    play({"on screenshot 0: " + announce(data() + "shot0001.png")});
    setOutputPath(folder.toUtf8());
    putShot("shot0001.png");
    pressSnapshotKey();
    QTRY_COMPARE(snapshotsIn(folder).size(), 1);
    QVERIFY(m_notices.isEmpty());
}

void TestSnapshotWindow::outputPathContents_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("folder"); // "" for the default
    QTest::addColumn<bool>("told");
    const QByteArray mine = m_dir.filePath("mine").toUtf8();
    QTest::newRow("empty") << QByteArray() << "" << false;
    QTest::newRow("huge") << QByteArray(100000, '/') << "" << false;
    QTest::newRow("binary") << QByteArray("\x00\x01\xfe\xff", 4) << "" << false;
    QTest::newRow("two lines") << mine + "/\n" + mine + "2/" << "" << false;
    QTest::newRow("line end") << mine + "/\n" << QString(mine + "/") << false;
    QTest::newRow("no slash") << mine << QString(mine + "/") << false;
    QTest::newRow("a file") << QByteArray("<the file itself>") << "" << true;
}

void TestSnapshotWindow::outputPathContents()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, folder);
    QFETCH(bool, told);
    play({"on screenshot 0: " + announce(data() + "shot0001.png")});
    setOutputPath(told ? QString(data() + "OutputPath.txt").toUtf8() : content);
    const QString shot = putShot("shot0001.png");
    pressSnapshotKey();
    if (told) {
        QTRY_COMPARE(m_notices.size(), 1);
        QVERIFY(QFileInfo::exists(shot));
        QCOMPARE(DRUITestAccess::state(*m_window), PlaybackState::Playing);
        return;
    }
    const QString where = folder.isEmpty() ? documents() : folder;
    QTRY_COMPARE(snapshotsIn(where).size(), 1);
    QVERIFY(!QFileInfo::exists(shot));
    QVERIFY(m_notices.isEmpty());
    QDir(where).removeRecursively();
}

void TestSnapshotWindow::unwritableFolderKeepsTheEngineFilesAndSaysSoOnce()
{
    play({"on screenshot 0: " + announce(data() + "shot0001.png"),
          "on screenshot 0: " + announce(data() + "shot0002.png")});
    // Nobody, not even root, creates files under /proc.
    setOutputPath("/proc/");
    const QString first = putShot("shot0001.png");
    const QString second = putShot("shot0002.png");
    pressSnapshotKey();
    const QString told =
        Text("Messages/MSG0301").arg("/proc/", QFileInfo(data()).canonicalFilePath());
    QTRY_COMPARE(m_notices, QStringList{told});
    // Both failed; the second is not told again, and both pictures stay.
    QTest::qWait(300);
    QCOMPARE(m_notices.size(), 1);
    QVERIFY(QFileInfo::exists(first) && QFileInfo::exists(second));
    // Once a snapshot gets through, a new failure is told again.
    setOutputPath(m_dir.filePath("fine/").toUtf8());
    pressSnapshotKey();
    QTRY_COMPARE(snapshotsIn(m_dir.filePath("fine")).size(), 2);
    setOutputPath("/proc/");
    putShot("shot0001.png");
    pressSnapshotKey();
    QTRY_COMPARE(m_notices.size(), 2);
    QCOMPARE(DRUITestAccess::state(*m_window), PlaybackState::Playing);
}

void TestSnapshotWindow::aFullDataFolderAndABrokenPictureAreToldAsTheyAre()
{
    play({"on screenshot 0: " + announce(data() + "shot0001.png")});
    {
        // The engine could put no picture into a full data folder: not asked.
        const Harness::FullDisk full;
        pressSnapshotKey();
        pressSnapshotKey();
    }
    QTRY_COMPARE(m_notices, QStringList{Text("Messages/MSG0305").arg(data())});
    // A picture cut short (0 bytes) is not said to be kept.
    QFile cut(data() + "shot0001.png");
    QVERIFY(cut.open(QIODevice::WriteOnly));
    cut.close();
    pressSnapshotKey();
    QTRY_COMPARE(m_notices.size(), 2);
    QCOMPARE(m_notices.last(), Text("Messages/MSG0304").arg(data()));
}

void TestSnapshotWindow::announcementsNamingWhatTheyMustNotTouchNothing()
{
    // Beside the data folder and elsewhere: real pictures, never to be touched.
    const QString beside = QFileInfo(data() + "../beside.png").absoluteFilePath();
    const QString elsewhere = m_dir.filePath("elsewhere.png");
    play({"on screenshot 0: " + announce(data() + "../beside.png"),
          "on screenshot 0: " + announce(elsewhere),
          "on screenshot 0: " + announce("/etc/hostname"),
          "on screenshot 0: *** screenshot '" + data().toUtf8() + "no-such.png",
          "on screenshot 0: *** screenshot '' ***",
          "on screenshot 0: *** screenshot",
          "on screenshot 0: " + announce(data() + "not-an-image.png"),
          "on screenshot 0: " + announce(data() + "shot0001.png")});
    QVERIFY(QFile::copy(putShot("shot0001.png"), beside));
    QVERIFY(QFile::copy(beside, elsewhere));
    QFile text(data() + "not-an-image.png");
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("just words");
    text.close();
    pressSnapshotKey();
    // The one real screenshot still comes through; the false picture is
    // kept and told about.
    QTRY_COMPARE(snapshotsIn(documents()).size(), 1);
    QTRY_COMPARE(m_notices.size(), 1);
    QVERIFY(QFileInfo::exists(beside) && QFileInfo::exists(elsewhere));
    QVERIFY(QFileInfo::exists(data() + "not-an-image.png"));
    QCOMPARE(DRUITestAccess::state(*m_window), PlaybackState::Playing);
    QFile::remove(beside);
}

void TestSnapshotWindow::nothingPlayingSendsNothing()
{
    DRUI &w = *m_window;
    QAction *snapshot = entry(DRUITestAccess::toolsMenu(w), "Snapshot");
    QVERIFY(!snapshot->isEnabled());
    // Even when the request arrives some other way, nothing starts.
    QVERIFY(QMetaObject::invokeMethod(&w, "BDToolMenu", Q_ARG(QAction *, snapshot)));
    QCOMPARE(DRUITestAccess::state(w), PlaybackState::Idle);
    QVERIFY(!DRUITestAccess::engine(w));
    // Nor once playback stopped.
    play({});
    QTest::mouseClick(Harness::Named(w, "stopButton"), Qt::LeftButton);
    QVERIFY(QMetaObject::invokeMethod(&w, "BDToolMenu", Q_ARG(QAction *, snapshot)));
    QTRY_COMPARE(DRUITestAccess::state(w), PlaybackState::Idle);
    QVERIFY(!received().contains("screenshot 0"));
    QVERIFY(m_notices.isEmpty());
}

void TestSnapshotWindow::snapshotFolderOpensByName()
{
    QDesktopServices::setUrlHandler("file", this, "openedInFileManager");
    QVERIFY(QMetaObject::invokeMethod(m_window.get(), "btnOpenSnapshotFolder"));
    QVERIFY(QFileInfo(documents()).isDir());
    QCOMPARE(m_opened, QList<QUrl>{QUrl::fromLocalFile(documents())});
    // The folder the file names, made first.
    const QString folder = m_dir.filePath("opened/here/");
    setOutputPath(folder.toUtf8());
    QVERIFY(QMetaObject::invokeMethod(m_window.get(), "btnOpenSnapshotFolder"));
    QVERIFY(QFileInfo(folder).isDir());
    QCOMPARE(m_opened.last(), QUrl::fromLocalFile(folder));
    // One that cannot be a folder is told about, not opened.
    setOutputPath(QString(data() + "OutputPath.txt").toUtf8());
    QVERIFY(QMetaObject::invokeMethod(m_window.get(), "btnOpenSnapshotFolder"));
    QCOMPARE(m_notices, QStringList{Text("Messages/MSG0303").arg(data() + "OutputPath.txt/")});
    QCOMPARE(m_opened.size(), 2);
}

int main(int argc, char *argv[])
{
    return RunSnapshotTests<TestSnapshotWindow>(argc, argv);
}

#include "tst_snapshot_window.moc"
