// The store of remembered positions: what it makes of damaged files, how two
// players saving at once share it, and where a medium starts again.

#include "ui/ResumeStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

using namespace ResumeStore;

namespace {

Entry MakeEntry(int i, qint64 savedAt)
{
    Entry e;
    e.key = FileKey(QString("/media/film %1\twith\ttabs\n.mkv").arg(i), 1000 + i, 5000 + i);
    e.path = QString("/media/film %1.mkv").arg(i);
    e.positionMs = 60000 + i;
    e.lengthMs = 7200000;
    e.title = i % 3;
    e.audio = 2;
    e.subtitle = 0;
    e.savedAtMs = savedAt;
    return e;
}

QByteArray ValidStore(int count)
{
    Entries entries;
    for (int i = 0; i < count; ++i)
        entries.insert(MakeEntry(i, 100 + i).key, MakeEntry(i, 100 + i));
    return Serialize(entries);
}

bool Write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class TestResumeStore : public QObject {
    Q_OBJECT

private slots:
    // Every damaged store reads as none and is written anew, whole, at the
    // next change; nothing crashes.
    void damagedStores()
    {
        const QByteArray valid = ValidStore(3);
        QByteArray binary(4096, '\0');
        for (int i = 0; i < binary.size(); ++i)
            binary[i] = char((i * 7919) % 251);
        QByteArray huge = "VantorelResume 1\n";
        while (huge.size() <= MaxReadBytes)
            huge += "1\t70000\t0\t0\t-1\t-1\tfile%20x\t" + QByteArray(200, 'a') + '\n';
        huge += "end 0\n";
        QByteArray future = valid;
        future.replace("VantorelResume 1", "VantorelResume 2");
        QByteArray badNumber = valid;
        badNumber.replace("\t60000\t", "\t6x000\t");
        QByteArray miscounted = valid;
        miscounted.replace("end 3", "end 4");

        struct Row {
            const char* name;
            QByteArray bytes;  // the file's contents; null: no file at all
            int entries;       // what Load finds
        };
        const Row rows[] = {
            {"no file", QByteArray(), 0},
            {"empty", QByteArray(""), 0},
            {"whole", valid, 3},
            {"cut in a line", valid.left(valid.size() - 20), 0},
            {"cut at a line end", valid.left(valid.lastIndexOf("end ")), 0},
            {"no final line end", valid.chopped(1), 0},
            {"binary", binary, 0},
            {"binary after a good header", "VantorelResume 1\n" + binary + "\nend 1\n", 0},
            {"huge", huge, 0},
            {"future version", future, 0},
            {"version 0", QByteArray(valid).replace("Resume 1", "Resume 0"), 0},
            {"bad number", badNumber, 0},
            {"count that does not match", miscounted, 0},
            {"empty key", "VantorelResume 1\n1\t70000\t0\t0\t-1\t-1\t\t\nend 1\n", 0},
            {"a field short", "VantorelResume 1\n1\t70000\t0\t-1\t-1\tk\tp\nend 1\n", 0},
        };
        for (const Row& row : rows) {
            QTemporaryDir dir;
            const QString path = dir.filePath("ResumeConfig.txt");
            if (!row.bytes.isNull())
                QVERIFY2(Write(path, row.bytes), row.name);
            QVERIFY2(Load(path).size() == row.entries, row.name);

            Entries seen;
            QVERIFY2(Apply(path, {Change::Put, MakeEntry(99, 1000)}, seen), row.name);
            const Entries reread = Load(path);
            QVERIFY2(reread.size() == row.entries + 1, row.name);
            QVERIFY2(reread == seen && reread.contains(MakeEntry(99, 0).key), row.name); // every field back
        }
        // A folder where the store should be: nothing read, nothing written.
        QTemporaryDir dir;
        const QString folder = dir.filePath("ResumeConfig.txt");
        QVERIFY(QDir().mkpath(folder));
        Entries seen;
        QVERIFY(Load(folder).isEmpty());
        QVERIFY(!Apply(folder, {Change::Put, MakeEntry(1, 1)}, seen));
        QVERIFY(seen.isEmpty());
    }

    // Two players saving at the same time both keep what they saved; the
    // store keeps the most recent entries; Remove and Clear forget.
    void sharedAndBounded()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("ResumeConfig.txt");
        const auto player = [&path](int first) {
            return QThread::create([&path, first] {
                Entries seen;
                for (int i = first; i < first + 60; ++i)
                    Apply(path, {Change::Put, MakeEntry(i, i)}, seen);
            });
        };
        std::unique_ptr<QThread> a(player(0)), b(player(1000));
        a->start();
        b->start();
        QVERIFY(a->wait(60000) && b->wait(60000));
        QCOMPARE(Load(path).size(), 120);
        Entries seen;
        for (int i = 0; i < MaxEntries + 50; ++i)
            QVERIFY(Apply(path, {Change::Put, MakeEntry(2000 + i, 10000 + i)}, seen));
        QVERIFY(seen.size() == MaxEntries && !seen.contains(MakeEntry(2049, 0).key));
        QVERIFY(Apply(path, {Change::Remove, MakeEntry(2050, 0)}, seen));
        QVERIFY(seen.size() == MaxEntries - 1 && !Load(path).contains(MakeEntry(2050, 0).key));
        QVERIFY(Apply(path, {Change::Clear, {}}, seen));
        QVERIFY(seen.isEmpty() && Load(path).isEmpty());
    }

    // A replaced file is another file; where a medium starts again:
    // {position, length, start} in ms.
    void keysAndStartingPoints()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("a.mkv");
        QVERIFY(Write(file, "one") && !FileKeyOf(file).isEmpty() && FileKeyOf(dir.path()).isEmpty());
        const QString before = FileKeyOf(file);
        QVERIFY(Write(file, "longer") && FileKeyOf(file) != before && DiscKey("").isEmpty());
        const qint64 rows[][3] = {{20000, 3600000, 0},       {60000, 3600000, 60000}, {3550000, 3600000, 0},
                                  {5000000, 3600000, 0},     {1800000, 0, 1800000},   {30000, 0, 0},
                                  {20000, 60000, 20000},     {5000, 60000, 0},        {55000, 60000, 0}};
        for (const auto& row : rows)
            QCOMPARE(ResumeAtMs(row[0], row[1]), row[2]);
    }
};

QTEST_GUILESS_MAIN(TestResumeStore)
#include "tst_resume_store.moc"
