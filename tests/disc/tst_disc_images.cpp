// Disc images read as the folders they were made from: the real disc
// structures as UDF images give the titles their folders give, and images
// that are damaged or hold no disc are told apart at once.

#include "BlurayFixtures.h"

#include "disc/BlurayTitleList.h"
#include "disc/DiscDetection.h"
#include "disc/DiscFiles.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(DiscKind)

namespace {

bool MakeImage(const QString& folder, const QString& image, bool udf = true)
{
    QStringList arguments{"-quiet", "-o", image, folder};
    if (udf)
        arguments.prepend("-udf");
    return QProcess::execute("genisoimage", arguments) == 0;
}

// What a disc reads as, apart from where it lies and the order its folder
// lists the playlists in (a folder on disk lists them in the order its file
// system keeps, an image in the order it was written): every file and every
// title by its file name, with all they hold.
QStringList Described(const BlurayDisc& disc)
{
    const auto items = [](const QList<PLAY_ITEM_INFO>& list) {
        QStringList out;
        for (const PLAY_ITEM_INFO& item : list)
            out << QString("%1@%2+%3/%4").arg(item.clipName).arg(item.inMs).arg(item.offsetMs).arg(item.durationMs);
        return out.join(',');
    };
    const auto streams = [](const QList<STREAM_INFO>& list) {
        QStringList out;
        for (const STREAM_INFO& stream : list)
            out << QString("%1#%2").arg(stream.description).arg(stream.pid);
        return out.join(',');
    };
    const auto chapters = [](const QList<quint32>& list) {
        QStringList out;
        for (const quint32 start : list)
            out << QString::number(start);
        return out.join(',');
    };
    QStringList lines{"name " + disc.name, "thumbnail " + disc.thumbnail};
    for (const BlurayPlaylistFile& file : disc.files)
        lines << QString("file %1 %2 %3 %4 %5 %6").arg(file.fileName).arg(file.code).arg(items(file.playItems),
                 chapters(file.chapters), streams(file.audio), streams(file.subtitles));
    for (const BlurayTitle& title : disc.titles)
        lines << QString("title %1 %2 %3").arg(title.fileName, title.durationText, items(title.playItems));
    std::sort(lines.begin(), lines.end());
    return lines;
}

} // namespace

class TestDiscImages : public QObject {
    Q_OBJECT

private slots:
    void sharedDiscsAsImages_data()
    {
        QTest::addColumn<QString>("folder");
        // Without the structures the table is empty; the other test still runs.
        const QString shared = SharedDiscsFolder();
        for (const QString& name : shared.isEmpty() ? QStringList() : SharedDiscNames(shared)) {
            const QString copy = m_work.filePath(name);
            QVERIFY(CopyDiscTree(shared + "/" + name, copy));
            QTest::newRow(qPrintable(name)) << copy;
        }
    }

    void sharedDiscsAsImages()
    {
        QFETCH(QString, folder);
        const QString image = folder + ".iso";
        QVERIFY2(MakeImage(folder, image), "genisoimage could not make the image");
        QCOMPARE(DetectDiscKind(image), DiscKind::Bluray);
        const BlurayDisc fromFolder = ReadBlurayDisc(folder);
        const BlurayDisc fromImage = ReadBlurayDisc(image);
        QCOMPARE(fromImage.folder, image);
        QCOMPARE(fromImage.titles.size(), fromFolder.titles.size());
        QCOMPARE(Described(fromImage), Described(fromFolder));
        for (const BlurayTitle& title : fromImage.titles)
            QVERIFY(title.playlistPath.startsWith(image + "/BDMV/PLAYLIST/"));
    }

    // Each image is made from a folder holding paths ("/" at the end: a
    // folder), or written as bytes when there are none.
    void imagesOfEveryKind_data()
    {
        QTest::addColumn<QStringList>("paths");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<DiscKind>("kind");
        using K = DiscKind;
        const QStringList bluray{"BDMV/STREAM/", "BDMV/PLAYLIST/"};
        QTest::newRow("blu-ray") << bluray << QByteArray() << K::Bluray;
        QTest::newRow("blu-ray without STREAM") << QStringList{"BDMV/PLAYLIST/"} << QByteArray() << K::None;
        QTest::newRow("dvd") << QStringList{"VIDEO_TS/VIDEO_TS.IFO"} << QByteArray() << K::Dvd;
        QTest::newRow("dvd without VIDEO_TS.IFO") << QStringList{"VIDEO_TS/VTS_01_0.IFO"} << QByteArray() << K::None;
        QTest::newRow("nothing of a disc") << QStringList{"film.mkv"} << QByteArray() << K::None;
        QTest::newRow("all zeros") << QStringList() << QByteArray(2 * 1024 * 1024, '\0') << K::None;
        QTest::newRow("a few bytes") << QStringList() << QByteArray("CD001") << K::None;
        QTest::newRow("empty") << QStringList() << QByteArray("") << K::None;
        QTest::newRow("cut short") << bluray << QByteArray("cut") << K::None;
        QTest::newRow("ISO 9660 alone") << bluray << QByteArray("iso9660") << K::None;
        QTest::newRow("4 GB of nothing") << QStringList() << QByteArray("sparse") << K::None;
    }

    void imagesOfEveryKind()
    {
        QFETCH(QStringList, paths);
        QFETCH(QByteArray, bytes);
        QFETCH(DiscKind, kind);
        const QString folder = m_work.filePath(QTest::currentDataTag());
        const QString image = folder + ".iso";
        QDir().mkpath(folder);
        for (const QString& path : paths) {
            QDir(folder).mkpath(path.endsWith('/') ? path : QFileInfo(path).path());
            if (!path.endsWith('/'))
                QFile(folder + "/" + path).open(QIODevice::WriteOnly);
        }
        QFile file(image);
        if (paths.isEmpty()) {
            QVERIFY(file.open(QIODevice::WriteOnly));
            if (bytes == "sparse")
                QVERIFY(file.resize(qint64(4) << 30));
            else
                file.write(bytes);
            file.close();
        } else {
            QVERIFY(MakeImage(folder, image, bytes != "iso9660"));
            if (bytes == "cut")
                QVERIFY(file.resize(file.size() / 3));
        }
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(DetectDiscKind(image), kind);
        QCOMPARE(IsDiscLocation(image), true);
        const BlurayDisc disc = ReadBlurayDisc(image);
        QVERIFY(disc.titles.isEmpty());
        QCOMPARE(disc.folder, image);
        // Judged from a few blocks, not from reading the image through.
        QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
    }

private:
    QTemporaryDir m_work;
};

QTEST_GUILESS_MAIN(TestDiscImages)
#include "tst_disc_images.moc"
