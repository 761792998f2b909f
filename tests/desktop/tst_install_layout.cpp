// The installed player: cmake --install into a prefix of the test's own must
// hold everything the desktop entry and the metainfo name, and cpack must make
// a Debian package of it whose dependencies come from the linked libraries.
#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString BuildDir = QStringLiteral(VANTOREL_BUILD_DIR);
const QString AppId = QStringLiteral("org.vantorel.Vantorel");

QByteArray Run(const QString &program, const QStringList &arguments, int *status = nullptr,
               int timeoutMs = 300000)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool ended = process.waitForFinished(timeoutMs);
    if (status)
        *status = ended && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return process.readAll();
}

QString Entry(const QString &desktopFile, const QString &key)
{
    QFile file(desktopFile);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    for (const QByteArray &line : file.readAll().split('\n'))
        if (line.startsWith(key.toUtf8() + '='))
            return QString::fromUtf8(line.mid(key.size() + 1));
    return QString();
}

} // namespace

class TestInstallLayout : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void programAndHelpersAreInTheirPlaces();
    void everythingTheEntryNamesIsInstalled();
    void everythingTheMetainfoNamesIsInstalled();
    void installedFilesPassTheirValidators();
    void debianPackageDependsOnWhatTheProgramsLink();

private:
    QTemporaryDir m_prefix;
    QString m_entry;
    QString m_metainfo;
};

void TestInstallLayout::initTestCase()
{
    int status = 0;
    const QByteArray log = Run("cmake", {"--install", BuildDir, "--prefix", m_prefix.path()}, &status);
    QVERIFY2(status == 0, log.constData());
    m_entry = m_prefix.filePath("share/applications/" + AppId + ".desktop");
    m_metainfo = m_prefix.filePath("share/metainfo/" + AppId + ".metainfo.xml");
}

void TestInstallLayout::programAndHelpersAreInTheirPlaces()
{
    for (const char *program : {"vantorel", "Player", "tool", "disc-titles"})
        QVERIFY2(QFileInfo(m_prefix.filePath("lib/vantorel/") + program).isExecutable(), program);
    QVERIFY(QFileInfo::exists(m_prefix.filePath("lib/vantorel/config.ini")));
    QVERIFY(QFileInfo::exists(m_prefix.filePath("lib/vantorel/Languages/English.ini")));
    // The link on the search path runs the program in its folder.
    const QFileInfo link(m_prefix.filePath("bin/vantorel"));
    QVERIFY(link.isSymLink());
    int status = 0;
    QCOMPARE(Run(link.filePath(), {"--version"}, &status), QByteArray("vantorel " VANTOREL_VERSION_TEXT "\n"));
    QCOMPARE(status, 0);
}

void TestInstallLayout::everythingTheEntryNamesIsInstalled()
{
    QVERIFY2(QFileInfo::exists(m_entry), qPrintable(m_entry));
    // Exec and TryExec name the program on the search path.
    const QString exec = Entry(m_entry, "Exec");
    QCOMPARE(exec, QStringLiteral("vantorel %U"));
    QVERIFY(QFileInfo(m_prefix.filePath("bin/" + Entry(m_entry, "TryExec"))).isExecutable());
    // The icon in the hicolor theme: scalable and the usual sizes.
    const QString icon = Entry(m_entry, "Icon");
    QCOMPARE(icon, AppId);
    const QString theme = m_prefix.filePath("share/icons/hicolor/");
    QVERIFY(QFileInfo::exists(theme + "scalable/apps/" + icon + ".svg"));
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256, 512}) {
        const QString png = theme + QStringLiteral("%1x%1/apps/").arg(size) + icon + ".png";
        QVERIFY2(QImage(png).size() == QSize(size, size), qPrintable(png));
    }
    const QStringList types = Entry(m_entry, "MimeType").split(';', Qt::SkipEmptyParts);
    for (const char *type : {"video/x-matroska", "video/mp4", "video/mp2t", "x-content/video-bluray", "x-content/video-dvd"})
        QVERIFY2(types.contains(type), type);
    QCOMPARE(Entry(m_entry, "Categories"), QStringLiteral("AudioVideo;Video;Player;"));
    // Translated from the language files.
    QCOMPARE(Entry(m_entry, "GenericName[de]"), QStringLiteral("Medienwiedergabe"));
}

void TestInstallLayout::everythingTheMetainfoNamesIsInstalled()
{
    QFile file(m_metainfo);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(m_metainfo));
    const QString xml = QString::fromUtf8(file.readAll());
    const QRegularExpression launchable(QStringLiteral("<launchable type=\"desktop-id\">([^<]+)</launchable>"));
    const auto match = launchable.match(xml);
    QVERIFY(match.hasMatch());
    QVERIFY(QFileInfo::exists(m_prefix.filePath("share/applications/" + match.captured(1))));
    const QRegularExpression binary(QStringLiteral("<binary>([^<]+)</binary>"));
    QVERIFY(QFileInfo(m_prefix.filePath("bin/" + binary.match(xml).captured(1))).isExecutable());
    QVERIFY(xml.contains("<id>" + AppId + "</id>"));
    QVERIFY(xml.contains("<screenshot type=\"default\">"));
    QVERIFY(xml.contains("<summary xml:lang=\"ja\">"));
    // Every media type it provides, the entry claims too.
    const QStringList types = Entry(m_entry, "MimeType").split(';', Qt::SkipEmptyParts);
    const QRegularExpression mediatype(QStringLiteral("<mediatype>([^<]+)</mediatype>"));
    int provided = 0;
    for (const auto &each : mediatype.globalMatch(xml)) {
        QVERIFY2(types.contains(each.captured(1)), qPrintable(each.captured(1)));
        ++provided;
    }
    QVERIFY(provided >= 15);
}

void TestInstallLayout::installedFilesPassTheirValidators()
{
    int status = 0;
    QByteArray log = Run("desktop-file-validate", {m_entry}, &status);
    QVERIFY2(status == 0 && log.trimmed().isEmpty(), log.constData());
    log = Run("appstreamcli", {"validate", "--no-net", "--strict", m_metainfo}, &status);
    QVERIFY2(status == 0, log.constData());
}

void TestInstallLayout::debianPackageDependsOnWhatTheProgramsLink()
{
    QTemporaryDir out;
    int status = 0;
    QByteArray log = Run("cpack", {"-G", "DEB", "--config", BuildDir + "/CPackConfig.cmake", "-B", out.path()},
                         &status, 1100000);
    QVERIFY2(status == 0, log.constData());
    const QStringList debs = QDir(out.path()).entryList({"vantorel_*.deb"});
    QCOMPARE(debs.size(), 1);
    const QString deb = out.filePath(debs.first());
    const QString depends = QString::fromUtf8(Run("dpkg-deb", {"--field", deb, "Depends"}));
    for (const char *package : {"libqt6widgets6", "libqt6dbus6", "libqt6network6", "libmpv2", "libavformat59",
                                "libssl3", "fonts-crosextra-carlito", "libc6"})
        QVERIFY2(depends.contains(package), qPrintable(depends));
    const QString contents = QString::fromUtf8(Run("dpkg-deb", {"--contents", deb}));
    for (const QString &path : {QStringLiteral("./usr/bin/vantorel -> ../lib/vantorel/vantorel"),
                                QStringLiteral("./usr/lib/vantorel/Player"), QStringLiteral("./usr/lib/vantorel/tool"),
                                "./usr/share/applications/" + AppId + ".desktop",
                                "./usr/share/metainfo/" + AppId + ".metainfo.xml",
                                "./usr/share/icons/hicolor/scalable/apps/" + AppId + ".svg",
                                QStringLiteral("./usr/lib/vantorel/Languages/Chinese.ini")})
        QVERIFY2(contents.contains(path), qPrintable(path));
}

int main(int argc, char *argv[])
{
    // Packaging first builds whatever is not built yet; on a busy machine
    // that takes longer than a test function is given by default.
    if (qEnvironmentVariableIsEmpty("QTEST_FUNCTION_TIMEOUT"))
        qputenv("QTEST_FUNCTION_TIMEOUT", "1200000");
    QCoreApplication app(argc, argv);
    TestInstallLayout test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_install_layout.moc"
