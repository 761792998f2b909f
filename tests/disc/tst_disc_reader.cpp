// DiscReader: the disc read on a worker thread, handed back as ReadBlurayDisc
// gives it, only for the latest read, and safe to drop at any moment.

#include "BlurayFixtures.h"
#include "TestDisc.h"
#include "disc/DiscReader.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

namespace {

// The threads of this process. A worker is one from the moment read() returns
// (the thread is created there) until it has ended; the test starts no others.
int Threads() { return int(QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot).size()); }
int threadsBefore = 0;  // before any read
int Workers() { return Threads() - threadsBefore; }

// Long enough for a worker to take up its read, and to post the result of a
// small one, while the test handles no event.
void LetWorkersRun() { QThread::msleep(300); }

// What the window takes from a disc: name, picture and the titles in order.
QStringList Dump(const BlurayDisc& disc)
{
    QStringList lines{disc.folder, disc.name, disc.thumbnailPath, QString::number(disc.files.size())};
    for (const BlurayTitle& t : disc.titles) {
        QStringList streams;
        for (const STREAM_INFO& stream : t.audio + t.subtitles)
            streams << stream.description;
        lines << QString("%1 %2 %3 items %4 chapters %5 %6").arg(t.number).arg(t.playlistPath, t.durationText)
                     .arg(t.playItems.size()).arg(t.chapters.size()).arg(streams.join(','));
    }
    return lines;
}

BlurayDisc Result(QSignalSpy& spy)
{
    return spy.isEmpty() ? BlurayDisc() : spy.takeFirst().at(1).value<BlurayDisc>();
}

} // namespace

class TestDiscReader : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        threadsBefore = Threads();
        disc_.Metadata("<di:name>Am\xc3\xa9lie</di:name>\n");
        const QByteArray copied = Playlist(5400, "00001", 3);
        disc_.Add("00000.mpls", "not a playlist");
        disc_.Add("00001.mpls", copied);
        disc_.Add("00002.mpls", copied);
        for (int i = 3; i < 40; ++i)
            disc_.Add(QString::asprintf("%05d.mpls", i), Playlist(60 * i, QByteArray::number(i)));
    }

    void sameAsReadingDirectly()
    {
        QStringList folders{disc_.Folder(), disc_.Folder() + "/"};
        const QString shared = SharedDiscsFolder();
        QTemporaryDir copies;
        for (const QString& name : shared.isEmpty() ? QStringList() : SharedDiscNames(shared)) {
            QVERIFY(CopyDiscTree(shared + "/" + name, copies.filePath(name)));
            folders << copies.filePath(name);
        }
        DiscReader reader;
        QSignalSpy spy(&reader, &DiscReader::finished);
        for (const QString& folder : folders) {
            reader.read(folder);
            QVERIFY(reader.isReading());
            QVERIFY(spy.wait(30000));
            QVERIFY(!reader.isReading());
            QCOMPARE(spy.first().at(0).value<DiscKind>(), DiscKind::Bluray);
            // The tables come made, for every title and nothing else.
            const auto tables = spy.first().at(2).value<BlurayTitleState>();
            const BlurayDisc direct = ReadBlurayDisc(folder);
            QCOMPARE(Dump(Result(spy)), Dump(direct));
            QCOMPARE(tables.discs.keys(), QList<QString>{folder});
            QCOMPARE(tables.discs[folder].size(), direct.titles.size());
            for (const BlurayTitle& title : direct.titles) {
                const BlurayTitleEntry* entry = tables.find(title.playlistPath);
                QVERIFY(entry);
                QCOMPARE(entry->number, title.number);
                QCOMPARE(entry->chapters, title.chapters);
                QCOMPARE(entry->discRoot, folder);
                QCOMPARE(entry->audioChoice, title.audio.isEmpty() ? 0 : 1);
            }
        }
        QVERIFY2(folders.size() > 10 || shared.isEmpty(), "the real discs were not read");
        // What is no Blu-ray comes back as what it is, with nothing read.
        QTemporaryDir dvd;
        QVERIFY(QDir(dvd.path()).mkpath("VIDEO_TS"));
        const QList<std::pair<QString, DiscKind>> others = {{dvd.path(), DiscKind::Dvd},
                                                            {dvd.path() + "/VIDEO_TS", DiscKind::None}};
        for (const auto& [folder, kind] : others) {
            reader.read(folder);
            QVERIFY(spy.wait(30000));
            QCOMPARE(spy.first().at(0).value<DiscKind>(), kind);
            QCOMPARE(Result(spy).folder, folder);
        }
    }

    // A disc taken in starts its titles over; choices made on other discs'
    // titles stay.
    void laterDiscsJoinTheEarlier()
    {
        TestDisc other(true);
        other.Add("00001.mpls", Playlist(60, "00001", 2));
        const BlurayDisc first = ReadBlurayDisc(disc_.Folder());
        const BlurayDisc second = ReadBlurayDisc(other.Folder());
        BlurayTitleState state;
        state.take(BlurayTitleState::ForDisc(first));
        const QString earlier = first.titles.first().playlistPath;
        state.find(earlier)->audioChoice = 0;
        state.find(earlier)->subtitleChoice = 2;
        QVERIFY(state.take(BlurayTitleState::ForDisc(second)).discs.value(other.Folder()).isEmpty());
        QCOMPARE(state.discs.size(), 2);
        QCOMPARE(state.find(earlier)->audioChoice, 0);
        QCOMPARE(state.find(earlier)->subtitleChoice, 2);
        QCOMPARE(state.find(earlier)->discRoot, disc_.Folder());
        QCOMPARE(state.find(second.titles.first().playlistPath)->discRoot, other.Folder());
        const BlurayTitleState replaced = state.take(BlurayTitleState::ForDisc(first));
        QCOMPARE(replaced.discs.value(disc_.Folder()).value(earlier).subtitleChoice, 2);
        QCOMPARE(state.find(earlier)->audioChoice, 1);
        QCOMPARE(state.find(earlier)->subtitleChoice, 0);
        QCOMPARE(state.lengthSeconds(earlier), first.titles.first().durationSeconds);
        QVERIFY(!state.find(other.Folder()));
    }

    // A cancel or a later read drops a read, whether its worker has not
    // started yet or has already posted the result.
    void onlyTheLatestReadCounts()
    {
        TestDisc other(true);
        other.Add("00001.mpls", Playlist(60));
        DiscReader reader;
        QSignalSpy spy(&reader, &DiscReader::finished);
        reader.read(disc_.Folder());
        reader.cancel();
        QVERIFY(!reader.isReading());
        reader.read(disc_.Folder());
        LetWorkersRun();  // the result waits in the queue
        reader.cancel();
        QTest::qWait(50);
        QCOMPARE(spy.count(), 0);

        reader.read(disc_.Folder());
        reader.read(other.Folder());
        QVERIFY(spy.wait(30000));
        QCOMPARE(Result(spy).folder, other.Folder());
        reader.read(other.Folder());
        LetWorkersRun();
        reader.read(disc_.Folder());
        QVERIFY(spy.wait(30000));
        QCOMPARE(Result(spy).folder, disc_.Folder());
        QTest::qWait(50);
        QVERIFY(spy.isEmpty());
    }

    // A worker stuck in a slow file holds up neither the next read nor the
    // reader's destruction, and gives up the dropped read in the middle of
    // the file rather than reading on.
    void slowReads()
    {
        QTRY_COMPARE(Workers(), 0);
        // Two huge (sparse) files of one size: telling them apart takes the
        // digests of both, a minute of work here.
        TestDisc slow(true);
        for (const QString& name : {"00001.mpls", "00002.mpls"}) {
            QFile huge(slow.Add(name, Playlist(60)));
            QVERIFY(huge.resize(qint64(8) << 30));
        }
        auto* reader = new DiscReader;
        QSignalSpy spy(reader, &DiscReader::finished);
        reader->read(slow.Folder());
        LetWorkersRun();
        reader->read(disc_.Folder());
        QVERIFY(spy.wait(30000));
        QCOMPARE(Result(spy).folder, disc_.Folder());
        QTRY_COMPARE_WITH_TIMEOUT(Workers(), 1, 10000);  // only the new, idle one stays

        reader->read(slow.Folder());
        LetWorkersRun();
        delete reader;
        QTRY_COMPARE_WITH_TIMEOUT(Workers(), 0, 10000);
        QCOMPARE(spy.count(), 0);

        // Destroyed with the result already posted to it.
        reader = new DiscReader;
        reader->read(disc_.Folder());
        LetWorkersRun();
        delete reader;
        QCoreApplication::processEvents();
    }

private:
    TestDisc disc_{true};
};

QTEST_GUILESS_MAIN(TestDiscReader)
#include "tst_disc_reader.moc"
