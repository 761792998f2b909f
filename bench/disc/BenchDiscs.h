#pragma once

// What the disc benchmarks share: the discs they time and how they sum up.

#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <algorithm>
#include <cstdio>

struct BenchDisc {
    QString name;
    QString folder;
    bool generated = false;  // not one of the real discs
};

// Sums of medians over the real discs and over all.
struct BenchSums {
    double ours = 0, theirs = 0, oursReal = 0, theirsReal = 0;
    void Add(const BenchDisc& disc, double o, double t)
    {
        ours += o;
        theirs += t;
        if (!disc.generated) {
            oursReal += o;
            theirsReal += t;
        }
    }
};

inline double Median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n == 0 ? 0 : (n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2);
}

inline double MsSince(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// The two sum lines under a table whose columns are ours, theirs, ratio (or,
// with theirsFirst, theirs, ours, ratio).
inline void PrintSums(const BenchSums& sums, bool theirsFirst = false)
{
    const auto line = [theirsFirst](const char* label, double ours, double theirs) {
        std::printf("%-28s %7s %7s %10.3f %10.3f %7.3f\n", label, "", "", theirsFirst ? theirs : ours,
                    theirsFirst ? ours : theirs, theirs > 0 ? ours / theirs : 0.0);
    };
    line("sum, real discs", sums.oursReal, sums.theirsReal);
    line("sum, all", sums.ours, sums.theirs);
}
