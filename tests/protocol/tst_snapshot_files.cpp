// The pieces of saving a snapshot that the window cannot show directly: what
// "OutputPath.txt" may hold, which engine files an announcement may name (links
// and relative names included), names and writers.
#include "engine/SnapshotFiles.h"
#include "engine/SnapshotFolder.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

using namespace SnapshotFiles;

class TestSnapshotFiles : public QObject
{
    Q_OBJECT
private slots:
    void folderFromFileContent_data();
    void folderFromFileContent();
    void folderFileReplacedWhole();
    void engineShotMustLieInTheDataFolder();
    void namesNeverReplaceAnEarlierSnapshot();
    void writerFollowsTheFormatExactly();
    void engineFileAlreadyGoneIsNoFailure();
    void aFileInTheChosenFormatIsMovedAsItIs();

private:
    QTemporaryDir m_dir;
};

void TestSnapshotFiles::folderFromFileContent_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("folder");
    QTest::newRow("as written") << QByteArray("/home/u/Shots/") << "/home/u/Shots/";
    QTest::newRow("CR LF") << QByteArray("/home/u/Shots/\r\n") << "/home/u/Shots/";
    QTest::newRow("blanks kept") << QByteArray("/home/u/My Shots /") << "/home/u/My Shots /";
    QTest::newRow("UTF-8") << QByteArray("/home/u/Äufnahmen/") << QString::fromUtf8("/home/u/Äufnahmen/");
    QTest::newRow("just a line end") << QByteArray("\n") << QString();
    QTest::newRow("not UTF-8") << QByteArray("/a/\xff\xfe/") << QString();
    QTest::newRow("relative") << QByteArray("Shots/") << QString();
}

void TestSnapshotFiles::folderFromFileContent()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, folder);
    QCOMPARE(SnapshotFolder::FromContent(content), folder);
}

void TestSnapshotFiles::folderFileReplacedWhole()
{
    const QString data = m_dir.filePath("gone/Vantorel/"); // made when missing
    QVERIFY(SnapshotFolder::Write(data, QString::fromUtf8("/srv/Bilder Ä/")));
    QVERIFY(SnapshotFolder::Write(data, "/x/"));
    QFile file(SnapshotFolder::FileIn(data));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("/x/"));
    QCOMPARE(QDir(data).entryList(QDir::Files | QDir::Hidden), QStringList{"OutputPath.txt"});
    // A data folder that is a file cannot take it.
    QVERIFY(!SnapshotFolder::Write(SnapshotFolder::FileIn(data) + "/", "/y/"));
}

void TestSnapshotFiles::engineShotMustLieInTheDataFolder()
{
    const QString data = m_dir.filePath("data/");
    QVERIFY(QDir().mkpath(data + "sub"));
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::red);
    const QString shot = data + "shot0001.png";
    const QString outside = m_dir.filePath("outside.png");
    for (const QString &path : {shot, outside, data + "sub/deeper.png"})
        QVERIFY(picture.save(path));
    auto line = [](const QString &name) { return "*** screenshot '" + name.toUtf8() + "' ***\n"; };
    QCOMPARE(EngineShot(line(shot), data), shot);
    // The data folder named without its slash, or the shot through a link to it.
    QCOMPARE(EngineShot(line(shot), data.chopped(1)), shot);
    QVERIFY(QFile::link(data, m_dir.filePath("datalink")));
    QCOMPARE(EngineShot(line(m_dir.filePath("datalink/shot0001.png")), data), shot);
    // A link inside that points out, anything deeper down, a folder.
    QVERIFY(QFile::link(outside, data + "shot0002.png"));
    for (const QString &refused : {data + "shot0002.png", data + "sub/deeper.png", data + "sub",
                                   data + "../outside.png", outside})
        QVERIFY2(EngineShot(line(refused), data).isEmpty(), qPrintable(refused));
    // A relative name is taken from the current folder.
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(data + "sub"));
    QCOMPARE(EngineShot(line("../shot0001.png"), data), shot);
    QVERIFY(EngineShot(line("deeper.png"), data).isEmpty());
    QDir::setCurrent(before);
}

void TestSnapshotFiles::namesNeverReplaceAnEarlierSnapshot()
{
    const QDateTime time(QDate(987, 1, 2), QTime(3, 4, 5));
    const QString first = FileName("/d/", time, "PNG");
    QCOMPARE(first, QString("/d/Snapshot-0987-01-02 03-04-05.PNG"));
    QSet<QString> taken;
    auto isTaken = [&taken](const QString &p) { return taken.contains(p); };
    QCOMPARE(FreeName(first, isTaken), first);
    taken << first << "/d/Snapshot-0987-01-02 03-04-05 (2).PNG";
    QCOMPARE(FreeName(first, isTaken), QString("/d/Snapshot-0987-01-02 03-04-05 (3).PNG"));
    // A dot in a folder's name is no extension.
    taken << "/d.x/noext";
    QCOMPARE(FreeName("/d.x/noext", isTaken), QString("/d.x/noext (2)"));
    // All taken: no name rather than one that replaces.
    QVERIFY(FreeName(first, [](const QString &) { return true; }).isEmpty());
}

void TestSnapshotFiles::writerFollowsTheFormatExactly()
{
    QCOMPARE(WriterFor("PNG").format, QByteArray("PNG"));
    QCOMPARE(WriterFor("BMP").format, QByteArray("BMP"));
    for (const char *other : {"JPG", "JPEG", "png", "bmp", ""})
        QCOMPARE(WriterFor(other).format, QByteArray("JPEG"));
}

void TestSnapshotFiles::engineFileAlreadyGoneIsNoFailure()
{
    // Announced twice: the second finds it converted already.
    const Outcome outcome = Write({m_dir.filePath("gone.png"), m_dir.filePath("shots/"), "JPG", {}});
    QCOMPARE(int(outcome.failure), int(Failure::None));
    QVERIFY(outcome.savedAs.isEmpty());
}

void TestSnapshotFiles::aFileInTheChosenFormatIsMovedAsItIs()
{
    // On the same file system, and (through shared memory, where there is
    // one) across file systems; an earlier snapshot of the name stays.
    QTemporaryDir shm(QStringLiteral("/dev/shm/shots-XXXXXX"));
    for (const QString &from : {m_dir.filePath("shot0001.png"), shm.filePath("shot0002.png")}) {
        if (!QFileInfo(QFileInfo(from).path()).isDir())
            continue;
        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        QVERIFY(image.save(from, "PNG", 0));
        QFile shot(from);
        QVERIFY(shot.open(QIODevice::ReadOnly));
        const QByteArray bytes = shot.readAll();
        shot.close();
        const QDateTime time(QDate(2026, 12, 7), QTime(1, 2, 3));
        const Outcome outcome = Write({from, m_dir.filePath("moved/"), "PNG", time});
        QCOMPARE(int(outcome.failure), int(Failure::None));
        const QString name = from.contains("shm") ? "Snapshot-2026-12-07 01-02-03 (2).PNG"
                                                  : "Snapshot-2026-12-07 01-02-03.PNG";
        QCOMPARE(QFileInfo(outcome.savedAs).fileName(), name);
        QFile saved(outcome.savedAs);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), bytes); // not decoded and written again
        QVERIFY(!QFileInfo::exists(from));
    }
}

QTEST_MAIN(TestSnapshotFiles)
#include "tst_snapshot_files.moc"
