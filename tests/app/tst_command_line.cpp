// The command line: what each argument becomes, what opens together, and the
// real program's --help, --version and mistakes.
#include "app/CommandLine.h"

#include <QCoreApplication>
#include <QLocalServer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString Program = QStringLiteral(VANTOREL_PROGRAM_DIR "/vantorel");

void Touch(const QString &path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

CommandLine Read(const QList<QByteArray> &arguments, const QString &folder)
{
    QList<QByteArray> all = {"vantorel"};
    all += arguments;
    std::vector<char *> argv;
    for (QByteArray &argument : all)
        argv.push_back(argument.data());
    return ReadCommandLine(int(argv.size()), argv.data(), folder);
}

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void argumentsBecomeAbsoluteLocalPaths();
    void urlsNameLocalFilesOnly();
    void whatCannotBePlayedIsRefused();
    void theFirstUsableArgumentDecidesWhatOpens();
    void namesAfterDoubleDashAreNeverOptions();
    void namesThatAreNotUtf8AreRefused();
    void qtOptionsAreLeftToTheApplication();
    void everyRefusalHasItsText();
    void realProgramHelpVersionAndMistakes();

private:
    QTemporaryDir m_dir;
    QString m_film, m_second, m_folder;
};

void TestCommandLine::initTestCase()
{
    m_film = m_dir.filePath("film one.mkv");
    m_second = m_dir.filePath("second.mkv");
    m_folder = m_dir.filePath("Disc");
    Touch(m_film);
    Touch(m_second);
    QVERIFY(QDir().mkpath(m_folder));
}

void TestCommandLine::argumentsBecomeAbsoluteLocalPaths()
{
    // Relative to where the program was started, not to anything else.
    ResolvedArgument film = ResolveArgument("film one.mkv", m_dir.path());
    QCOMPARE(film.problem, ArgumentProblem::None);
    QCOMPARE(film.path, m_film);
    QVERIFY(!film.folder);
    QCOMPARE(ResolveArgument("./Disc/../film one.mkv", m_dir.path()).path, m_film);
    const ResolvedArgument folder = ResolveArgument("Disc/", m_dir.path());
    QCOMPARE(folder.path, m_folder);
    QVERIFY(folder.folder);
    QCOMPARE(ResolveArgument(m_film, "/").path, m_film);
    QCOMPARE(ResolveArgument("film one.mkv", "/").problem, ArgumentProblem::Missing);
}

void TestCommandLine::urlsNameLocalFilesOnly()
{
    const QString url = QUrl::fromLocalFile(m_film).toString(QUrl::FullyEncoded);
    QVERIFY(url.contains("%20"));
    QCOMPARE(ResolveArgument(url, "/").path, m_film);
    QCOMPARE(ResolveArgument("file://localhost" + m_film, "/").path, m_film);
    QCOMPARE(ResolveArgument("FILE://" + m_film, "/").path, m_film);
    for (const QString &other : {QStringLiteral("http://example.org/film.mkv"), QStringLiteral("smb://server/film.mkv"),
                                 "file://elsewhere" + m_film, QStringLiteral("file://%zz")})
        QCOMPARE(ResolveArgument(other, "/").problem, ArgumentProblem::NotLocal);
    // A file whose name only looks like a URL is still that file.
    QVERIFY(QDir().mkpath(m_dir.filePath("http:")));
    Touch(m_dir.filePath("http:/x.mkv"));
    QCOMPARE(ResolveArgument("http://x.mkv", m_dir.path()).path, m_dir.filePath("http:/x.mkv"));
}

void TestCommandLine::whatCannotBePlayedIsRefused()
{
    QCOMPARE(ResolveArgument("", m_dir.path()).problem, ArgumentProblem::Missing);
    QCOMPARE(ResolveArgument("missing.mkv", m_dir.path()).problem, ArgumentProblem::Missing);
    QCOMPARE(ResolveArgument("/dev/null", "/").problem, ArgumentProblem::NotPlayable);
    const QString fifo = m_dir.filePath("pipe.mkv");
    QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QCOMPARE(ResolveArgument(fifo, "/").problem, ArgumentProblem::NotPlayable);
    QLocalServer socket;
    QVERIFY(socket.listen(m_dir.filePath("socket.mkv")));
    QCOMPARE(ResolveArgument(m_dir.filePath("socket.mkv"), "/").problem, ArgumentProblem::NotPlayable);
    const QString dangling = m_dir.filePath("dangling.mkv");
    QVERIFY(QFile::link(m_dir.filePath("gone.mkv"), dangling));
    QCOMPARE(ResolveArgument(dangling, "/").problem, ArgumentProblem::Missing);
    if (geteuid() == 0)
        QSKIP("root reads every file; unreadable files cannot be made here");
    const QString locked = m_dir.filePath("locked.mkv");
    Touch(locked);
    QFile::setPermissions(locked, QFileDevice::WriteOwner);
    QCOMPARE(ResolveArgument(locked, "/").problem, ArgumentProblem::Unreadable);
}

void TestCommandLine::theFirstUsableArgumentDecidesWhatOpens()
{
    // Files: all of them, in order; a folder among them is left out.
    OpenPlan plan = PlanOpening({"missing.mkv", "film one.mkv", "Disc", "second.mkv", "/dev/null"}, m_dir.path());
    QCOMPARE(plan.paths, (QStringList{m_film, m_second}));
    QCOMPARE(plan.refused.size(), 3);
    QCOMPARE(plan.refused[0].problem, ArgumentProblem::Missing);
    QCOMPARE(plan.refused[0].argument, QStringLiteral("missing.mkv"));
    QCOMPARE(plan.refused[1].problem, ArgumentProblem::LeftOut);
    QCOMPARE(plan.refused[1].argument, QStringLiteral("Disc"));
    QCOMPARE(plan.refused[2].problem, ArgumentProblem::NotPlayable);
    // A folder first: it opens alone.
    plan = PlanOpening({"Disc", "film one.mkv"}, m_dir.path());
    QCOMPARE(plan.paths, QStringList{m_folder});
    QCOMPARE(plan.refused.size(), 1);
    QCOMPARE(plan.refused[0].problem, ArgumentProblem::LeftOut);
    // Thousands at once.
    QStringList many;
    for (int i = 0; i < 3000; ++i)
        many << (i % 2 ? "second.mkv" : "film one.mkv");
    QCOMPARE(PlanOpening(many, m_dir.path()).paths.size(), 3000);
}

void TestCommandLine::namesAfterDoubleDashAreNeverOptions()
{
    Touch(m_dir.filePath("-v.mkv"));
    const CommandLine read = Read({"--", "-v.mkv", "--help"}, m_dir.path());
    QVERIFY(!read.finished);
    QCOMPARE(read.plan.paths, QStringList{m_dir.filePath("-v.mkv")});
    QCOMPARE(read.plan.refused.size(), 1); // "--help" is a file that is not there
    QCOMPARE(read.plan.refused[0].argument, QStringLiteral("--help"));
}

void TestCommandLine::namesThatAreNotUtf8AreRefused()
{
    const CommandLine read = Read({"film one.mkv", "bad\xff.mkv"}, m_dir.path());
    QCOMPARE(read.plan.paths, QStringList{m_film});
    QCOMPARE(read.plan.refused.size(), 1);
    QCOMPARE(read.plan.refused[0].problem, ArgumentProblem::BadName);
}

void TestCommandLine::qtOptionsAreLeftToTheApplication()
{
    const CommandLine read = Read({"-platform", "xcb", "-style", "Fusion", "-reverse", "second.mkv"}, m_dir.path());
    QVERIFY(!read.finished);
    QCOMPARE(read.plan.paths, QStringList{m_second});
    const CommandLine wrong = Read({"--no-such-option"}, m_dir.path());
    QVERIFY(wrong.finished);
    QCOMPARE(wrong.exitCode, 1);
    QVERIFY(wrong.errors.contains("no-such-option"));
}

void TestCommandLine::everyRefusalHasItsText()
{
    QSet<QString> texts;
    for (ArgumentProblem problem : {ArgumentProblem::Missing, ArgumentProblem::NotLocal, ArgumentProblem::NotPlayable,
                                    ArgumentProblem::Unreadable, ArgumentProblem::BadName, ArgumentProblem::LeftOut}) {
        const QString text = RefusalText({problem, QStringLiteral("x%1.mkv")});
        QVERIFY2(text.startsWith("vantorel: x%1.mkv"), qPrintable(text));
        QVERIFY(text.size() > 30);
        texts.insert(text);
    }
    QCOMPARE(texts.size(), 6);
}

void TestCommandLine::realProgramHelpVersionAndMistakes()
{
    QVERIFY2(QFileInfo(Program).isExecutable(), qPrintable(Program));
    // None of these needs a display: they end before any window.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    const auto run = [&](const QStringList &arguments, QByteArray *out, QByteArray *err) {
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(Program, arguments);
        program.waitForFinished(10000);
        *out = program.readAllStandardOutput();
        *err = program.readAllStandardError();
        return program.exitCode();
    };
    QByteArray out, err;
    QCOMPARE(run({"--version"}, &out, &err), 0);
    QCOMPARE(out, QByteArray("vantorel " VANTOREL_VERSION_TEXT "\n"));
    QCOMPARE(run({"--help"}, &out, &err), 0);
    QVERIFY2(out.startsWith("Usage: vantorel [options] [FILE|FOLDER|URL...]\n"), out.constData());
    QVERIFY(out.contains("--version"));
    QCOMPARE(run({"-h"}, &out, &err), 0);
    QVERIFY(out.startsWith("Usage: vantorel"));
    QCOMPARE(run({"--frobnicate"}, &out, &err), 1);
    QVERIFY(out.isEmpty());
    QVERIFY(err.contains("vantorel: Unknown option 'frobnicate'."));
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    TestCommandLine test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_command_line.moc"
