// Times the title list of every real disc and of two generated discs of 2,000
// playlist files (a mix of copies, variants, look-alikes and damaged files;
// and 2,000 distinct valid playlists, a title each for both readers), on the
// same folders in the same run:
// - in process: the player's ReadBlurayDisc against libbluray's bd_open plus
//   bd_get_titles(TITLES_ALL);
// - whole process: disc-titles against bd_list_titles -a (libbluray-bin);
// - DiscReader from read() to finished() against ReadBlurayDisc alone.
//   bench_disc_titles [--runs N] [--discs FOLDER]

#include "BlurayFixtures.h"
#include "GeneratedDisc.h"
#include "ProcessRuns.h"
#include "ReaderRuns.h"
#include "disc/BlurayTitleList.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <libbluray/bluray.h>
#include <libbluray/log_control.h>
#include <sys/resource.h>

namespace {

struct Case : BenchDisc {
    QList<double> oursMs;
    QList<double> libblurayMs;
    int titles = 0;
    uint32_t libblurayTitles = 0;
};

long PeakRssKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

int RunOurs(const QString& folder)
{
    return int(ReadBlurayDisc(folder).titles.size());
}

uint32_t RunLibbluray(const QString& folder)
{
    BLURAY* bd = bd_open(QFile::encodeName(folder).constData(), nullptr);
    if (!bd)
        return 0;
    const uint32_t titles = bd_get_titles(bd, TITLES_ALL, 0);
    bd_close(bd);
    return titles;
}

struct Options {
    int runs = 21;
    QString discs = QStringLiteral(VANTOREL_DEFAULT_DISCS);
};

Options ParseOptions(int argc, char** argv)
{
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--runs"))
            options.runs = qMax(1, std::atoi(argv[i + 1]));
        else if (!std::strcmp(argv[i], "--discs"))
            options.discs = QString::fromLocal8Bit(argv[i + 1]);
    }
    return options;
}

constexpr int kDistinctPlaylists = 2000;

// Copies of the real discs, then the generated discs, built from the clips and
// metadata of the real disc with the most playlists.
bool PrepareCases(const QString& discs, const QString& work, QList<Case>& cases)
{
    QString base;
    qsizetype most = -1;
    for (const QString& name : SharedDiscNames(discs)) {
        Case c;
        c.name = name;
        c.folder = work + "/" + name;
        if (!CopyDiscTree(discs + "/" + name, c.folder))
            return false;
        cases << c;
        const qsizetype count = QDir(c.folder + "/BDMV/PLAYLIST").entryList(QDir::Files).size();
        if (count > most) {
            most = count;
            base = name;
        }
    }
    const GeneratedDiscMix mix{900, 500, 300, 300};
    Case mixed;
    mixed.name = QString("mixed-%1 (from %2)").arg(mix.Total()).arg(base);
    mixed.folder = work + "/mixed";
    mixed.generated = true;
    Case distinct;
    distinct.name = QString("distinct-%1 (from %2)").arg(kDistinctPlaylists).arg(base);
    distinct.folder = work + "/distinct";
    distinct.generated = true;
    if (base.isEmpty() || !GenerateDisc(discs + "/" + base, mixed.folder, mix) ||
        !GenerateDistinctDisc(discs + "/" + base, distinct.folder, kDistinctPlaylists))
        return false;
    cases << mixed << distinct;
    return true;
}

// One untimed pass to warm the page cache, then the timed runs, disc after disc in each run.
template <typename Reader>
void TimeRuns(QList<Case>& cases, int runs, Reader read, QList<double> Case::*times)
{
    for (Case& c : cases)
        read(c);
    for (int run = 0; run < runs; ++run) {
        for (Case& c : cases) {
            QElapsedTimer timer;
            timer.start();
            read(c);
            (c.*times) << MsSince(timer);
        }
    }
}

void PrintReport(const QList<Case>& cases, int runs)
{
    std::printf("in process: ReadBlurayDisc against bd_open + bd_get_titles(TITLES_ALL)\n"
                "%d runs each; medians in ms\n", runs);
    std::printf("%-28s %7s %7s %10s %10s %7s\n", "disc", "titles", "libbd", "ours", "libbluray", "ratio");
    BenchSums sums;
    for (const Case& c : cases) {
        const double ours = Median(c.oursMs), lib = Median(c.libblurayMs);
        sums.Add(c, ours, lib);
        std::printf("%-28s %7d %7u %10.3f %10.3f %7.3f\n", qPrintable(c.name), c.titles,
                    c.libblurayTitles, ours, lib, lib > 0 ? ours / lib : 0.0);
    }
    PrintSums(sums);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);  // DiscReader hands its results over through the event loop
    const Options options = ParseOptions(argc, argv);
    bd_set_debug_mask(0);
    QTemporaryDir work;
    QList<Case> cases;
    if (!work.isValid() || !PrepareCases(options.discs, work.path(), cases)) {
        std::fprintf(stderr, "cannot prepare the discs (real disc structures in %s?)\n",
                     qPrintable(options.discs));
        return 1;
    }
    // The player's reader first, so that the peak memory read after it is its own.
    const long rssBefore = PeakRssKb();
    TimeRuns(cases, options.runs, [](Case& c) { c.titles = RunOurs(c.folder); }, &Case::oursMs);
    const long rssOurs = PeakRssKb();
    TimeRuns(cases, options.runs, [](Case& c) { c.libblurayTitles = RunLibbluray(c.folder); },
             &Case::libblurayMs);
    const long rssAll = PeakRssKb();
    PrintReport(cases, options.runs);
    std::printf("peak RSS: %ld KiB after generating the discs, %ld KiB after the player's reader "
                "(+%ld), %ld KiB after libbluray (+%ld)\n", rssBefore, rssOurs, rssOurs - rssBefore,
                rssAll, rssAll - rssOurs);
    const QList<BenchDisc> discs(cases.cbegin(), cases.cend());
    CompareProcesses(discs, options.runs, QStringLiteral(VANTOREL_PROGRAM_DIR "/disc-titles"));
    // The same discs as UDF images, as people keep them.
    QList<BenchDisc> images;
    for (const BenchDisc& disc : discs) {
        BenchDisc image = disc;
        image.name = disc.name + ".iso";
        image.folder = disc.folder + ".iso";
        if (QProcess::execute("genisoimage", {"-quiet", "-udf", "-o", image.folder, disc.folder}) == 0)
            images << image;
    }
    CompareProcesses(images, options.runs, QStringLiteral(VANTOREL_PROGRAM_DIR "/disc-titles"));
    CompareDiscReader(discs, options.runs);
    return 0;
}
