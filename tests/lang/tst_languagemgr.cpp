#include "lang/CLanguageMgr.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

// Each case gets a program folder and a user folder of its own.
class TestLanguageMgr : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void missingConfigMeansSlashEnglish();
    void emptyDefaultLooksForDotIniAlone();
    void lookupRules();
    void languageListKeepsOrderAndLinesWithoutEquals();
    void setLanguageWritesUserConfigAndReloads();
    void userChoiceWinsOverShippedDefault();
    void unwritableUserFolderSwitchesForThisRun();
    void missingKeyInNewLanguageIsEmpty();
    void limitsCutLongLines();
    void binaryAndRandomFilesNeverCrash();

private:
    QString program() const { return m_program->path(); }
    QString user() const { return m_user->path() + "/Vantorel/"; }
    void writeConfig(const QByteArray &bytes) { writeFile(program() + "/config.ini", bytes); }
    void writeLanguage(const QString &name, const QByteArray &bytes)
    {
        writeFile(program() + "/Languages/" + name + ".ini", bytes);
    }

    std::unique_ptr<QTemporaryDir> m_program;
    std::unique_ptr<QTemporaryDir> m_user;
};

void TestLanguageMgr::init()
{
    m_program = std::make_unique<QTemporaryDir>();
    m_user = std::make_unique<QTemporaryDir>();
}

void TestLanguageMgr::cleanup()
{
    m_program.reset();
    m_user.reset();
}

void TestLanguageMgr::missingConfigMeansSlashEnglish()
{
    // The built-in default keeps its leading slash, so the path has two in a
    // row; the file system does not mind.
    writeLanguage("English", "[MainWnd]\nPlay=Play\n");
    const CLanguageMgr mgr(program(), user());
    QCOMPARE(mgr.GetCurrentLanguage(), QString("/English"));
    QCOMPARE(mgr.languageFilePath(), program() + "/Languages//English.ini");
    QCOMPARE(mgr.GetText("MainWnd/Play"), QString("Play"));
    QVERIFY(mgr.GetLanguages().isEmpty());
}

void TestLanguageMgr::emptyDefaultLooksForDotIniAlone()
{
    writeConfig("[DefaultLanguage]\nDefault=\n");
    writeLanguage("", "[MainWnd]\nPlay=Nameless\n");
    const CLanguageMgr mgr(program(), user());
    QCOMPARE(mgr.languageFilePath(), program() + "/Languages/.ini");
    QCOMPARE(mgr.GetText("MainWnd/Play"), QString("Nameless"));
}

void TestLanguageMgr::lookupRules()
{
    writeConfig("[DefaultLanguage]\nDefault=English\n");
    writeLanguage("English",
                  "[MainWnd]\nPlay=First\nPlay=Second\nEq=a=b\n"
                  "[Odd/Section]\nKey=Nested\n[Messages]\nMSG0102=Not a disc\n");
    const CLanguageMgr mgr(program(), user());
    QCOMPARE(mgr.GetText("MainWnd/Play"), QString("First"));
    QCOMPARE(mgr.GetText("MainWnd/Eq"), QString("a=b"));
    QCOMPARE(mgr.GetText("Messages/MSG0102"), QString("Not a disc"));
    QCOMPARE(mgr.GetText("Odd/Section/Key"), QString("Nested"));
    QVERIFY(mgr.GetText("mainwnd/Play").isEmpty());
    QVERIFY(mgr.GetText("MainWnd/play").isEmpty());
    QVERIFY(mgr.GetText("MainWnd/Missing").isEmpty());
    QVERIFY(mgr.GetText("NoSlash").isEmpty());
    QVERIFY(mgr.GetText("").isEmpty());
}

void TestLanguageMgr::languageListKeepsOrderAndLinesWithoutEquals()
{
    writeConfig("[DefaultLanguage]\nDefault=German\n"
                "[Languages]\nGerman=Deutsch\nEnglish=English\nKlingon\nGerman=Again\n");
    writeLanguage("Klingon", "[MainWnd]\nPlay=Qapla\n");
    CLanguageMgr mgr(program(), user());
    const auto list = mgr.GetLanguages();
    QCOMPARE(list.size(), 4);
    QCOMPARE(list[0].name, QString("German"));
    QCOMPARE(list[0].displayName, QString("Deutsch"));
    QCOMPARE(list[2].name, QString("Klingon"));
    QCOMPARE(list[2].displayName, QString("Klingon"));
    QCOMPARE(list[3].displayName, QString("Again"));
    mgr.SetLanguage(list[2].name);
    QCOMPARE(mgr.GetText("MainWnd/Play"), QString("Qapla"));
}

void TestLanguageMgr::setLanguageWritesUserConfigAndReloads()
{
    const QByteArray shipped = "[DefaultLanguage]\nDefault=English\n[Languages]\nEnglish=English\n"
                               "German=Deutsch\n";
    writeConfig(shipped);
    writeLanguage("English", "[MainWnd]\nPlay=Play\n");
    writeLanguage("German", "[MainWnd]\nPlay=Abspielen\n");
    {
        CLanguageMgr mgr(program(), user());
        mgr.SetLanguage("German");
        QCOMPARE(mgr.GetCurrentLanguage(), QString("German"));
        QCOMPARE(mgr.GetText("MainWnd/Play"), QString("Abspielen"));
    }
    // The shipped file is left alone; the choice lives with the user.
    QFile config(program() + "/config.ini");
    QVERIFY(config.open(QIODevice::ReadOnly));
    QCOMPARE(config.readAll(), shipped);
    QVERIFY(QFile::exists(user() + "config.ini"));
    // ... and holds for the next start.
    const CLanguageMgr next(program(), user());
    QCOMPARE(next.GetCurrentLanguage(), QString("German"));
    QCOMPARE(next.GetText("MainWnd/Play"), QString("Abspielen"));
}

void TestLanguageMgr::userChoiceWinsOverShippedDefault()
{
    writeConfig("[DefaultLanguage]\nDefault=English\n");
    writeFile(user() + "config.ini", "[Other]\nx=1\n");
    QCOMPARE(CLanguageMgr(program(), user()).GetCurrentLanguage(), QString("English"));
    writeFile(user() + "config.ini", "[DefaultLanguage]\nDefault=French\n");
    QCOMPARE(CLanguageMgr(program(), user()).GetCurrentLanguage(), QString("French"));
}

void TestLanguageMgr::unwritableUserFolderSwitchesForThisRun()
{
    writeConfig("[DefaultLanguage]\nDefault=English\n");
    writeLanguage("English", "[MainWnd]\nPlay=Play\n");
    // A user folder below a plain file cannot be created, not even by root.
    writeFile(m_user->path() + "/blocker", "x");
    writeLanguage("German", "[MainWnd]\nPlay=Abspielen\n");
    CLanguageMgr mgr(program(), m_user->path() + "/blocker/Vantorel/");
    // Not kept for the next start, but in force for this one.
    QVERIFY(!mgr.SetLanguage("German"));
    QCOMPARE(mgr.GetCurrentLanguage(), QString("German"));
    QCOMPARE(mgr.GetText("MainWnd/Play"), QString("Abspielen"));
    QVERIFY(mgr.SetLanguage("English") == false && mgr.GetText("MainWnd/Play") == "Play");
}

void TestLanguageMgr::missingKeyInNewLanguageIsEmpty()
{
    writeConfig("[DefaultLanguage]\nDefault=English\n");
    writeLanguage("English", "[MainWnd]\nPlay=Play\nStop=Stop\n");
    writeLanguage("Sparse", "[MainWnd]\nPlay=Jouer\n");
    CLanguageMgr mgr(program(), user());
    mgr.SetLanguage("Sparse");
    QCOMPARE(mgr.GetText("MainWnd/Play"), QString("Jouer"));
    QVERIFY(mgr.GetText("MainWnd/Stop").isEmpty());
    QVERIFY(mgr.missingLanguageFile().isEmpty());
    // A language file that cannot be had: the built-in English texts.
    mgr.SetLanguage("Missing");
    QCOMPARE(mgr.missingLanguageFile(), program() + "/Languages/Missing.ini");
    QCOMPARE(mgr.GetText("MainWnd/Stop"), QString("Stop"));
}

void TestLanguageMgr::limitsCutLongLines()
{
    const QByteArray longName(100, 'n');
    const QByteArray longDisplay(200, 'd');
    writeConfig("[DefaultLanguage]\nDefault=" + longName + "\n[Languages]\nx=" + longDisplay + "\n");
    const QByteArray longText(3000, 't');
    const QByteArray longSection(300, 's');
    writeLanguage(QString(longName.left(63)),
                  "[MainWnd]\nLong=" + longText + "\nAfter=ok\n[" + longSection + "]\nk=v\n");
    const CLanguageMgr mgr(program(), user());
    QCOMPARE(mgr.GetCurrentLanguage().size(), 63);
    QCOMPARE(mgr.GetLanguages().first().displayName.size(), 127 - 2);
    QCOMPARE(mgr.GetText("MainWnd/Long").size(), 1023 - 5);
    QCOMPARE(mgr.GetText("MainWnd/After"), QString("ok"));
    QCOMPARE(mgr.GetText(QString(longSection.left(255)) + "/k"), QString());
    QVERIFY(mgr.GetText(QString("MainWnd/") + QString(60, QChar('x'))).isEmpty());

    // A section whose content overflows its buffer keeps what fits.
    QByteArray big = "[MainWnd]\n";
    for (int i = 0; i < 400; ++i)
        big += "Key" + QByteArray::number(i) + "=" + QByteArray(40, 'v') + "\n";
    writeLanguage(QString(longName.left(63)), big);
    const CLanguageMgr crowded(program(), user());
    QVERIFY(!crowded.GetText("MainWnd/Key0").isEmpty());
    QVERIFY(crowded.GetText("MainWnd/Key399").isEmpty());
}

void TestLanguageMgr::binaryAndRandomFilesNeverCrash()
{
    QRandomGenerator random(42);
    for (int round = 0; round < 200; ++round) {
        QByteArray bytes(random.bounded(4096), Qt::Uninitialized);
        for (char &c : bytes)
            c = char(random.bounded(256));
        writeConfig(round % 2 ? bytes : QByteArray("[DefaultLanguage]\nDefault=English\n"));
        writeLanguage("English", bytes);
        CLanguageMgr mgr(program(), user());
        mgr.GetText("MainWnd/Play");
        for (const LANGUAGE_INFO &info : mgr.GetLanguages())
            QVERIFY(!info.name.contains(QChar(0)));
    }
}

QTEST_GUILESS_MAIN(TestLanguageMgr)
#include "tst_languagemgr.moc"
