// The duration probe, run as the main window runs it.
#include "PlayerHarness.h"
#include "TestMedia.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

struct ToolRun {
    QString errors;
    int exitCode = -1;
    qint64 milliseconds = 0;
};

ToolRun RunTool(const QString& path)
{
    QProcess tool;
    QElapsedTimer timer;
    timer.start();
    tool.start(ToolProgram(), {"-i", path});
    ToolRun run;
    if (!tool.waitForFinished(15000)) {
        tool.kill();
        tool.waitForFinished();
    }
    run.milliseconds = timer.elapsed();
    run.errors = QString::fromLocal8Bit(tool.readAllStandardError());
    run.exitCode = tool.exitCode();
    return run;
}

// Containers as people keep them, each with what decides its duration: a
// header field, the time stamps at both ends, or the bit rate.
struct Container {
    const char* name;
    QStringList encode;
};

const QList<Container>& Containers()
{
    static const QList<Container> list = {
        {"clip.mp4", {"-c:v", "libx264", "-c:a", "aac"}},
        {"clip.ts", {"-c:v", "libx264", "-c:a", "aac", "-f", "mpegts"}},
        {"clip.vob", {"-c:v", "mpeg2video", "-c:a", "mp2", "-f", "vob"}},
        {"clip.mpg", {"-c:v", "mpeg2video", "-c:a", "mp2"}},
        {"clip.avi", {"-c:v", "mpeg4", "-c:a", "mp3"}},
        {"clip.webm", {"-c:v", "libvpx", "-c:a", "libopus"}},
        {"clip.flv", {"-c:v", "flv", "-c:a", "mp3"}},
        {"clip.wmv", {"-c:v", "wmv2", "-c:a", "wmav2"}},
        {"clip.mov", {"-c:v", "mjpeg", "-an"}},
        {"tone.flac", {"-vn"}},
        {"tone.mp3", {"-vn"}},
        {"tone.ogg", {"-vn", "-c:a", "libvorbis"}},
        {"tone.wav", {"-vn"}},
        {"tone.ac3", {"-vn"}},
        {"tone.adts", {"-vn", "-c:a", "aac", "-f", "adts"}},
    };
    return list;
}

bool MakeContainer(const QString& path, const QStringList& encode)
{
    const QStringList sources = {"-f", "lavfi", "-i", "testsrc2=size=160x120:rate=25:duration=2.37",
                                 "-f", "lavfi", "-i", "sine=f=440:d=2.37"};
    return QProcess::execute("ffmpeg", QStringList{"-v", "error", "-y"} + sources + encode << path) == 0;
}

QString ReferenceDuration(const QString& path)
{
    QProcess ffprobe;
    ffprobe.start("ffprobe", {path});
    ffprobe.waitForFinished(15000);
    const QString output = QString::fromLocal8Bit(ffprobe.readAllStandardError());
    const int at = output.indexOf("Duration: ");
    return at < 0 ? QString() : output.mid(at, 21);
}

} // namespace

class TestTool : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void printsDurationInHundredths_data();
    void printsDurationInHundredths();
    void containerWithoutDurationGivesNA();
    void returnsPromptlyForWhatIsNoMediaFile_data();
    void returnsPromptlyForWhatIsNoMediaFile();
    void refusesAnotherCommandLine();
    void oneProcessAnswersEachRequestAsItsOwnRunWould();

private:
    QTemporaryDir work_;
};

void TestTool::initTestCase()
{
    QVERIFY(work_.isValid());
    QVERIFY(TestMedia::MakeClip(work_.filePath("four.mkv"), 4));
    QVERIFY(TestMedia::MakeM2ts(work_.filePath("three.m2ts"), 3, 1, 440));
    QVERIFY(TestMedia::MakeRawAudio(work_.filePath("tone.aac"), 2));
    QFile garbage(work_.filePath("garbage.mkv"));
    QVERIFY(garbage.open(QIODevice::WriteOnly));
    for (int i = 0; i < 4096; ++i)
        garbage.write(QByteArray::number(i * 7919 % 251));
    garbage.close();
    for (const Container& container : Containers())
        QVERIFY2(MakeContainer(work_.filePath(container.name), container.encode), container.name);
    QVERIFY(mkfifo(work_.filePath("pipe").toLocal8Bit().constData(), 0600) == 0);
}

void TestTool::printsDurationInHundredths_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("reference");   // what FFmpeg's own probe says
    QStringList names = {"four.mkv", "three.m2ts"};
    for (const Container& container : Containers())
        names << container.name;
    for (const QString& name : names)
        QTest::newRow(qPrintable(name)) << work_.filePath(name) << ReferenceDuration(work_.filePath(name));
}

void TestTool::printsDurationInHundredths()
{
    QFETCH(QString, file);
    QFETCH(QString, reference);
    QVERIFY2(reference.startsWith("Duration: "), "FFmpeg's probe gave no duration");
    const ToolRun run = RunTool(file);
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.errors.contains(reference), qPrintable(run.errors + " / " + reference));
    QVERIFY(QRegularExpression("Duration: \\d\\d:\\d\\d:\\d\\d\\.\\d\\d").match(run.errors).hasMatch());
}

void TestTool::containerWithoutDurationGivesNA()
{
    // Raw ADTS keeps no duration; FFmpeg only guesses one from the bit rate,
    // which is still a duration, so an empty file of that kind stands in.
    QFile empty(work_.filePath("empty.aac"));
    QVERIFY(empty.open(QIODevice::WriteOnly));
    QFile tone(work_.filePath("tone.aac"));
    QVERIFY(tone.open(QIODevice::ReadOnly));
    empty.write(tone.read(7));   // one ADTS header, no frame
    empty.close();
    const ToolRun run = RunTool(work_.filePath("empty.aac"));
    QVERIFY2(run.errors.contains("Duration: N/A"), qPrintable(run.errors));
}

void TestTool::returnsPromptlyForWhatIsNoMediaFile_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("fifo") << work_.filePath("pipe");
    QTest::newRow("garbage") << work_.filePath("garbage.mkv");
    QTest::newRow("folder") << work_.path();
    QTest::newRow("missing") << work_.filePath("missing.mkv");
}

void TestTool::returnsPromptlyForWhatIsNoMediaFile()
{
    QFETCH(QString, path);
    const ToolRun run = RunTool(path);
    QVERIFY2(run.milliseconds < 3000, qPrintable(QString::number(run.milliseconds)));
    QVERIFY(run.exitCode != 0);
    QVERIFY2(run.errors.contains("Duration: N/A"), qPrintable(run.errors));
}

void TestTool::refusesAnotherCommandLine()
{
    QProcess tool;
    tool.start(ToolProgram(), {work_.filePath("four.mkv")});
    QVERIFY(tool.waitForFinished(5000));
    QCOMPARE(tool.exitCode(), 2);
    QVERIFY(tool.readAllStandardError().contains("usage: tool -i PATH"));
}

void TestTool::oneProcessAnswersEachRequestAsItsOwnRunWould()
{
    const QString odd = work_.filePath("new\nline \\n back\\slash.mkv");
    QVERIFY(QFile::copy(work_.filePath("four.mkv"), odd));
    QStringList paths = {odd, work_.filePath("pipe"), work_.filePath("garbage.mkv"), work_.path(),
                         work_.filePath("missing.mkv"), work_.filePath("three.m2ts")};
    for (const Container& container : Containers())
        paths << work_.filePath(container.name);
    QByteArray requests;
    QStringList expected;
    for (const QString& path : paths) {
        QByteArray line = QFile::encodeName(path);
        requests += line.replace('\\', "\\\\").replace('\n', "\\n") + '\n';
        const QString errors = RunTool(path).errors;
        expected << errors.mid(errors.indexOf("Duration: ")).trimmed();
    }
    requests += "a lone \\q escape\n";
    expected << "Duration: N/A";
    QProcess tool;
    tool.start(ToolProgram(), {"-batch"});
    tool.write(requests);
    tool.closeWriteChannel();
    QVERIFY(tool.waitForFinished(30000));
    QCOMPARE(tool.exitCode(), 0);
    QCOMPARE(QString::fromLocal8Bit(tool.readAllStandardOutput()).split('\n'), expected << QString());
    QCOMPARE(expected[0], RunTool(work_.filePath("four.mkv")).errors.trimmed());
}

QTEST_MAIN(TestTool)
#include "tst_tool.moc"
