// Disc metadata, file digests, folder listings and time texts.

#include "disc/DirectoryListing.h"
#include "disc/DiscMetadata.h"
#include "disc/FileDigest.h"
#include "disc/TimeText.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QPair<QByteArray, QByteArray> Metadata(const QByteArray& text)
{
    QBuffer buffer;
    buffer.setData(text);
    buffer.open(QIODevice::ReadOnly);
    QByteArray name, thumbnail;
    ReadDiscMetadata(buffer, name, thumbnail);
    return {name, thumbnail};
}

} // namespace

class TestDiscFiles : public QObject {
    Q_OBJECT

private slots:
    void metadata()
    {
        const QByteArray xml =
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
            "<disclib><di:discinfo><di:title>\n"
            "      <di:name>TEST DISC 10</di:name>\r\n"
            "  </di:title>\n"
            "  <di:thumbnail href=\"TEST_416.jpg\" size=\"416x240\" />\n"
            "  <di:thumbnail href=\"TEST_640.jpg\" />\n"
            "</di:discinfo></disclib>\n";
        QCOMPARE(Metadata(xml), qMakePair(QByteArray("TEST DISC 10"), QByteArray("TEST_640.jpg")));
        // Real discs give each thumbnail its size after the reference.
        QCOMPARE(Metadata("<di:thumbnail href=\"D_640.jpg\" size=\"640x360\" />\n").second,
                 QByteArray("D_640.jpg"));
        // Without a closing part the value runs to the end of the line, not into the next one.
        QCOMPARE(Metadata("<di:name>Open name\n<di:thumbnail href=\"a b.png\n"),
                 qMakePair(QByteArray("Open name"), QByteArray("a b.png")));
        // The last name wins; a value of 256 bytes or more is ignored.
        const QByteArray longName = "<di:name>" + QByteArray(256, 'n') + "</di:name>\n";
        QCOMPARE(Metadata("<di:name>First</di:name>\n<di:name>Second</di:name>\n" + longName).first,
                 QByteArray("Second"));
        QCOMPARE(Metadata("<di:name>" + QByteArray(255, 'n') + "</di:name>\n").first.size(), 255);
        // A name line takes the line even when it names a thumbnail too.
        QCOMPARE(Metadata("<di:name>N</di:name><di:thumbnail href=\"t.jpg\" />\n"),
                 qMakePair(QByteArray("N"), QByteArray()));
        // A thumbnail tag without its quote is no reference.
        QCOMPARE(Metadata("<di:thumbnail href=t.jpg />\n").second, QByteArray());
        // Lines longer than 2,047 bytes are read in pieces: a tag in a later piece still counts.
        QCOMPARE(Metadata(QByteArray(3000, ' ') + "<di:name>Far</di:name>\n").first, QByteArray("Far"));
        QCOMPARE(Metadata(QByteArray(2036, ' ') + "<di:name>Split</di:name>\n").first, QByteArray("Sp"));
        QCOMPARE(Metadata(QByteArray(2, '\0') + "<di:name>Z</di:name>\n").first, QByteArray("Z"));

        QByteArray name("kept"), thumbnail("kept");
        QCOMPARE(ReadDiscMetadata(QStringLiteral("/nonexistent/bdmt_eng.xml"), name, thumbnail), 0);
        QCOMPARE(name, QByteArray("kept"));
    }

    void digests()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("a file ü.mpls");
        QByteArray hex;
        QCOMPARE(FileDigestHex(path, hex), 87);
        WriteFile(path, QByteArray());
        QCOMPARE(FileDigestHex(path, hex), 87);
        QCOMPARE(FileDigestHex(dir.path(), hex), 87);
        QByteArray content;
        for (int i = 0; i < 200000; ++i)
            content += char(i * 7);
        WriteFile(path, content);
        QCOMPARE(FileDigestHex(path, hex), 0);
        QCOMPARE(hex.size(), 128);
        QCOMPARE(hex, QCryptographicHash::hash(content, QCryptographicHash::Sha512).toHex().toUpper());
        WriteFile(path, "abc");
        QCOMPARE(FileDigestHex(path, hex), 0);
        QCOMPARE(hex, QByteArray("DDAF35A193617ABACC417349AE20413112E6FA4E89A97EA20A9EEEE64B55D39A"
                                 "2192992A274FC1A836BA3C23A3FEEBBD454D4423643CE80E2A9AC94FA54CA49F"));
    }

    void listing()
    {
        QTemporaryDir dir;
        QDir(dir.path()).mkpath("sub folder");
        QDir(dir.path()).mkpath(".hidden");
        WriteFile(dir.filePath(".dotfile"), "x");
        WriteFile(dir.filePath("name with \"quotes\" and é"), "x");
        WriteFile(dir.filePath("plain"), "x");
        QList<DIR_ENTRY_INFO> entries;
        entries.append(DIR_ENTRY_INFO{true, "earlier"});
        QVERIFY(ListDirectory(dir.path(), entries));
        QCOMPARE(entries.size(), 4);
        QCOMPARE(entries.first().path, QStringLiteral("earlier"));
        QMap<QString, bool> found;
        for (int i = 1; i < entries.size(); ++i)
            found.insert(entries[i].path, entries[i].isDirectory);
        QCOMPARE(found.value(dir.path() + "/sub folder"), true);
        QCOMPARE(found.value(dir.path() + "/plain", true), false);
        QVERIFY(found.contains(dir.path() + "/name with \"quotes\" and é"));

        // A trailing separator is not doubled.
        QList<DIR_ENTRY_INFO> again;
        QVERIFY(ListDirectory(dir.path() + "/", again));
        QVERIFY(!again.first().path.contains("//"));

        QList<DIR_ENTRY_INFO> none;
        QVERIFY(!ListDirectory(dir.filePath("missing"), none));
        QVERIFY(!ListDirectory(dir.filePath("plain"), none));
        QVERIFY(!ListDirectory(QString(), none));
        QVERIFY(none.isEmpty());
    }

    void timeTexts()
    {
        QCOMPARE(FormatSeconds(0), QStringLiteral("00:00:00"));
        QCOMPARE(FormatSeconds(6310), QStringLiteral("01:45:10"));
        QCOMPARE(FormatSeconds(359999), QStringLiteral("99:59:59"));
        QCOMPARE(FormatSeconds(360000), QStringLiteral("100:00:00"));
        QCOMPARE(FormatSeconds(-5), QStringLiteral("00:00:00"));
        for (const qint64 s : {qint64(0), qint64(59), qint64(3600), qint64(6310), qint64(360000),
                               qint64(4294967)})
            QCOMPARE(TimeTextSeconds(FormatSeconds(s)), s);
        QCOMPARE(TimeTextSeconds("1:2:3"), qint64(3723));
        for (const char* bad : {"", "01:02", "01:02:03:04", "aa:00:00", "-1:00:00", "01: 02:03",
                                "01:02:", "1e3:00:00", "+1:00:00"})
            QCOMPARE(TimeTextSeconds(QString::fromLatin1(bad)), qint64(0));
    }
};

QTEST_GUILESS_MAIN(TestDiscFiles)
#include "tst_disc_files.moc"
