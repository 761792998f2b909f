#include "ProcessRuns.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <cstdio>

namespace {

double TimedRun(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    process.waitForFinished(-1);
    return MsSince(timer);
}

// The program's output; crashed says whether it ended by a signal.
QByteArray Output(const QString& program, const QStringList& arguments, bool* crashed)
{
    QProcess process;
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments);
    process.waitForFinished(-1);
    *crashed = process.exitStatus() == QProcess::CrashExit;
    return process.readAllStandardOutput();
}

int DiscTitlesCount(const QByteArray& json)
{
    return int(QJsonDocument::fromJson(json).object().value("titles").toArray().size());
}

// One "index: ..." line per title.
int ListTitlesCount(const QByteArray& text)
{
    int count = 0;
    for (const QByteArray& line : text.split('\n'))
        count += line.startsWith("index:") ? 1 : 0;
    return count;
}

} // namespace

bool CompareProcesses(const QList<BenchDisc>& discs, int runs, const QString& discTitles)
{
    const QString listTitles = QStandardPaths::findExecutable(QStringLiteral("bd_list_titles"));
    if (listTitles.isEmpty()) {
        std::printf("whole process: bd_list_titles not found (Debian package libbluray-bin)\n");
        return false;
    }
    std::printf("\nwhole process, start to exit: disc-titles FOLDER against bd_list_titles -a FOLDER\n"
                "%d runs each, alternating; medians in ms\n", runs);
    std::printf("%-28s %7s %7s %10s %10s %7s\n", "disc", "titles", "libbd", "ours", "libbluray", "ratio");
    BenchSums sums;
    for (const BenchDisc& disc : discs) {
        const QStringList ours{disc.folder};
        const QStringList theirs{QStringLiteral("-a"), disc.folder};
        // The runs that count the titles also warm the page cache.
        bool ourCrash = false, libCrash = false;
        const int ourTitles = DiscTitlesCount(Output(discTitles, ours, &ourCrash));
        const int libTitles = ListTitlesCount(Output(listTitles, theirs, &libCrash));
        QList<double> oursMs, libMs;
        for (int run = 0; run < runs; ++run) {
            oursMs << TimedRun(discTitles, ours);
            libMs << TimedRun(listTitles, theirs);
        }
        const double o = Median(oursMs), l = Median(libMs);
        sums.Add(disc, o, l);
        std::printf("%-28s %7d %7d %10.3f %10.3f %7.3f%s%s\n", qPrintable(disc.name), ourTitles,
                    libTitles, o, l, l > 0 ? o / l : 0.0, ourCrash ? "  disc-titles crashed" : "",
                    libCrash ? "  bd_list_titles crashed" : "");
    }
    PrintSums(sums);
    return true;
}
