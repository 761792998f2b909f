// Discs with things in them that must not be followed, opened or trusted:
// FIFOs and devices named like disc files, link loops, folders that cannot be
// read or vanish, oversized metadata, thumbnails that lead out of the disc.

#include "TestDisc.h"
#include "disc/BlurayTitleList.h"
#include "disc/DiscMetadata.h"
#include "disc/FileDigest.h"
#include "disc/MplsReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>

namespace {

bool MakeFifo(const QString& path)
{
    return mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

QStringList TitleFiles(const BlurayDisc& disc)
{
    QStringList names;
    for (const BlurayTitle& title : disc.titles)
        names << title.fileName;
    return names;
}

} // namespace

class TestDiscHazards : public QObject {
    Q_OBJECT

private slots:
    // Opening a FIFO waits for a writer; reading a device may never end.
    // Neither is opened: no title, no name, and the read returns.
    void specialFilesAreSkipped()
    {
        TestDisc disc;
        disc.Add("00001.mpls", Playlist(600));
        QVERIFY(MakeFifo(disc.Playlists() + "00002.mpls"));
        QVERIFY(QFile::link("/dev/zero", disc.Playlists() + "00003.mpls"));
        QVERIFY(QFile::link(disc.Playlists() + "00002.mpls", disc.Playlists() + "00004.mpls"));
        QVERIFY(QFile::link(disc.Playlists() + "00006.mpls", disc.Playlists() + "00005.mpls"));
        QVERIFY(QFile::link(disc.Playlists() + "00005.mpls", disc.Playlists() + "00006.mpls"));
        disc.Add("00007.mpls", Playlist(300, "00002"));
        QDir(disc.Folder()).mkpath("BDMV/META/DL");
        QVERIFY(MakeFifo(disc.MetadataFolder() + "bdmt_eng.xml"));

        const BlurayDisc result = ReadBlurayDisc(disc.Folder());
        QCOMPARE(TitleFiles(result), (QStringList{"00001.mpls", "00007.mpls"}));
        QCOMPARE(result.files.size(), 7);
        QVERIFY(result.name.isEmpty());
        // The special files use up no number.
        QCOMPARE(result.titles[0].number + result.titles[1].number, 3);
        QByteArray hex;
        QCOMPARE(FileDigestHex(disc.Playlists() + "00002.mpls", hex), 87);
    }

    void unreadableFolders()
    {
        TestDisc loop;
        QVERIFY(QDir(loop.Folder() + "/BDMV").removeRecursively() && QDir(loop.Folder()).mkdir("BDMV"));
        QVERIFY(QFile::link(loop.Folder() + "/BDMV/PLAYLIST", loop.Folder() + "/BDMV/PLAYLIST"));
        QVERIFY(ReadBlurayDisc(loop.Folder()).files.isEmpty());

        // Files that went away between the listing and the reading.
        TestDisc gone;
        const QStringList paths = {gone.Add("00001.mpls", Playlist(60)), gone.Add("00002.mpls", Playlist(90))};
        QVERIFY(QDir(gone.Folder()).removeRecursively());
        BlurayDisc result;
        ReadBlurayPlaylists(paths, result);
        QVERIFY(result.titles.isEmpty());
        QCOMPARE(result.files.size(), 2);
        QVERIFY(result.files[0].code != 0 && result.files[1].code != 0);

        TestDisc locked;
        locked.Add("00001.mpls", Playlist(60));
        const auto lock = [&](QFileDevice::Permissions permissions) {
            QFile::setPermissions(locked.Playlists(), permissions);
        };
        lock(QFileDevice::Permissions());
        const bool root = !QDir(locked.Playlists()).entryList(QDir::Files).isEmpty();
        const bool none = ReadBlurayDisc(locked.Folder()).titles.isEmpty();
        lock(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        if (root)
            QSKIP("this user reads folders whatever their permissions (root)");
        QVERIFY(none);
    }

    void oversizedMetadata()
    {
        TestDisc disc;
        QByteArray xml = "<di:name>Early</di:name>\n";
        xml += QByteArray(3 * 1024 * 1024, 'x');  // one line of 3 MiB
        xml += "\n<di:name>Too late</di:name>\n";
        disc.Metadata(xml);
        QCOMPARE(ReadBlurayDisc(disc.Folder()).name, QStringLiteral("Early"));
    }

    void thumbnailsStayInside()
    {
        TestDisc disc;
        QDir(disc.Folder()).mkpath("BDMV/META/DL/sub");
        QDir(disc.Folder()).mkpath("outside");
        const QString dl = disc.MetadataFolder();
        const QString outside = TestDisc::Write(disc.Folder() + "/outside/x.jpg", "picture");
        const QString inside = TestDisc::Write(dl + "sub/in.jpg", "picture");
        QVERIFY(QFile::link(outside, dl + "link-out.jpg"));
        QVERIFY(QFile::link(disc.Folder() + "/outside", dl + "dir-out"));
        QVERIFY(QFile::link(inside, dl + "link-in.jpg"));
        QVERIFY(QFile::link(dl + "missing.jpg", dl + "dangling.jpg"));
        QVERIFY(MakeFifo(dl + "fifo.jpg"));

        const QString expected = QFileInfo(inside).canonicalFilePath();
        QCOMPARE(DiscThumbnailPath(dl, "sub/in.jpg"), expected);
        QCOMPARE(DiscThumbnailPath(dl, "./sub//in.jpg"), expected);
        QCOMPARE(DiscThumbnailPath(dl, "link-in.jpg"), expected);
        QCOMPARE(DiscThumbnailPath(dl.chopped(1), "sub/in.jpg"), expected);
        const QStringList escapes = {"../../../outside/x.jpg", "sub/../../../../outside/x.jpg", outside,
                                     "link-out.jpg", "dir-out/x.jpg", "dangling.jpg", "missing.jpg",
                                     "fifo.jpg", "sub", "..", QString()};
        for (const QString& reference : escapes)
            QVERIFY2(DiscThumbnailPath(dl, reference).isEmpty(), qPrintable(reference));

        disc.Metadata("<di:thumbnail href=\"../../../outside/x.jpg\" />\n");
        const BlurayDisc result = ReadBlurayDisc(disc.Folder());
        QCOMPARE(result.thumbnail, QStringLiteral("../../../outside/x.jpg"));
        QVERIFY(result.thumbnailPath.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDiscHazards)
#include "tst_disc_hazards.moc"
