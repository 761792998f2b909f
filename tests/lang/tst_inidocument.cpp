#include "lang/IniDocument.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

class TestIniDocument : public QObject
{
    Q_OBJECT
private slots:
    void splitsAtFirstEqualsAndFirstKeyWins();
    void keepsSectionOrderAndMergesRepeats();
    void skipsCommentsAndBlankLines();
    void readsUtf16AndUtf8WithMarks_data();
    void readsUtf16AndUtf8WithMarks();
    void writerKeepsEverythingElse();
    void writerAddsMissingKeyAndSection();
    void writerKeepsEncodingAndLineEnds();
    void saveFailsCleanlyOnUnwritablePath();
    void survivesRandomAndTruncatedInput();
};

void TestIniDocument::splitsAtFirstEqualsAndFirstKeyWins()
{
    const IniDocument doc = IniDocument::fromBytes(
        "[MainWnd]\nPlay=Play\nFormula=a=b=c\nPlay=Second\nNoEquals\n");
    QCOMPARE(doc.value("MainWnd", "Formula"), QString("a=b=c"));
    QCOMPARE(doc.value("MainWnd", "Play"), QString("Play"));
    const auto entries = doc.entries("MainWnd");
    QCOMPARE(entries.size(), 4);
    QCOMPARE(entries[3].key, QString("NoEquals"));
    QCOMPARE(entries[3].text, QString("NoEquals"));
    // Keys and sections compare exactly.
    QVERIFY(!doc.contains("MainWnd", "play"));
    QVERIFY(!doc.contains("mainwnd", "Play"));
    QCOMPARE(doc.value("MainWnd", "Missing", "fallback"), QString("fallback"));
}

void TestIniDocument::keepsSectionOrderAndMergesRepeats()
{
    const IniDocument doc = IniDocument::fromBytes(
        "loose=line before any section\n[Zeta]\na=1\n[Alpha]\nb=2\n[Zeta]\nc=3\n");
    QCOMPARE(doc.sectionNames(), QStringList({"Zeta", "Alpha"}));
    const auto zeta = doc.entries("Zeta");
    QCOMPARE(zeta.size(), 2);
    QCOMPARE(zeta[1].key, QString("c"));
}

void TestIniDocument::skipsCommentsAndBlankLines()
{
    const IniDocument doc = IniDocument::fromBytes(
        "; a comment\n[S]\n\n  # another\n  key = spaced value  \r\n");
    const auto entries = doc.entries("S");
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries[0].key, QString("key"));
    QCOMPARE(entries[0].text, QString("spaced value"));
}

void TestIniDocument::readsUtf16AndUtf8WithMarks_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("encoding");
    const QString text = QStringLiteral("[MainWnd]\nPlay=再生\n");
    QByteArray le("\xFF\xFE", 2), be("\xFE\xFF", 2);
    for (QChar c : text) {
        le.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
        be.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xFF));
    }
    QTest::newRow("utf-8") << text.toUtf8() << int(IniDocument::Encoding::Utf8);
    QTest::newRow("utf-8 bom") << QByteArray("\xEF\xBB\xBF") + text.toUtf8()
                               << int(IniDocument::Encoding::Utf8Bom);
    QTest::newRow("utf-16le") << le << int(IniDocument::Encoding::Utf16LE);
    QTest::newRow("utf-16be") << be << int(IniDocument::Encoding::Utf16BE);
}

void TestIniDocument::readsUtf16AndUtf8WithMarks()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, encoding);
    const IniDocument doc = IniDocument::fromBytes(bytes);
    QCOMPARE(int(doc.encoding()), encoding);
    QCOMPARE(doc.value("MainWnd", "Play"), QStringLiteral("再生"));
    // Written back unchanged, mark and all.
    QCOMPARE(doc.toBytes(), bytes);
}

void TestIniDocument::writerKeepsEverythingElse()
{
    const QByteArray original =
        "; settings\n[DefaultLanguage]\nDefault=English\nOther = kept as is \n\n"
        "[Languages]\nEnglish=English\nGerman=Deutsch\n";
    IniDocument doc = IniDocument::fromBytes(original);
    doc.setValue("DefaultLanguage", "Default", "German");
    QByteArray expected = original;
    expected.replace("Default=English", "Default=German");
    QCOMPARE(doc.toBytes(), expected);
}

void TestIniDocument::writerAddsMissingKeyAndSection()
{
    IniDocument doc = IniDocument::fromBytes("[Languages]\nEnglish=English\n\n[Other]\nx=1\n");
    doc.setValue("Languages", "German", "Deutsch");
    doc.setValue("DefaultLanguage", "Default", "German");
    QCOMPARE(doc.toBytes(),
             QByteArray("[Languages]\nEnglish=English\nGerman=Deutsch\n\n[Other]\nx=1\n"
                        "\n[DefaultLanguage]\nDefault=German\n"));
    IniDocument empty;
    empty.setValue("DefaultLanguage", "Default", "French");
    QCOMPARE(empty.toBytes(), QByteArray("[DefaultLanguage]\nDefault=French\n"));
}

void TestIniDocument::writerKeepsEncodingAndLineEnds()
{
    const char utf16[] = "\xFF\xFE[\0S\0]\0\r\0\n\0";
    IniDocument doc = IniDocument::fromBytes(QByteArray(utf16, sizeof utf16 - 1));
    doc.setValue("S", "k", "v");
    const IniDocument again = IniDocument::fromBytes(doc.toBytes());
    QCOMPARE(again.encoding(), IniDocument::Encoding::Utf16LE);
    QCOMPARE(again.value("S", "k"), QString("v"));
    QVERIFY(doc.toBytes().contains(QByteArray("\r\0\n\0", 4)));
}

void TestIniDocument::saveFailsCleanlyOnUnwritablePath()
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath("file"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    IniDocument doc;
    doc.setValue("S", "k", "v");
    // A folder that is a file: nothing can be written below it.
    QVERIFY(!doc.save(dir.filePath("file/config.ini")));
    QVERIFY(doc.save(dir.filePath("config.ini")));
    QCOMPARE(IniDocument::fromFile(dir.filePath("config.ini")).value("S", "k"), QString("v"));
    QVERIFY(IniDocument::fromFile(dir.filePath("missing.ini")).sectionNames().isEmpty());
}

void TestIniDocument::survivesRandomAndTruncatedInput()
{
    const char utf16[] = "\xFF\xFE[\0M\0]\0\n\0k\0=\0v\0\n\0";
    const QByteArray sample(utf16, sizeof utf16 - 1);
    const QByteArray text = "[MainWnd]\nPlay=Play\n[Messages]\nMSG0102=Not a disc\n";
    QRandomGenerator random(20261208);
    for (int round = 0; round < 3000; ++round) {
        QByteArray bytes;
        switch (round % 3) {
        case 0:
            bytes = text.left(random.bounded(text.size() + 1));
            break;
        case 1:
            bytes = sample.left(random.bounded(sample.size() + 1));
            break;
        default:
            bytes.resize(random.bounded(512));
            for (char &c : bytes)
                c = char(random.bounded(256));
            // Salt with the characters the parser reacts to.
            for (int i = 0; i < bytes.size(); i += 7)
                bytes[i] = "[]=\n\r;#\0"[random.bounded(8)];
        }
        IniDocument doc = IniDocument::fromBytes(bytes);
        for (const QString &section : doc.sectionNames())
            doc.entries(section);
        doc.setValue("S", "k", "v");
        QCOMPARE(IniDocument::fromBytes(doc.toBytes()).value("S", "k"), QString("v"));
    }
}

QTEST_GUILESS_MAIN(TestIniDocument)
#include "tst_inidocument.moc"
