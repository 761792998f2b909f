// bench_open_files [--files N] [--parallel P]
// N files (300 by default) chosen at once in the Open File chooser of the
// real window, with the real engine playing the first and the real probe
// run on every one, while the window is moved about as a user would; idle,
// and again under two busy-loop processes started here:
//  - the longest the window's event loop was held up (target: 50 ms);
//  - the time until every file's duration is known (target: 3 s), and
//    against 1.5 x (N x one probe's time / cores);
//  - for comparison, the same N probes one after another, as the window ran
//    them before (and was blocked for).
// And the probe alone, per file over 20 files of 5 containers, whole
// process each side: one "tool -batch" answering all 20 against one
// ffprobe run per file (target: at most 0.2 x), idle and under the load.
#include "BusyLoad.h"
#include "LoopWatch.h"
#include "PlaybackHarness.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QThread>

#include <algorithm>

#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// CPU seconds of this process, or of its ended children (the probes).
double CpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// CPU seconds of a running process.
double ProcessCpuSeconds(qint64 pid)
{
    QFile stat(QString("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) / double(sysconf(_SC_CLK_TCK));
}

// One source clip cut into n files of 1 to 20 seconds in four containers,
// in one ffmpeg run; the first, which plays, is the longest.
QStringList MakeFiles(const QString &folder, int n)
{
    const QString source = folder + "/source.mkv";
    if (!Harness::MakeClip(source, 21, {"-s", "160x120", "-r", "10", "-g", "10", "-c:v", "libx264",
                                        "-preset", "ultrafast", "-c:a", "aac"}))
        return {};
    const QStringList containers = {"mkv", "mp4", "ts", "mov", "flv"};
    QStringList arguments = {"-hide_banner", "-loglevel", "error", "-y", "-i", source};
    QStringList files;
    for (int k = 0; k < n; ++k) {
        files << QString("%1/file %2.%3").arg(folder).arg(k, 3, 10, QChar('0')).arg(containers[k % 4]);
        arguments << "-map" << "0" << "-t" << QString::number(20 - k % 20) << "-c" << "copy" << files.last();
    }
    QProcess ffmpeg;
    ffmpeg.start(Harness::Ffmpeg(), arguments);
    return ffmpeg.waitForFinished(600000) && ffmpeg.exitCode() == 0 ? files : QStringList();
}

// Wall time of the probe run on each file in turn, in milliseconds.
double ProbeInTurn(const QString &probe, const QStringList &files)
{
    QElapsedTimer clock;
    clock.start();
    for (const QString &file : files) {
        QProcess process;
        process.start(probe, {"-i", file});
        process.waitForFinished(15000);
    }
    return clock.nsecsElapsed() / 1e6;
}

// Milliseconds per file: ffprobe run on each file, and one "tool -batch"
// answering them all (from its start to its last answer).
struct PerFile {
    double ffprobeMs = -1, batchMs = -1;
};

PerFile ProbePerFile(const QString &probe, const QStringList &files)
{
    PerFile perFile;
    QElapsedTimer clock;
    clock.start();
    for (const QString &file : files) {
        QProcess ffprobe;
        ffprobe.start("ffprobe", {file});
        ffprobe.waitForFinished(15000);
    }
    perFile.ffprobeMs = clock.nsecsElapsed() / 1e6 / files.size();
    clock.restart();
    QProcess batch;
    batch.start(probe, {"-batch"});
    for (const QString &file : files)
        batch.write(QFile::encodeName(file) + '\n');
    int answers = 0;
    while (answers < files.size() && batch.waitForReadyRead(15000))
        while (batch.canReadLine() && batch.readLine().startsWith("Duration: "))
            ++answers;
    perFile.batchMs = clock.nsecsElapsed() / 1e6 / files.size();
    batch.closeWriteChannel();
    batch.waitForFinished();
    return answers == files.size() ? perFile : PerFile{};
}

double MedianOf(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? -1 : values[values.size() / 2];
}

// Medians of five interleaved rounds; true when the target is met.
bool ReportPerFile(const char *setting, const QString &probe, const QStringList &files)
{
    QList<double> ffprobe, batch;
    for (int round = 0; round < 5; ++round) {
        const PerFile perFile = ProbePerFile(probe, files);
        ffprobe << perFile.ffprobeMs;
        batch << perFile.batchMs;
    }
    const double ratio = MedianOf(batch) / MedianOf(ffprobe);
    const bool met = MedianOf(batch) > 0 && ratio <= 0.2;
    std::printf("probe per file, %s: tool -batch %.1f ms, ffprobe %.1f ms: %.2fx (target 0.2x): %s\n", setting,
                MedianOf(batch), MedianOf(ffprobe), ratio, met ? "met" : "MISSED");
    return met;
}

struct WindowRun {
    double worstDelayMs = -1;
    double allKnownMs = -1;
    int withoutDuration = 0;
    bool firstPlays = false;
    int parallel = 0;
    double windowCpuSeconds = 0;
    double probesCpuSeconds = 0;
    double engineCpuSeconds = -1;
};

WindowRun WatchTheWindow(const QStringList &files, int parallel)
{
    DRUI window;
    window.BuildPages();
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        qFatal("the benchmark window was never shown (is there an X server?)");
    QTest::qWait(200);
    window.setFileChooser([files](QWidget *) { return files; });
    if (parallel > 0)
        DRUITestAccess::probes(window)->setParallel(parallel);
    // The user drags the window about meanwhile.
    QTimer mover;
    int step = 0;
    QObject::connect(&mover, &QTimer::timeout, &window, [&window, &step] {
        window.move(100 + (step % 40) * 5, 100 + (step % 40) * 3);
        ++step;
    });
    mover.start(30);
    WindowRun run;
    LoopWatch watch;
    const double windowCpu = CpuSeconds(RUSAGE_SELF);
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(Harness::Named(window, "openFileButton"), Qt::LeftButton);
    while (!Harness::ProbesDone(window) && clock.elapsed() < 300000)
        QTest::qWait(5);
    run.allKnownMs = clock.nsecsElapsed() / 1e6;
    run.windowCpuSeconds = CpuSeconds(RUSAGE_SELF) - windowCpu;
    run.worstDelayMs = watch.worstMs();
    for (const PLAY_LIST_INFO &entry : window.playlist)
        run.withoutDuration += entry.duration.isEmpty();
    run.withoutDuration += int(files.size() - window.playlist.size());
    run.allKnownMs = run.withoutDuration ? -1 : run.allKnownMs;
    run.firstPlays = DRUITestAccess::currentMediaPath(window) == files.first()
                     && DRUITestAccess::state(window) == PlaybackState::Playing;
    run.parallel = DRUITestAccess::probes(window)->parallel();
    if (QProcess *engine = DRUITestAccess::engine(window))
        run.engineCpuSeconds = ProcessCpuSeconds(engine->processId());
    return run;
}

WindowRun ThroughTheWindow(const QStringList &files, int parallel)
{
    // The probe processes stay while the window lives: their CPU is counted
    // once the window has ended them (the engine's is then counted apart).
    const double childrenCpu = CpuSeconds(RUSAGE_CHILDREN);
    WindowRun run = WatchTheWindow(files, parallel);
    run.probesCpuSeconds = CpuSeconds(RUSAGE_CHILDREN) - childrenCpu - std::max(0.0, run.engineCpuSeconds);
    return run;
}

} // namespace

int main(int argc, char *argv[])
{
    const Harness::PrivateHome home;
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QCommandLineParser parser;
    parser.addOption({"files", "files chosen at once", "N", "300"});
    parser.addOption({"parallel", "probes at once instead of the window's own choice", "P", "0"});
    parser.process(app);
    const int n = parser.value("files").toInt();
    if (qEnvironmentVariableIsEmpty("VANTOREL_ENGINE"))
        qputenv("VANTOREL_ENGINE", VANTOREL_PROGRAM_DIR "/Player");

    QTemporaryDir media;
    const QStringList files = MakeFiles(media.path(), n);
    if (files.isEmpty()) {
        std::fprintf(stderr, "ffmpeg could not make the files\n");
        return 1;
    }
    const QString probe = QStringLiteral(VANTOREL_PROGRAM_DIR "/tool");
    const int cores = QThread::idealThreadCount();
    // 20 files of the five containers for the probe alone.
    const QStringList twenty = files.mid(0, std::min<int>(20, files.size()));
    bool met = ReportPerFile("idle", probe, twenty);
    {
        const BusyLoad load;
        met = ReportPerFile("two busy loops", probe, twenty) && met;
    }
    // One probe's time: the mean over the whole set, one after another,
    // which is also what opening them cost the window before; half before
    // the window's run and half after, so that a change in the machine's
    // load meanwhile hits both alike.
    const double firstHalfMs = ProbeInTurn(probe, files.mid(0, n / 2));
    const WindowRun run = ThroughTheWindow(files, parser.value("parallel").toInt());
    const double inTurnMs = firstHalfMs + ProbeInTurn(probe, files.mid(n / 2));
    const double oneProbeMs = inTurnMs / n;
    const double boundMs = 1.5 * n * oneProbeMs / cores;
    std::printf("%d files, %d cores, probes at once: %d\n", n, cores, run.parallel);
    std::printf("one probe (its own process): %.1f ms; all %d one after another: %.0f ms\n", oneProbeMs, n,
                inTurnMs);
    WindowRun loaded;
    {
        const BusyLoad load;
        loaded = ThroughTheWindow(files, parser.value("parallel").toInt());
    }
    for (const auto &[setting, r] : {std::pair<const char *, const WindowRun &>{"idle", run},
                                     std::pair<const char *, const WindowRun &>{"two busy loops", loaded}}) {
        const bool known = r.allKnownMs >= 0 && r.allKnownMs <= 3000, smooth = r.worstDelayMs <= 50;
        std::printf("%s: all durations known after %.0f ms (target 3000 ms; 1.5 x %d x %.1f / %d = %.0f ms): "
                    "%s\n",
                    setting, r.allKnownMs, n, oneProbeMs, cores, boundMs, known ? "met" : "MISSED");
        std::printf("%s: longest event-loop delay %.1f ms (target 50 ms): %s\n", setting, r.worstDelayMs,
                    smooth ? "met" : "MISSED");
        std::printf("%s: CPU the window %.2f s, the probes %.2f s, the engine %.2f s; without a duration: %d; "
                    "the first file plays: %s\n",
                    setting, r.windowCpuSeconds, r.probesCpuSeconds, r.engineCpuSeconds, r.withoutDuration,
                    r.firstPlays ? "yes" : "NO");
        met = met && known && smooth && r.withoutDuration == 0;
    }
    return met ? 0 : 1;
}
