// Which folders are Blu-ray or DVD structures.

#include "disc/DiscDetection.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(DiscKind)

namespace {

// Makes the given paths in folder: one ending in "/" a folder, any other an empty file.
void Make(const QString& folder, const QStringList& paths)
{
    QDir().mkpath(folder);
    for (const QString& path : paths) {
        if (path.endsWith('/'))
            QDir(folder).mkpath(path);
        else
            QFile(folder + "/" + path).open(QIODevice::WriteOnly);
    }
}

} // namespace

class TestDiscDetection : public QObject {
    Q_OBJECT

private slots:
    void kinds_data()
    {
        QTest::addColumn<QStringList>("paths");
        QTest::addColumn<QString>("under");
        QTest::addColumn<DiscKind>("kind");
        using K = DiscKind;
        QTest::newRow("blu-ray") << QStringList{"BDMV/STREAM/", "BDMV/PLAYLIST/"} << "" << K::Bluray;
        QTest::newRow("both, blu-ray first") << QStringList{"BDMV/STREAM/", "VIDEO_TS/"} << "" << K::Bluray;
        QTest::newRow("no STREAM") << QStringList{"BDMV/PLAYLIST/"} << "" << K::None;
        // The Blu-ray candidate is decided on first; a VIDEO_TS beside it does not save it.
        QTest::newRow("no STREAM, VIDEO_TS") << QStringList{"BDMV/PLAYLIST/", "VIDEO_TS/"} << "" << K::None;
        QTest::newRow("STREAM a file") << QStringList{"BDMV/PLAYLIST/", "BDMV/STREAM"} << "" << K::None;
        QTest::newRow("stream in lower case") << QStringList{"BDMV/stream/"} << "" << K::None;
        QTest::newRow("STREAMS") << QStringList{"BDMV/STREAMS/"} << "" << K::None;
        // The name of a folder above does not stand in for the entry's own.
        QTest::newRow("STREAM in the path") << QStringList{"BDMV/PLAYLIST/"} << "STREAMS/disc" << K::None;
        QTest::newRow("dvd") << QStringList{"VIDEO_TS/"} << "" << K::Dvd;
        QTest::newRow("dvd Video_TS") << QStringList{"Video_TS/"} << "" << K::None;
        QTest::newRow("VIDEO_TS a file") << QStringList{"VIDEO_TS"} << "" << K::None;
        QTest::newRow("BDMV a file") << QStringList{"BDMV", "VIDEO_TS/"} << "" << K::Dvd;
        QTest::newRow("nothing") << QStringList{"AUDIO_TS/", "readme.txt"} << "" << K::None;
    }

    void kinds()
    {
        QFETCH(QStringList, paths);
        QFETCH(QString, under);
        QFETCH(DiscKind, kind);
        QTemporaryDir dir;
        const QString folder = under.isEmpty() ? dir.path() : dir.path() + "/" + under;
        Make(folder, paths);
        QCOMPARE(DetectDiscKind(folder), kind);
        // A mount point given with its trailing separator reads the same.
        QCOMPARE(DetectDiscKind(folder + "/"), kind);
    }

    void unusableFolders()
    {
        QCOMPARE(DetectDiscKind(QString()), DiscKind::None);
        QTemporaryDir dir;
        QCOMPARE(DetectDiscKind(dir.path() + "/missing"), DiscKind::None);
        // A BDMV that leads back to itself cannot be listed.
        QVERIFY(QFile::link(dir.path() + "/BDMV", dir.path() + "/BDMV"));
        QCOMPARE(DetectDiscKind(dir.path()), DiscKind::None);
        // A STREAM that is a link to a folder is a folder.
        QTemporaryDir linked;
        Make(linked.path(), {"BDMV/", "elsewhere/"});
        QVERIFY(QFile::link(linked.path() + "/elsewhere", linked.path() + "/BDMV/STREAM"));
        QCOMPARE(DetectDiscKind(linked.path()), DiscKind::Bluray);
    }
};

QTEST_GUILESS_MAIN(TestDiscDetection)
#include "tst_disc_detection.moc"
