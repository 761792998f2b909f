// The playlist reader and its file access, on playlists written by MplsBuilder.

#include "MplsBuilder.h"
#include "disc/MplsReader.h"
#include "disc/RawFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Result {
    int code = -1;
    QList<PLAY_ITEM_INFO> items;
    QList<STREAM_INFO> subtitles;
    QList<STREAM_INFO> audio;
    QList<quint32> chapters;
};

Result ReadBytes(const QByteArray& bytes)
{
    CMplsReader reader;
    Result r;
    r.code = reader.ReadBytes(bytes.constData(), bytes.size(), r.items, r.subtitles, r.audio,
                              r.chapters);
    return r;
}

TestItem Item(const QByteArray& clip, quint32 inTicks, quint32 outTicks)
{
    TestItem item;
    item.clip = clip;
    item.inTicks = inTicks;
    item.outTicks = outTicks;
    return item;
}

QStringList Descriptions(const QList<STREAM_INFO>& streams)
{
    QStringList texts;
    for (const STREAM_INFO& s : streams)
        texts << s.description;
    return texts;
}

} // namespace

class TestMplsReader : public QObject {
    Q_OBJECT

private slots:
    void headerCodes()
    {
        QCOMPARE(ReadBytes(QByteArray()).code, 1);
        QCOMPARE(ReadBytes(QByteArray(19, 'M')).code, 1);
        QCOMPARE(ReadBytes(QByteArray("XPLS") + QByteArray(40, '\0')).code, 2);
        // A header that points nowhere: no items, a code of its own.
        QByteArray header = QByteArray("MPLS0200") + QByteArray(12, '\0');
        MplsBuilder::Put32(header, 8, 0xFFFFFFF0u);
        const Result r = ReadBytes(header);
        QCOMPARE(r.code, int(CMplsReader::OutOfBounds));
        QVERIFY(r.items.isEmpty());
    }

    void itemTimesAndOffsets()
    {
        // 10 s and 20 s; IN 44 / OUT 90 ticks truncates each division on its own.
        TestItem first = Item("00001", 90000, 90000 + 450000);
        TestItem second = Item("00002", 45 * 1000, 45 * 1000 + 900000);
        TestItem third = Item("00003", 44, 90);
        const QByteArray file = MplsBuilder::Build({first, second, third}, {{1, 1, 45 * 1000}});
        const Result r = ReadBytes(file);
        QCOMPARE(r.code, 0);
        QCOMPARE(r.items.size(), 3);
        QCOMPARE(r.items[0].clipName, QStringLiteral("00001.M2TS"));
        QCOMPARE(r.items[0].inMs, 2000u);
        QCOMPARE(r.items[0].durationMs, 10000u);
        QCOMPARE(r.items[0].offsetMs, 0u);
        QCOMPARE(r.items[1].offsetMs, 10000u);
        QCOMPARE(r.items[1].durationMs, 20000u);
        QCOMPARE(r.items[2].inMs, 0u);
        QCOMPARE(r.items[2].durationMs, 2u);
        QCOMPARE(r.items[2].offsetMs, 30000u);
        // A chapter at the start of the second item.
        QCOMPARE(r.chapters, QList<quint32>{10000u});
    }

    void marks()
    {
        TestItem a = Item("00001", 0, 45 * 5000);
        TestItem b = Item("00002", 45 * 100, 45 * 3100);
        const QByteArray file = MplsBuilder::Build(
            {a, b}, {{1, 0, 0}, {2, 0, 45 * 1000}, {1, 1, 45 * 1100}, {1, 2, 0},
                     {1, 0x8000, 0}, {1, 0, 45 * 4500 + 44}});
        const Result r = ReadBytes(file);
        QCOMPARE(r.code, 0);
        // Link points and marks of items that do not exist give no chapter;
        // the chapters come in the order they play.
        QCOMPARE(r.chapters, (QList<quint32>{0u, 4500u, 6000u}));
        // A mark before its item's IN time starts the chapter with the item.
        const Result early = ReadBytes(MplsBuilder::Build({b}, {{1, 0, 45 * 50}}));
        QCOMPARE(early.chapters, QList<quint32>{0u});
    }

    void lookAlikes()
    {
        const QByteArray two = MplsBuilder::Build({Item("00001", 0, 4500), Item("00001", 0, 4500)}, {});
        QCOMPARE(ReadBytes(two).items.size(), 2);

        TestItem repeated = Item("00007", 0, 45000);
        repeated.audio = {{0x81, "eng"}};
        const QByteArray decoy = MplsBuilder::Build(
            {Item("00005", 0, 4500), repeated, repeated, Item("00008", 0, 4500)}, {{1, 1, 0}});
        const Result r = ReadBytes(decoy);
        QCOMPARE(r.code, 0);
        QVERIFY(r.items.isEmpty());
        QVERIFY(r.audio.isEmpty());
        QCOMPARE(r.chapters, QList<quint32>{100u});

        // Same clip number, other codec identifier: a different name.
        TestItem other = repeated;
        other.codec = "M2TX";
        QCOMPARE(ReadBytes(MplsBuilder::Build({Item("00005", 0, 4500), repeated, other}, {})).items.size(), 3);
    }

    void streamDescriptions()
    {
        TestItem item = Item("00001", 0, 45000);
        item.audio = {{0x86, "por"}, {0x81, "ger"}, {0xA2, "eng"}, {0x80, "jpn"},
                      {0x82, "fra"}, {0x83, "spa"}, {0x84, "kor"}, {0x85, "zho"},
                      {0xA1, "tha"}, {0x81, "msa"}, {0x81, "hin"}, {0x0F, "eng"}};
        item.subtitles = {{0x90, "deu"}, {0x92, "eng"}, {0x90, "eng"}};
        const Result r = ReadBytes(MplsBuilder::Build({item}, {}));
        QCOMPARE(r.code, 0);
        QCOMPARE(Descriptions(r.audio),
                 (QStringList{"Portugal DTS HD XLL", "GER AC3", "English", "Japanese LPCM",
                              "French DTS", "Spanish TRUEHD", "Korean EAC3", "Chinese DTS HD",
                              "Thai EAC3", "Malay AC3", "Hindi AC3"}));
        QCOMPARE(r.audio[0].language, QByteArray("por"));
        QCOMPARE(r.audio[0].codingType, quint8(0x86));
        // Graphics subtitles win over text subtitles.
        QCOMPARE(Descriptions(r.subtitles), (QStringList{"DEU", "English"}));

        TestItem textOnly = Item("00001", 0, 45000);
        textOnly.subtitles = {{0x92, "jpn"}};
        QCOMPARE(Descriptions(ReadBytes(MplsBuilder::Build({textOnly}, {})).subtitles),
                 QStringList{"Japanese"});
    }

    void streamsOfTheLastItem()
    {
        TestItem first = Item("00001", 0, 45000);
        first.subtitles = {{0x90, "eng"}};
        first.audio = {{0x81, "eng"}};
        TestItem last = Item("00002", 0, 45000);
        last.audio = {{0x83, "jpn"}};
        const Result r = ReadBytes(MplsBuilder::Build({first, last}, {}));
        QVERIFY(r.subtitles.isEmpty());
        QCOMPARE(Descriptions(r.audio), QStringList{"Japanese TRUEHD"});
    }

    void multiAngleItems()
    {
        for (const quint8 angles : {quint8(1), quint8(3)}) {
            TestItem item = Item("00001", 0, 45000);
            item.angles = angles;
            item.audio = {{0x81, "eng"}};
            const Result r = ReadBytes(MplsBuilder::Build({item, Item("00002", 0, 90000)}, {}));
            QCOMPARE(r.code, 0);
            QCOMPARE(r.items.size(), 2);
            QCOMPARE(r.items[1].clipName, QStringLiteral("00002.M2TS"));
        }
        // The table after the angles is found: the streams of a single-item title.
        TestItem item = Item("00001", 0, 45000);
        item.angles = 2;
        item.audio = {{0x82, "eng"}};
        QCOMPARE(Descriptions(ReadBytes(MplsBuilder::Build({item}, {})).audio), QStringList{"English DTS"});
    }

    void videoCount()
    {
        TestItem many = Item("00001", 0, 45000);
        many.declaredVideo = 4;
        many.videoEntries = 0;
        // Only the last item decides the result.
        QCOMPARE(ReadBytes(MplsBuilder::Build({Item("00002", 0, 45000), many}, {})).code, 3);
        const Result r = ReadBytes(MplsBuilder::Build({many, Item("00002", 0, 45000)}, {}));
        QCOMPARE(r.code, 0);
        QCOMPARE(r.items.size(), 2);
        // Negative counts mean none.
        TestItem negative = Item("00001", 0, 45000);
        negative.declaredVideo = 0xF0;
        negative.videoEntries = 0;
        QCOMPARE(ReadBytes(MplsBuilder::Build({negative}, {})).code, 0);
    }

    void countsThatPointOutside()
    {
        TestItem item = Item("00001", 0, 45000);
        item.audio = {{0x81, "eng"}};
        const QByteArray good = MplsBuilder::Build({item, item}, {{1, 0, 0}});
        QCOMPARE(ReadBytes(good).items.size(), 2);
        const int listStart = qFromBigEndian<quint32>(good.constData() + 8);
        const int markStart = qFromBigEndian<quint32>(good.constData() + 12);

        QByteArray moreItems = good;
        MplsBuilder::Put16(moreItems, listStart + 6, 3);  // the third item runs into the marks and past the end
        QByteArray longItem = good;
        MplsBuilder::Put16(longItem, listStart + 10, 0xFFFF);
        QByteArray moreMarks = good;
        MplsBuilder::Put16(moreMarks, markStart + 4, 2);
        QByteArray markStartOutside = good;
        MplsBuilder::Put32(markStartOutside, 12, quint32(good.size() - 5));
        QByteArray moreStreams = good;
        moreStreams[listStart + 10 + 34 + 5] = char(100);
        QByteArray streamLength = good;
        streamLength[listStart + 10 + 34 + 16] = char(0xFF);
        for (const QByteArray& bad : {moreItems, longItem, moreMarks, markStartOutside, moreStreams,
                                      streamLength}) {
            const Result r = ReadBytes(bad);
            QCOMPARE(r.code, int(CMplsReader::OutOfBounds));
            QVERIFY(r.items.isEmpty());
            QVERIFY(r.chapters.isEmpty());
        }
        // Every cut of a good file stays inside the bytes it has.
        for (int size = 0; size < good.size(); ++size) {
            const QByteArray cut = good.left(size);
            QVERIFY(ReadBytes(cut).code != 0);
        }
    }

    void namesWithZeroBytes()
    {
        TestItem item = Item(QByteArray("00\0" "01", 5), 0, 45000);
        item.audio = {{0x81, QByteArray("e\0g", 3)}};
        const Result r = ReadBytes(MplsBuilder::Build({item}, {}));
        QCOMPARE(r.items[0].clipName, QStringLiteral("00"));
        QCOMPARE(r.audio[0].description, QStringLiteral("E AC3"));
    }

    void readsFiles()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        CMplsReader reader;
        QList<PLAY_ITEM_INFO> items;
        QList<STREAM_INFO> subtitles, audio;
        QList<quint32> chapters;
        QVERIFY(reader.Read(dir.filePath("missing.mpls"), items, subtitles, audio, chapters) != 0);
        QVERIFY(reader.Read(dir.path(), items, subtitles, audio, chapters) != 0);

        const QString path = dir.filePath("00001 'quoted' \"é\".mpls");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        const QByteArray good = MplsBuilder::Build({Item("00001", 0, 45000)}, {});
        file.write(good);
        file.close();
        QCOMPARE(reader.Read(path, items, subtitles, audio, chapters), 0);
        QCOMPARE(items.size(), 1);

        // Over 10 MiB: only the first 10 MiB are read, the playlist at the start still counts.
        QVERIFY(file.open(QIODevice::Append));
        file.write(QByteArray(int(CMplsReader::kBufferSize), 'x'));
        file.close();
        items.clear();
        QCOMPARE(reader.Read(path, items, subtitles, audio, chapters), 0);
        QCOMPARE(items.size(), 1);
        // And the reader, reusing its buffer, still judges a short file by its own bytes.
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(good.left(19));
        file.close();
        QCOMPARE(reader.Read(path, items, subtitles, audio, chapters), 1);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.close();
        QCOMPARE(reader.Read(path, items, subtitles, audio, chapters), 1);
        // Unreadable (only where permissions bind: not for root).
        QFile::setPermissions(path, QFileDevice::WriteOwner);
        if (!QFileInfo(path).isReadable())
            QVERIFY(reader.Read(path, items, subtitles, audio, chapters) > 4);
        QCOMPARE(items.size(), 1);  // no failed read touched the caller's lists
    }

    void rawFileCodes()
    {
        QTemporaryDir dir;
        CRawFile file;
        char buffer[16];
        qint64 got = -1;
        QCOMPARE(file.ReadAt(0, buffer, 4, &got), 87);
        QVERIFY(file.Open(dir.filePath("missing")) != 0);
        QVERIFY(!file.IsOpen());
        const QString path = dir.filePath("ten");
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("0123456789");
        out.close();
        QCOMPARE(file.Open(path), 0);
        QCOMPARE(file.ReadAt(2, buffer, 4, &got), 0);
        QCOMPARE(QByteArray(buffer, int(got)), QByteArray("2345"));
        QCOMPARE(file.ReadAt(8, buffer, 4, &got), 30);
        QCOMPARE(got, 2);
        file.Close();
        QCOMPARE(file.ReadAt(0, buffer, 4, &got), 87);
    }
};

QTEST_GUILESS_MAIN(TestMplsReader)
#include "tst_mpls_reader.moc"
