// Which of a disc's metadata files speak for it: the interface's language,
// else English, else the first; damaged or hostile files do not count.

#include "disc/BlurayTitleList.h"
#include "disc/DiscFiles.h"
#include "disc/DiscMetaXml.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using Files = QMap<QString, QByteArray>;  // file name under BDMV/META/DL or TN -> contents

QByteArray Library(const QString& name, const QString& thumbnails = QString())
{
    return QString("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                   "<disclib xmlns=\"urn:BDA:bdmv;disclib\" xmlns:di=\"urn:BDA:bdmv;discinfo\">\n"
                   "<di:discinfo><di:title><di:name>%1</di:name></di:title>\n"
                   "<di:description>%2</di:description></di:discinfo></disclib>\n")
        .arg(name, thumbnails).toUtf8();
}

QByteArray Chapters(const QStringList& names)
{
    QString xml = "<disclib xmlns=\"urn:BDA:bdmv;disclib\" xmlns:tn=\"urn:BDA:bdmv;tn\">"
                  "<tn:titlenames><tn:chapters>";
    for (const QString& name : names)
        xml += "<tn:name>" + name + "</tn:name>";
    return (xml + "</tn:chapters></tn:titlenames></disclib>").toUtf8();
}

const QByteArray kExpanding =
    "<?xml version=\"1.0\"?>\n<!DOCTYPE disclib [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;\">]>\n"
    "<disclib><title><name>&b;&b;&b;</name></title></disclib>\n";
const QByteArray kExternal =
    "<?xml version=\"1.0\"?>\n<!DOCTYPE disclib [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>\n"
    "<disclib><title><name>&x;</name></title></disclib>\n";

} // namespace

class TestDiscLanguages : public QObject {
    Q_OBJECT

private slots:
    void metadataSpeaksTheInterfacesLanguage_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<Files>("files");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("thumbnail");  // for a page of 500 x 300
        QTest::addColumn<QStringList>("chapters");  // of 00001.mpls

        const QString thumbs = "<di:thumbnail href=\"s.jpg\" size=\"416x240\"/>"
                               "<di:thumbnail href=\"l.jpg\" size=\"640x360\"/>"
                               "<di:thumbnail href=\"xl.jpg\" size=\"1920x1080\"/>";
        const Files both{{"DL/bdmt_eng.xml", Library("Film", "<di:thumbnail href=\"e.jpg\"/>")},
                         {"DL/bdmt_jpn.xml", Library("映画", thumbs)},
                         {"TN/tnmt_eng_00001.xml", Chapters({"Opening", "Storm"})},
                         {"TN/tnmt_jpn_00001.xml", Chapters({"序章", "嵐"})},
                         {"TN/tnmt_jpn_00002.xml", Chapters({"他"})}};
        QTest::newRow("Japanese interface") << "ja" << both << "映画" << "l.jpg" << QStringList{"序章", "嵐"};
        QTest::newRow("English interface") << "en" << both << "Film" << "e.jpg" << QStringList{"Opening", "Storm"};
        QTest::newRow("German: English") << "de_DE" << both << "Film" << "e.jpg" << QStringList{"Opening", "Storm"};
        QTest::newRow("German: the only one") << "de"
            << Files{{"DL/bdmt_jpn.xml", Library("映画", thumbs)}, {"TN/tnmt_jpn_00001.xml", Chapters({"序章"})}}
            << "映画" << "l.jpg" << QStringList{"序章"};
        QTest::newRow("Chinese") << "zh_CN"
            << Files{{"DL/bdmt_eng.xml", Library("Film")}, {"DL/BDMT_ZHO.XML", Library("电影")}}
            << "电影" << "" << QStringList();
        QTest::newRow("unknown code") << "fr" << Files{{"DL/bdmt_qqq.xml", Library("Q")}} << "Q" << "" << QStringList();
        QTest::newRow("Japanese damaged") << "ja"
            << Files{{"DL/bdmt_eng.xml", Library("Film")}, {"DL/bdmt_jpn.xml", "<disclib><title><name>映"}}
            << "Film" << "" << QStringList();
        QTest::newRow("both damaged") << "ja"
            << Files{{"DL/bdmt_eng.xml", "<<>>"}, {"DL/bdmt_jpn.xml", "\xff\xfe"}} << "" << "" << QStringList();
        QTest::newRow("expanding entities") << "en" << Files{{"DL/bdmt_eng.xml", kExpanding}} << "" << "" << QStringList();
        QTest::newRow("external entity") << "en" << Files{{"DL/bdmt_eng.xml", kExternal}} << "" << "" << QStringList();
        QTest::newRow("names of chapters that do not exist") << "en"
            << Files{{"TN/tnmt_eng_00001.xml", Chapters({"A", "B", "C", "D", "E", "F"})}}
            << "" << "" << QStringList{"A", "B", "C", "D", "E", "F"};
    }

    void metadataSpeaksTheInterfacesLanguage()
    {
        QFETCH(QString, locale);
        QFETCH(Files, files);
        QFETCH(QString, name);
        QFETCH(QString, thumbnail);
        QFETCH(QStringList, chapters);
        QTemporaryDir disc;
        for (auto it = files.cbegin(); it != files.cend(); ++it) {
            const QString path = disc.filePath("BDMV/META/" + it.key());
            QDir().mkpath(QFileInfo(path).path());
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(it.value());
        }
        const BlurayDisc read = ReadBlurayDisc(disc.path());
        QStringList languages;
        for (const DiscLibraryMeta& library : read.libraries)
            languages << library.language;
        const int chosen = ChooseMetaLanguage(languages, MetaLanguageCode(locale));
        const DiscLibraryMeta shown = chosen < 0 ? DiscLibraryMeta() : read.libraries[chosen];
        QCOMPARE(shown.name, name);
        const int picture = ChooseThumbnail(shown.thumbnails, QSize(500, 300));
        QCOMPARE(picture < 0 ? QString() : shown.thumbnails[picture].reference, thumbnail);
        QCOMPARE(ChapterNamesFor(read.chapterNames, 1, MetaLanguageCode(locale)), chapters);
    }
};

QTEST_GUILESS_MAIN(TestDiscLanguages)
#include "tst_disc_languages.moc"
