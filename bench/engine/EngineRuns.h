#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <memory>

// How to start one engine on a clip so that it draws into a given window.
struct EngineCase {
    QString name;
    QString program;
    QStringList arguments;          // the medium comes last
    QString videoLine;              // the line that says the video output started
};

struct StartUp {
    double toFirstFrameMs = -1;
};

// The native black video area all engines draw into.
class BenchArea {
public:
    BenchArea();
    qulonglong WindowId() const;
    QImage Grab() const;
    bool Changed(const QImage& blank, const QImage& now) const;

private:
    std::unique_ptr<QWidget> widget_;
};

QList<EngineCase> EngineCases(qulonglong windowId, const QString& videoOutput, const QString& shots);

// Starts the engine and watches its output and the window until its first
// frame shows, then quits it.
StartUp MeasureStartUp(const EngineCase& engine, const QString& clip, BenchArea& area);

// CPU seconds (user + system) the engine spends in `seconds` of playback.
double MeasureCpu(const EngineCase& engine, const QString& clip, int seconds);

// What one engine costs from its start through `seconds` of playback: its
// peak resident memory (VmHWM) and all the CPU time it took.
struct Footprint {
    double peakMb = -1;
    double cpuSeconds = -1;
};
Footprint MeasureFootprint(const EngineCase& engine, const QString& clip, int seconds);

// Wall time of one run of a probe program.
double MeasureProbe(const QString& program, const QStringList& arguments);
