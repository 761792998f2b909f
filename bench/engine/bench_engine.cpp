// bench_engine [--runs N] [--seconds S] [--vo x11|best] [--memory-seconds M]
// Start-up (process start to the first frame in the window), CPU over S
// seconds of playback, peak memory and CPU of Player (its own command line)
// beside mpv with plain X11 on a 1080p clip, and probe time, each engine on
// the same clips, runs interleaved so that load on the machine hits all
// alike. Medians are printed.
#include "EngineRuns.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <map>

namespace {

double Median(QList<double> values)
{
    values.removeIf([](double v) { return v < 0; });
    if (values.isEmpty())
        return -1;
    std::sort(values.begin(), values.end());
    const int n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

bool MakeClip(const QString& path, const QString& size, int seconds, int audioTracks)
{
    QStringList arguments = {"-v", "error", "-y", "-f", "lavfi", "-i",
                             QString("testsrc2=size=%1:rate=25:duration=%2").arg(size).arg(seconds)};
    for (int i = 0; i < audioTracks; ++i)
        arguments << "-f" << "lavfi" << "-i" << QString("sine=f=%1:d=%2").arg(440 * (i + 1)).arg(seconds);
    for (int i = 0; i <= audioTracks; ++i)
        arguments << "-map" << QString::number(i);
    arguments << "-c:v" << "libx264" << "-preset" << "veryfast" << "-g" << "50"
              << "-c:a" << "aac" << "-ac" << "2" << path;
    return QProcess::execute("ffmpeg", arguments) == 0;
}

void PrintStartUp(const QList<EngineCase>& engines, const QString& clip, BenchArea& area, int runs)
{
    std::map<QString, QList<double>> toFrame;
    for (int run = 0; run < runs; ++run) {
        for (int k = 0; k < engines.size(); ++k) {
            // Rotate the order each run: no engine always follows the same one.
            const EngineCase& engine = engines[(k + run) % engines.size()];
            const StartUp s = MeasureStartUp(engine, clip, area);
            toFrame[engine.name] << s.toFirstFrameMs;
        }
    }
    std::printf("%-8s %16s\n", "engine", "first frame ms");
    for (const EngineCase& engine : engines)
        std::printf("%-8s %16.1f\n", qPrintable(engine.name), Median(toFrame[engine.name]));
}

void PrintCpu(const QList<EngineCase>& engines, const QString& clip, int seconds)
{
    std::printf("\nCPU seconds over %d s of playback\n", seconds);
    for (const EngineCase& engine : engines)
        std::printf("%-8s %8.2f\n", qPrintable(engine.name), MeasureCpu(engine, clip, seconds));
}

// Player with the window's own command line against mpv drawing with plain
// X11, and with the GPU output that falls back to it where there is no GPU.
void PrintFootprint(qulonglong windowId, const QString& shots, const QString& clip, int seconds, int runs)
{
    const QList<EngineCase> best = EngineCases(windowId, "best", shots);
    QList<EngineCase> engines = {best[0], EngineCases(windowId, "x11", shots)[1], best[1]};
    engines[1].name = "mpv x11";
    engines[2].name = "mpv gpu,x11";
    std::map<QString, QList<double>> peak, cpu;
    for (int run = 0; run < runs; ++run) {
        for (int k = 0; k < engines.size(); ++k) {
            const EngineCase& engine = engines[(k + run) % engines.size()];
            const Footprint footprint = MeasureFootprint(engine, clip, seconds);
            peak[engine.name] << footprint.peakMb;
            cpu[engine.name] << footprint.cpuSeconds;
        }
    }
    std::printf("\npeak memory and CPU from the start through %d s of %s (median of %d)\n%-12s %8s %8s\n",
                seconds, qPrintable(clip.section('/', -1)), runs, "engine", "peak MB", "CPU s");
    for (const EngineCase& engine : engines)
        std::printf("%-12s %8.1f %8.2f\n", qPrintable(engine.name), Median(peak[engine.name]),
                    Median(cpu[engine.name]));
    const double memory = Median(peak["Player"]) / Median(peak["mpv x11"]);
    std::printf("Player / mpv x11: peak memory %.2f (target at most 1.10: %s), CPU %.2f\n", memory,
                memory <= 1.10 ? "met" : "MISSED", Median(cpu["Player"]) / Median(cpu["mpv x11"]));
}

void PrintProbe(const QStringList& files, int runs)
{
    std::printf("\nprobe time per file, ms (median of %d)\n%-28s %8s %8s %6s\n", runs, "file", "tool",
                "ffprobe", "ratio");
    for (const QString& file : files) {
        QList<double> tool, ffprobe;
        for (int run = 0; run < runs; ++run) {
            tool << MeasureProbe(VANTOREL_PROGRAM_DIR "/tool", {"-i", file});
            ffprobe << MeasureProbe("ffprobe", {file});
        }
        const double t = Median(tool), f = Median(ffprobe);
        std::printf("%-28s %8.1f %8.1f %6.2f\n", qPrintable(file.section('/', -1)), t, f, t / f);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QCommandLineParser parser;
    parser.addOption({"runs", "start-up runs per engine", "N", "7"});
    parser.addOption({"seconds", "playback seconds for the CPU figure", "S", "30"});
    parser.addOption({"vo", "x11 (the same plain output for all) or best", "OUT", "x11"});
    parser.addOption({"memory-seconds", "playback seconds of the 1080p memory figure", "S", "10"});
    parser.process(application);
    const int runs = parser.value("runs").toInt();
    const int seconds = parser.value("seconds").toInt();

    QTemporaryDir work;
    const QString small = work.filePath("small-320x240.mkv");
    const QString long_ = work.filePath("long-640x360.mkv");
    const QString transport = work.filePath("transport.ts");
    const QString hd = work.filePath("hd-1920x1080.mkv");
    const int memorySeconds = parser.value("memory-seconds").toInt();
    if (!MakeClip(small, "320x240", 5, 2) || !MakeClip(long_, "640x360", seconds + 10, 1)
        || !MakeClip(hd, "1920x1080", memorySeconds + 5, 1)
        || QProcess::execute("ffmpeg", {"-v", "error", "-y", "-i", small, "-map", "0", "-c", "copy",
                                        "-f", "mpegts", transport}) != 0) {
        std::fprintf(stderr, "ffmpeg could not make the clips\n");
        return 1;
    }
    BenchArea area;
    const QList<EngineCase> engines = EngineCases(area.WindowId(), parser.value("vo"), work.filePath("shots/"));
    std::printf("output: %s, start-up: median of %d runs on %s\n", qPrintable(parser.value("vo")), runs,
                qPrintable(small.section('/', -1)));
    PrintStartUp(engines, small, area, runs);
    PrintCpu(engines, long_, seconds);
    PrintFootprint(area.WindowId(), work.filePath("shots/"), hd, memorySeconds, 3);
    PrintProbe({small, long_, transport}, 15);
    return 0;
}
