// The shipped language files against the texts the code asks for.
#include "lang/CLanguageMgr.h"
#include "lang/IniDocument.h"

#include <QDirIterator>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>

class TestLanguageFiles : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void everyKeyTheCodeAsksForIsInEveryFile_data();
    void everyKeyTheCodeAsksForIsInEveryFile();
    void filesAgreeWithEachOther();
    void shippedDefaultIsOffered();

private:
    QStringList m_keys;
    QString m_shipped = QStringLiteral(VANTOREL_SOURCE_DIR "/lang");
};

void TestLanguageFiles::initTestCase()
{
    // Every "Section/Key" literal in the program's sources.
    const QRegularExpression keyLiteral(QStringLiteral("\"((?:MainWnd|Messages)/[A-Za-z0-9]+)\""));
    QSet<QString> keys;
    for (const char *folder : {"app", "engine", "disc", "ui", "lang", "dialogs", "platform"}) {
        QDirIterator it(QStringLiteral(VANTOREL_SOURCE_DIR "/") + QLatin1String(folder),
                        {"*.cpp", "*.h"}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QString source = QString::fromUtf8(file.readAll());
            for (const auto &match : keyLiteral.globalMatch(source))
                keys.insert(match.captured(1));
        }
    }
    m_keys = keys.values();
    m_keys.sort();
    // The window cannot be built without these; a scanner that finds
    // nothing must not pass silently.
    QVERIFY(m_keys.contains("MainWnd/ProTitle"));
    QVERIFY(m_keys.contains("Messages/MSG0403"));
    QVERIFY(m_keys.size() > 40);
}

void TestLanguageFiles::everyKeyTheCodeAsksForIsInEveryFile_data()
{
    QTest::addColumn<QString>("language");
    const IniDocument config = IniDocument::fromFile(m_shipped + "/config.ini");
    const auto languages = config.entries("Languages");
    QVERIFY(languages.size() >= 6);
    for (const auto &entry : languages)
        QTest::newRow(qPrintable(entry.key)) << entry.key;
}

void TestLanguageFiles::everyKeyTheCodeAsksForIsInEveryFile()
{
    QFETCH(QString, language);
    const QString path = m_shipped + "/Languages/" + language + ".ini";
    QVERIFY2(QFile::exists(path), qPrintable(path));
    const IniDocument file = IniDocument::fromFile(path);
    QStringList missing;
    for (const QString &key : m_keys) {
        const int slash = key.indexOf('/');
        if (file.value(key.left(slash), key.mid(slash + 1)).isEmpty())
            missing << key;
    }
    QVERIFY2(missing.isEmpty(), qPrintable(language + " lacks " + missing.join(", ")));
}

void TestLanguageFiles::filesAgreeWithEachOther()
{
    const IniDocument english = IniDocument::fromFile(m_shipped + "/Languages/English.ini");
    const IniDocument config = IniDocument::fromFile(m_shipped + "/config.ini");
    for (const auto &language : config.entries("Languages")) {
        const IniDocument other =
            IniDocument::fromFile(m_shipped + "/Languages/" + language.key + ".ini");
        QCOMPARE(other.sectionNames(), english.sectionNames());
        for (const QString &section : english.sectionNames()) {
            QStringList ours, theirs;
            for (const auto &e : english.entries(section))
                ours << e.key;
            for (const auto &e : other.entries(section)) {
                theirs << e.key;
                QVERIFY2(e.text.size() < CLanguageMgr::MaxTextLine - e.key.size(),
                         qPrintable(language.key + ": " + e.key));
            }
            QCOMPARE(theirs, ours);
        }
    }
}

void TestLanguageFiles::shippedDefaultIsOffered()
{
    const IniDocument config = IniDocument::fromFile(m_shipped + "/config.ini");
    const QString current = config.value("DefaultLanguage", "Default");
    QVERIFY(config.contains("Languages", current));
}

QTEST_GUILESS_MAIN(TestLanguageFiles)
#include "tst_languagefiles.moc"
