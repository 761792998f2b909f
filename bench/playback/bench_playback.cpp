// bench_playback: what playing costs the window itself.
//  1. Time from choosing a file to its first frame on screen, against the
//     engine started by hand with the same arguments into a bare window.
//  2. The player's own CPU time (not the engine's) over N seconds of playback.
//  3. The longest delay of its event loop while playing, and while an engine
//     floods it with a million lines.
#include "LoopWatch.h"
#include "PlaybackHarness.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>

namespace {

double ProcessCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Lets the event loop run, idle when there is nothing to do.
void RunLoopFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool Shows(QWidget *surface)
{
    // A frame of the test picture is anything but black.
    return Harness::ShowsPicture(surface);
}

double WaitForFrame(QWidget *surface, const QElapsedTimer &since)
{
    while (since.elapsed() < 20000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
        if (Shows(surface))
            return since.nsecsElapsed() / 1e6;
    }
    return -1;
}

// A figure taken before the window is on screen would be meaningless.
void ShowAndWait(QWidget &widget)
{
    widget.show();
    if (!QTest::qWaitForWindowExposed(&widget))
        qFatal("the benchmark window was never shown (is there an X server?)");
}

double ByHand(const QString &engine, const QString &clip, const QString &folder)
{
    QLabel surface;
    surface.setAttribute(Qt::WA_NativeWindow);
    surface.setStyleSheet("background-color: black;");
    surface.resize(800, 560);
    ShowAndWait(surface);
    QTest::qWait(200);
    QProcess process;
    QElapsedTimer clock;
    clock.start();
    process.start(engine, {"-demuxer", "lavf", "-ni", "-slave", "-quiet", "-wid",
                           QString::number(surface.winId()), "-vo", "direct3d", "-lavdopts",
                           "threads=4", "-vf", "screenshot=" + folder, "-af",
                           "channels=6,volume=5.1:1", clip});
    process.write("volume 50 2\n");
    const double ms = WaitForFrame(&surface, clock);
    process.write("q\n");
    process.waitForFinished(3000);
    return ms;
}

double ThroughTheWindow(const QString &clip, double *cpuShare, double *worstPlaying, int seconds)
{
    DRUI window;
    window.BuildPages();
    ShowAndWait(window);
    QTest::qWait(200);
    window.setFileChooser([clip](QWidget *) { return QStringList{clip}; });
    QElapsedTimer clock;
    clock.start();
    QMetaObject::invokeMethod(&window, "btnOpenFile");
    const double first = WaitForFrame(DRUITestAccess::videoSurface(window), clock);

    // CPU first, with nothing of the benchmark's own running; then the
    // event loop's delays, watched by a timer of its own.
    const double cpuBefore = ProcessCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    RunLoopFor(seconds * 1000);
    *cpuShare = (ProcessCpuSeconds() - cpuBefore) / (wall.nsecsElapsed() / 1e9) * 100.0;
    LoopWatch watch;
    RunLoopFor(std::min(seconds, 10) * 1000);
    *worstPlaying = watch.worstMs();
    return first;
}

double Flood(const QString &folder)
{
    const QString engine = folder + "/flood.sh";
    QFile file(engine);
    file.open(QIODevice::WriteOnly);
    file.write("#!/bin/sh\nprintf 'Playing x.\\n'\n"
               "yes 'A:   1.0 V:   1.0 A-V:  0.000 ct:  0.000' | head -n 1000000\n"
               "printf 'Exiting... (End of file)\\n'\nexec cat >/dev/null\n");
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    qputenv("VANTOREL_ENGINE", engine.toUtf8());
    DRUI window;
    window.BuildPages();
    ShowAndWait(window);
    const QString dummy = folder + "/flood.mkv";
    QFile(dummy).open(QIODevice::WriteOnly);
    window.setFileChooser([dummy](QWidget *) { return QStringList{dummy}; });
    LoopWatch watch;
    QMetaObject::invokeMethod(&window, "btnOpenFile");
    QElapsedTimer wall;
    wall.start();
    while (DRUITestAccess::pageStack(window)->currentIndex() != 0 && wall.elapsed() < 120000)
        RunLoopFor(50);
    std::printf("flood: a million lines read in %.1f s\n", wall.nsecsElapsed() / 1e9);
    return watch.worstMs();
}

} // namespace

int main(int argc, char *argv[])
{
    const Harness::PrivateHome home;
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    int seconds = 60;
    const QStringList args = app.arguments();
    if (args.size() > 2 && args[1] == "--seconds")
        seconds = args[2].toInt();

    QTemporaryDir media;
    const QString clip = media.filePath("bench clip.mkv");
    if (!Harness::MakeClip(clip, seconds + 10, {"-c:v", "libx264", "-preset", "ultrafast", "-c:a", "aac"})) {
        std::fprintf(stderr, "ffmpeg could not make the clip\n");
        return 1;
    }
    if (qEnvironmentVariableIsEmpty("VANTOREL_ENGINE"))
        qputenv("VANTOREL_ENGINE", VANTOREL_PROGRAM_DIR "/Player");
    const QString engine = qEnvironmentVariable("VANTOREL_ENGINE");

    QList<double> hand, window;
    double cpu = 0, worst = 0;
    // Interleaved, so that whatever else the machine does hits both alike.
    for (int run = 0; run < 6; ++run) {
        double share = 0, late = 0;
        hand << ByHand(engine, clip, media.path() + "/");
        window << ThroughTheWindow(clip, &share, &late, 1);
    }
    hand << ByHand(engine, clip, media.path() + "/");
    const double last = ThroughTheWindow(clip, &cpu, &worst, seconds);
    window << last;
    std::sort(hand.begin(), hand.end());
    std::sort(window.begin(), window.end());
    const double handMedian = hand[hand.size() / 2];
    const double windowMedian = window[window.size() / 2];
    std::printf("first frame: by hand %.0f ms, through the window %.0f ms (medians of %d), ratio %.2f\n",
                handMedian, windowMedian, int(window.size()), windowMedian / handMedian);
    std::printf("  by hand:");
    for (double ms : hand)
        std::printf(" %.0f", ms);
    std::printf("\n  window: ");
    for (double ms : window)
        std::printf(" %.0f", ms);
    std::printf("\n");
    std::printf("player CPU over %d s of playback: %.3f %% of one core\n", seconds, cpu);
    std::printf("longest event-loop delay while playing: %.1f ms\n", worst);
    std::printf("longest event-loop delay during the flood: %.1f ms\n", Flood(media.path()));
    return 0;
}
