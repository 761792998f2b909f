#include "EngineRuns.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QPalette>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QThread>

#include <unistd.h>

BenchArea::BenchArea() : widget_(std::make_unique<QWidget>())
{
    widget_->setAttribute(Qt::WA_NativeWindow);
    QPalette palette = widget_->palette();
    palette.setColor(QPalette::Window, Qt::black);
    widget_->setPalette(palette);
    widget_->setAutoFillBackground(true);
    widget_->setGeometry(20, 20, 320, 240);
    widget_->show();
    for (int i = 0; i < 20; ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(10);
    }
}

qulonglong BenchArea::WindowId() const { return static_cast<qulonglong>(widget_->winId()); }

QImage BenchArea::Grab() const
{
    const QPoint origin = widget_->mapToGlobal(QPoint(0, 0));
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, origin.x(), origin.y(), widget_->width(), widget_->height())
        .toImage();
}

// A frame has arrived once a good part of the area is no longer black; a
// sparse sample keeps each look short, so the watch itself costs little.
bool BenchArea::Changed(const QImage& blank, const QImage& now) const
{
    if (blank.size() != now.size())
        return false;
    int changed = 0, looked = 0;
    for (int y = 0; y < now.height(); y += 8)
        for (int x = 0; x < now.width(); x += 8, ++looked)
            if (qGray(now.pixel(x, y)) - qGray(blank.pixel(x, y)) > 24)
                ++changed;
    return changed * 5 > looked;
}

QList<EngineCase> EngineCases(qulonglong windowId, const QString& videoOutput, const QString& shots)
{
    const QString wid = QString::number(windowId);
    // Player gets exactly the main window's command line; mpv and mplayer
    // the same requests in their own words.
    const QString playerOutput = videoOutput == "x11" ? "x11" : "direct3d";
    const QString mpvOutput = videoOutput == "x11" ? "x11" : "gpu,x11";
    const QString mplayerOutput = videoOutput == "x11" ? "x11" : "gl,x11";
    return {
        {"Player", QStringLiteral(VANTOREL_PROGRAM_DIR "/Player"),
         {"-demuxer", "lavf", "-ni", "-slave", "-quiet", "-wid", wid, "-vo", playerOutput,
          "-lavdopts", "threads=4", "-vf", "screenshot=" + shots, "-af", "channels=6,volume=5.1:1"},
         "VIDEO:"},
        {"mpv", "mpv",
         {"--no-config", "--demuxer=lavf", "--wid=" + wid, "--vo=" + mpvOutput, "--gpu-api=opengl",
          "--vd-lavc-threads=4", "--audio-channels=1,2,3,4,5,6",
          "--af=lavfi=[volume=5.1dB,asoftclip]", "--input-default-bindings=no",
          "--input-vo-keyboard=no", "--no-input-cursor", "--osd-level=0", "--load-scripts=no",
          "--ytdl=no", "--audio-fallback-to-null=yes", "--input-terminal=no"},
         "VO: ["},
        {"mplayer", "mplayer",
         {"-demuxer", "lavf", "-ni", "-slave", "-quiet", "-wid", wid, "-vo", mplayerOutput,
          "-lavdopts", "threads=4", "-vf", "screenshot", "-af", "channels=6,volume=5.1:1"},
         "VIDEO:"},
    };
}

StartUp MeasureStartUp(const EngineCase& engine, const QString& clip, BenchArea& area)
{
    const QImage blank = area.Grab();
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    QByteArray output;
    StartUp result;
    QElapsedTimer clock;
    clock.start();
    process.start(engine.program, engine.arguments + QStringList{clip});
    // Only the first frame is timed: the engines announce their video at
    // different moments (file loaded, output configured), so the lines that
    // say so are no common mark.
    while (clock.elapsed() < 10000 && result.toFirstFrameMs < 0) {
        process.waitForReadyRead(1);
        output += process.readAll();
        if (area.Changed(blank, area.Grab()))
            result.toFirstFrameMs = clock.nsecsElapsed() / 1e6;
    }
    process.write("q\n");
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(2000);
    }
    // Let the window go black again before the next engine.
    for (int i = 0; i < 30; ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
    return result;
}

namespace {

double CpuSeconds(qint64 pid)
{
    QFile stat(QString("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    // Fields after the command name, which sits in parentheses.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    const double ticks = double(sysconf(_SC_CLK_TCK));
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) / ticks;
}

double PeakMegabytes(qint64 pid)
{
    QFile status(QString("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return -1;
}

void Quit(QProcess& process)
{
    process.write("q\n");
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(2000);
    }
}

// Starts the engine on clip and waits (5 s at most) for its video line.
void StartUntilVideo(QProcess& process, const EngineCase& engine, const QString& clip)
{
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(engine.program, engine.arguments + QStringList{clip});
    QByteArray output;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 5000 && !output.contains(engine.videoLine.toUtf8())) {
        process.waitForReadyRead(20);
        output += process.readAll();
    }
}

void PlayFor(QProcess& process, int seconds)
{
    QElapsedTimer playing;
    playing.start();
    while (playing.elapsed() < seconds * 1000) {
        process.waitForReadyRead(100);
        process.readAll();   // keep the pipe drained, as a reader would
    }
}

} // namespace

double MeasureCpu(const EngineCase& engine, const QString& clip, int seconds)
{
    QProcess process;
    StartUntilVideo(process, engine, clip);
    const double before = CpuSeconds(process.processId());
    PlayFor(process, seconds);
    const double after = CpuSeconds(process.processId());
    Quit(process);
    return before < 0 || after < 0 ? -1 : after - before;
}

Footprint MeasureFootprint(const EngineCase& engine, const QString& clip, int seconds)
{
    QProcess process;
    StartUntilVideo(process, engine, clip);
    PlayFor(process, seconds);
    Footprint footprint;
    footprint.peakMb = PeakMegabytes(process.processId());
    footprint.cpuSeconds = CpuSeconds(process.processId());
    Quit(process);
    return footprint;
}

double MeasureProbe(const QString& program, const QStringList& arguments)
{
    QProcess process;
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    process.waitForFinished(15000);
    return clock.nsecsElapsed() / 1e6;
}
