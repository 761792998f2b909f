// The title list of a Blu-ray folder, and disc-titles printing it.

#include "TestDisc.h"
#include "disc/BlurayTitleList.h"
#include "disc/FileDigest.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray NoItems() { return MplsBuilder::Build({}, {}); }

QByteArray LookAlike()
{
    TestItem a, b;
    a.clip = "00001";
    b.clip = "00002";
    b.outTicks = 45000 * 7200;
    return MplsBuilder::Build({a, b, b}, {});
}

QStringList Files(const BlurayDisc& disc)
{
    QStringList names;
    for (const BlurayTitle& title : disc.titles)
        names << QString("%1 %2 %3").arg(title.number).arg(title.fileName, title.durationText);
    return names;
}

} // namespace

class TestBlurayTitles : public QObject {
    Q_OBJECT

private slots:
    void copiesUseUpNumbers()
    {
        TestDisc disc;
        const QByteArray one = Playlist(600);
        const QStringList paths = {disc.Add("00000.mpls", NoItems()), disc.Add("00001.mpls", one),
                                   disc.Add("00002.mpls", one), disc.Add("00003.mpls", Playlist(300)),
                                   disc.Add("00004.mpls", LookAlike()),
                                   disc.Add("00005.mpls", "MPLS0200 damaged"),
                                   disc.Add("00006.mpls", Playlist(60))};
        BlurayDisc result;
        ReadBlurayPlaylists(paths, result);
        QCOMPARE(Files(result), (QStringList{"1 00001.mpls 00:10:00", "3 00003.mpls 00:05:00",
                                             "4 00006.mpls 00:01:00"}));
        QCOMPARE(result.files.size(), 7);
        QCOMPARE(result.files[5].code, 1);
        QCOMPARE(result.files[4].code, 0);
        QVERIFY(result.files[4].playItems.isEmpty());
        QCOMPARE(result.titles[0].playlistPath, paths[1]);
        QCOMPARE(result.titles[0].digest.size(), 128);  // taken when its copy came
        QVERIFY(result.titles[1].digest.isEmpty());     // of the same size, but no copy
        QCOMPARE(result.titles[0].audio.first().description, QStringLiteral("English AC3"));
    }

    void digestsCoverWhatAPlaylistCanHold()
    {
        // Past 10 MiB (more than any playlist) the reader sees only the
        // start, and so does the digest: two 4 GiB look-alikes cost no more.
        TestDisc disc;
        const QByteArray start = Playlist(600);
        const QByteArray tail(int(11 * 1024 * 1024) - int(start.size()), 't');
        QByteArray other = start + tail;
        other[other.size() - 1] = 'u';
        const QStringList paths = {disc.Add("big.mpls", start + tail), disc.Add("copy.mpls", start + tail),
                                   disc.Add("other.mpls", other), disc.Add("small.mpls", start),
                                   disc.Add("small copy.mpls", start), disc.Add("huge.mpls", start),
                                   disc.Add("huge too.mpls", start)};
        QVERIFY(QFile::resize(paths[5], qint64(4) << 30) && QFile::resize(paths[6], qint64(4) << 30));
        BlurayDisc result;
        ReadBlurayPlaylists(paths, result);
        QCOMPARE(Files(result), (QStringList{"1 big.mpls 00:10:00", "4 small.mpls 00:10:00",
                                             "6 huge.mpls 00:10:00"}));
        QByteArray fromFile;
        QCOMPARE(FileDigestHex(paths[3], fromFile), 0);
        QCOMPARE(result.titles[1].digest, fromFile);
    }

    void sortsByDuration()
    {
        TestDisc disc;
        const QStringList paths = {disc.Add("a.mpls", Playlist(6310, "00001")),
                                   disc.Add("b.mpls", Playlist(150, "00002")),
                                   disc.Add("c.mpls", Playlist(6310, "00003")),
                                   disc.Add("d.mpls", Playlist(99 * 3600, "00010")),
                                   disc.Add("e.mpls", Playlist(100 * 3600, "00020")),
                                   disc.Add("f.mpls", Playlist(9 * 3600 + 59 * 60, "00030"))};
        BlurayDisc result;
        ReadBlurayPlaylists(paths, result);
        // By seconds, not by text: 100 hours before 99, and 09:59:00 before 01:45:10.
        QCOMPARE(Files(result), (QStringList{"5 e.mpls 100:00:00", "4 d.mpls 99:00:00",
                                             "6 f.mpls 09:59:00", "1 a.mpls 01:45:10",
                                             "3 c.mpls 01:45:10", "2 b.mpls 00:02:30"}));
        QCOMPARE(result.titles[0].durationSeconds, qint64(360000));
        // Each item's duration is cut to whole seconds before the sum.
        QList<TestItem> halves(3);
        for (int i = 0; i < 3; ++i) {
            halves[i].clip = QByteArray::number(i + 1).rightJustified(5, '0');
            halves[i].outTicks = 45000 + 22500;
        }
        const QString halvesPath = disc.Add("f.mpls", MplsBuilder::Build(halves, {}));
        ReadBlurayPlaylists({halvesPath}, result);
        QCOMPARE(result.titles[0].durationText, QStringLiteral("00:00:03"));
        QCOMPARE(result.titles[0].playItems[2].offsetMs, 3000u);
    }

    void findsTitles()
    {
        TestDisc disc;
        BlurayDisc result;
        QVERIFY(!FindBlurayTitle(result, 0));
        ReadBlurayPlaylists({disc.Add("1.mpls", NoItems()), disc.Add("2.mpls", Playlist(10, "00001")),
                             disc.Add("3.mpls", Playlist(20, "00002"))},
                            result);
        QCOMPARE(FindBlurayTitle(result, 0)->fileName, QStringLiteral("3.mpls"));
        QCOMPARE(FindBlurayTitle(result, 1)->fileName, QStringLiteral("2.mpls"));
        QCOMPARE(FindBlurayTitle(result, 2)->fileName, QStringLiteral("3.mpls"));
        QVERIFY(!FindBlurayTitle(result, 3));
        QVERIFY(!FindBlurayTitle(result, -1));
    }

    void readsAFolder()
    {
        TestDisc disc;
        disc.Metadata("<di:name>Disque \xc3\xa9t\xc3\xa9</di:name>\n<di:thumbnail href=\"th umb.jpg\" />\n");
        const QString thumbnail = TestDisc::Write(disc.MetadataFolder() + "th umb.jpg", "not a picture");
        disc.Add("00001 copy 'x' \"y\" \xc3\xbc.txt", Playlist(30));
        disc.Add(".00009.mpls", Playlist(900));
        QDir(disc.Folder()).mkpath("BDMV/PLAYLIST/00002.mpls");
        const BlurayDisc result = ReadBlurayDisc(disc.Folder());
        QCOMPARE(result.name, QString::fromUtf8("Disque \xc3\xa9t\xc3\xa9"));
        QCOMPARE(result.thumbnail, QStringLiteral("th umb.jpg"));
        QCOMPARE(result.thumbnailPath, QFileInfo(thumbnail).canonicalFilePath());
        QCOMPARE(result.files.size(), 1);
        QCOMPARE(Files(result), QStringList{QString::fromUtf8("1 00001 copy 'x' \"y\" \xc3\xbc.txt 00:00:30")});

        // A folder given with a trailing separator, as a mount point may be.
        const BlurayDisc slash = ReadBlurayDisc(disc.Folder() + "/");
        QCOMPARE(slash.folder, disc.Folder() + "/");
        QCOMPARE(slash.titles.first().playlistPath, result.titles.first().playlistPath);
        QCOMPARE(slash.thumbnailPath, result.thumbnailPath);

        const std::atomic<bool> stop{true};  // checked before every playlist file
        QVERIFY(ReadBlurayDisc(disc.Folder(), &stop).files.isEmpty());

        QTemporaryDir empty;
        const BlurayDisc nothing = ReadBlurayDisc(empty.path());
        QVERIFY(nothing.files.isEmpty() && nothing.titles.isEmpty() && nothing.name.isEmpty());
        QVERIFY(ReadBlurayDisc(QString()).files.isEmpty());
    }

    void decodesNames()
    {
        const QList<QPair<QByteArray, QString>> names = {
            {"Am\xc3\xa9lie", QString::fromUtf8("Am\xc3\xa9lie")},
            {"\xe5\x8d\x83\xe3\x81\xa8\xe5\x8d\x83\xe5\xb0\x8b\xe3\x81\xae\xe7\xa5\x9e\xe9\x9a\xa0\xe3\x81\x97",
             QString::fromUtf8("\u5343\u3068\u5343\u5c0b\u306e\u795e\u96a0\u3057")},
            // Not UTF-8: an older disc written in Latin-1.
            {"Caf\xe9", QString::fromUtf8("Caf\xc3\xa9")},
            {"Am\xe9lie \xc3", QString::fromLatin1("Am\xe9lie \xc3")},
        };
        for (const auto& [bytes, expected] : names) {
            TestDisc disc;
            disc.Metadata("<di:name>" + bytes + "</di:name>\n");
            QCOMPARE(ReadBlurayDisc(disc.Folder()).name, expected);
        }
    }

    void printsJson()
    {
        TestDisc disc;
        // Quotes, a backslash, control characters and UTF-8 survive the JSON text.
        disc.Metadata("<di:name>TEST \"DISC\" \\ \t\x01 \xc3\xa9\xe5\x8d\x83</di:name>\n");
        disc.Add("00000.mpls", "garbage, not a playlist at all");
        disc.Add("00001.mpls", Playlist(6310, "00001", 2));
        const QString program = QStringLiteral(VANTOREL_PROGRAM_DIR "/disc-titles");
        QProcess process;
        process.start(program, {disc.Folder()});
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 0);
        QJsonParseError error;
        const QJsonObject json = QJsonDocument::fromJson(process.readAllStandardOutput(), &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(json["disc"].toObject()["name"].toString(),
                 QString::fromUtf8("TEST \"DISC\" \\ \t\x01 \xc3\xa9\xe5\x8d\x83"));
        const QJsonArray files = json["files"].toArray();
        QCOMPARE(files.size(), 2);
        for (const QJsonValue& value : files) {
            const QJsonObject file = value.toObject();
            if (file["file"] == "00000.mpls") {
                QCOMPARE(file["code"].toInt(), 2);
                QVERIFY(file["items"].toArray().isEmpty());
                continue;
            }
            QCOMPARE(file["code"].toInt(), 0);
            const QJsonObject item = file["items"].toArray().first().toObject();
            QCOMPARE(item["clip"].toString(), QStringLiteral("00001.M2TS"));
            QCOMPARE(item["durationMs"].toInteger(), qint64(6310000));
            QCOMPARE(item["inMs"].toInteger(), qint64(0));
            QCOMPARE(item["offsetMs"].toInteger(), qint64(0));
            QCOMPARE(file["chapters"].toArray(), (QJsonArray{0, 1000}));
            QCOMPARE(file["audio"].toArray(), QJsonArray{"English AC3"});
            QCOMPARE(file["subtitles"].toArray(), QJsonArray{});
        }
        const QJsonObject title = json["titles"].toArray().first().toObject();
        QCOMPARE(title["number"].toInt(), 1);  // a file without items uses up no number
        QCOMPARE(title["file"].toString(), QStringLiteral("00001.mpls"));
        QCOMPARE(title["duration"].toString(), QStringLiteral("01:45:10"));

        process.start(program, {});
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 2);
        process.start(program, {disc.Folder() + "/missing"});
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 1);
    }
};

QTEST_GUILESS_MAIN(TestBlurayTitles)
#include "tst_bluray_titles.moc"
