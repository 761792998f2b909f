// Faults a user or a hostile file brings, through the real window with the
// scripted engine: a FIFO named like a film, two players of one user sharing
// the recent list, a recent list of 100,000 lines.
#include "ScriptedFixture.h"

#include "engine/SnapshotFolder.h"
#include "lang/CLanguageMgr.h"
#include "ui/RecentFilesList.h"

#include <sys/stat.h>

class TestWindowFaults : public ScriptedFixture
{
    Q_OBJECT
private slots:
    void init() { startCase(); }
    void cleanup() { endCase(); }

    void whatIsNoRegularFileNeverReachesTheEngine();
    void twoPlayersShareTheRecentList();
    void aHugeRecentListIsReadShort();
    void nothingButRegularFilesIsRead_data();
    void nothingButRegularFilesIsRead();
    void aLanguageThatCannotBeKeptStillHoldsForThisRun();
};

void TestWindowFaults::whatIsNoRegularFileNeverReachesTheEngine()
{
    const QString fifo = m_dir.filePath("waits for ever.mkv");
    QVERIFY(mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    DRUI &w = *m_window;
    openFiles({fifo});
    QTRY_COMPARE(m_notices, QStringList{Text("Messages/MSG0105")});
    QCOMPARE(DRUITestAccess::state(w), PlaybackState::Idle);
    QVERIFY(w.playlist.isEmpty());
    // With a real film beside it, the film plays and the FIFO stays out.
    const QString film = makeFile("film.mkv");
    openFiles({fifo, film, "/dev/zero"});
    QTRY_COMPARE(m_notices.size(), 2);
    QTRY_COMPARE(DRUITestAccess::state(w), PlaybackState::Playing);
    // The engine writes its arguments down a moment after it has started.
    QTRY_COMPARE(arguments().isEmpty() ? QString() : arguments().last(), film);
    QCOMPARE(w.playlist.size(), 1);
    QCOMPARE(w.recentFiles, QStringList{film});
}

void TestWindowFaults::twoPlayersShareTheRecentList()
{
    DRUI &first = *m_window;
    DRUI second;
    second.BuildPages();
    const QString list = first.dataFolder + "RecentConfig.txt";
    QFile::remove(list);
    const QString a = makeFile("a.mkv"), b = makeFile("b.mkv"), c = makeFile("c.mkv");
    first.OpenMediaFiles({a});
    second.OpenMediaFiles({b});
    first.OpenMediaFiles({c});
    QCOMPARE(RecentFilesList::Load(list), (QStringList{c, b, a}));
    QCOMPARE(first.recentFiles, (QStringList{c, b, a}));
    QCOMPARE(DRUITestAccess::recentMenu(first)->actions().size(), 4); // and "Clear Menu"
}

void TestWindowFaults::aHugeRecentListIsReadShort()
{
    const QString list = m_window->dataFolder + "RecentConfig.txt";
    m_window.reset();
    QFile out(list);
    QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    for (int i = 0; i < 100000; ++i)
        out.write(QString("/films/film %1.mkv\n").arg(i).toUtf8());
    out.close();
    DRUI w;
    w.BuildPages();
    QCOMPARE(w.recentFiles.size(), 10);
    QCOMPARE(w.recentFiles.last(), QString("/films/film 9.mkv"));
    QCOMPARE(DRUITestAccess::recentMenu(w)->actions().size(), 11);
    // The next film rewrites it short.
    w.OpenMediaFiles({makeFile("next.mkv")});
    QCOMPARE(RecentFilesList::Load(list).size(), 10);
    QVERIFY(QFileInfo(list).size() < 1000);
}

namespace {

// Puts a thing that is no readable regular file at path.
bool Plant(const QString &thing, const QString &path)
{
    QDir(path).removeRecursively();
    QFile::remove(path);
    const QByteArray name = QFile::encodeName(path);
    if (thing == "fifo")
        return mkfifo(name.constData(), 0600) == 0;
    if (thing == "zero")
        return QFile::link("/dev/zero", path);
    if (thing == "folder")
        return QDir().mkpath(path);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write("[DefaultLanguage]\nDefault=German\n") > 0
        && file.setPermissions({});
}

} // namespace

void TestWindowFaults::nothingButRegularFilesIsRead_data()
{
    QTest::addColumn<QString>("thing");
    for (const char *thing : {"fifo", "zero", "folder", "unreadable"})
        QTest::newRow(thing) << QString(thing);
}

void TestWindowFaults::nothingButRegularFilesIsRead()
{
    QFETCH(QString, thing);
    const QString data = m_window->dataFolder;
    m_window.reset();
    for (const char *file : {"RecentConfig.txt", "OutputPath.txt", "config.ini"})
        QVERIFY(Plant(thing, data + file));
    // Neither start nor the snapshot folder waits for a writer or reads
    // without end.
    DRUI w;
    w.BuildPages();
    w.show();
    QVERIFY2(w.recentFiles.isEmpty() || thing == "unreadable", qPrintable(w.recentFiles.join(' '))); // root reads it all the same
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.OpenMediaFiles({makeFile("film.mkv")});
    QTRY_COMPARE(DRUITestAccess::state(w), PlaybackState::Playing);
    // The list written then replaced the link, not what it points to.
    QVERIFY(!QFileInfo("/dev/zero").isFile());
    QCOMPARE(SnapshotFolder::Read(data), SnapshotFolder::Default());
    // The program's own files: config.ini and the language file.
    QTemporaryDir program;
    QVERIFY(QDir().mkpath(program.filePath("Languages")));
    QVERIFY(Plant(thing, program.filePath("config.ini")));
    QVERIFY(Plant(thing, program.filePath("Languages/English.ini")));
    const CLanguageMgr languages(program.path(), data);
    if (thing != "unreadable") {
        QCOMPARE(languages.missingLanguageFile(), languages.languageFilePath());
        QCOMPARE(languages.GetText("MainWnd/Play"), QString("Play")); // the built-in English
    }
}

void TestWindowFaults::aLanguageThatCannotBeKeptStillHoldsForThisRun()
{
    DRUI &w = *m_window;
    const auto choose = [&w](const QString &language) {
        for (QAction *entry : DRUITestAccess::languageMenu(w)->actions())
            if (entry->data().toString() == language)
                entry->trigger();
    };
    {
        // A full disk: no file may grow beyond a few bytes.
        const Harness::FullDisk full;
        choose("German");
        QTRY_COMPARE(m_notices.size(), 1);
    }
    const auto english = qScopeGuard([&] { choose("English"); });
    QCOMPARE(CLanguageMgr::Instance().GetCurrentLanguage(), QString("German"));
    QCOMPARE(m_notices.first(), Text("Messages/MSG0602").arg(CLanguageMgr::Instance().userConfigFile()));
    QVERIFY(m_notices.first().startsWith("Die Sprache"));
}

int main(int argc, char *argv[])
{
    return Harness::RunWindowTests<TestWindowFaults>(argc, argv);
}

#include "tst_window_faults.moc"
