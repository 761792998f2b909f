// bench_disc_page [--runs N] [--discs FOLDER] [--images]
// From OpenDiscFolder to the disc page shown, against the disc library's own
// title list of the same disc in the same run (read in this process, and
// listed by the library's program disc-titles, start to exit), on every real disc structure
// and on a generated disc of 2,000 distinct playlists; and, in runs of
// their own, the longest the window's event loop waits while that disc is
// read; with --images, each disc also as a UDF image made by genisoimage.
// Medians are printed,
// twice: with the disc's files in the page cache (read just before), and
// with them dropped from it before each read, as for a disc just inserted.
#include "PlaybackHarness.h"

#include "BlurayFixtures.h"
#include "GeneratedDisc.h"

#include "disc/BlurayTitleList.h"
#include "disc/DiscReader.h"

#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>

#include <QDirIterator>
#include <QThreadPool>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace {

struct Disc
{
    QString name;
    QString folder;
};

double Median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n == 0 ? -1 : (n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2);
}

// Drops the disc's files from the page cache; their pages are clean, so
// the next read comes from the storage again.
void Evict(const QString &folder)
{
    QStringList paths;
    if (QFileInfo(folder).isFile())
        paths << folder; // an image
    QDirIterator files(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext())
        paths << files.next();
    for (const QString &path : paths) {
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
}

// What the last run left to do (drawing, freeing the last disc on the pool)
// is done before the next run starts, as it would be long before a user
// opens the next disc.
void Settle()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    QThreadPool::globalInstance()->waitForDone();
}

double LibraryMs(const QString &folder, int &titles)
{
    Settle();
    QElapsedTimer clock;
    clock.start();
    titles = int(ReadBlurayDisc(folder).titles.size());
    return clock.nsecsElapsed() / 1e6;
}

// The library's title-list program on the disc, whole process, output
// thrown away.
double ProgramMs(const QString &folder)
{
    Settle();
    QProcess program;
    program.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    program.start(QStringLiteral(VANTOREL_PROGRAM_DIR "/disc-titles"), {folder});
    program.waitForFinished(-1);
    return clock.nsecsElapsed() / 1e6;
}

// From the call to the moment the disc page is painted (every disc here has
// a title, so its page comes up). With longestGapMs, the longest pause of
// the event loop meanwhile instead: its probe wakes the window's thread every
// few milliseconds, which would slow the read it measures beside.
double WindowMs(DRUI &window, const QString &folder, double *longestGapMs = nullptr)
{
    DRUITestAccess::pageStack(window)->setCurrentIndex(0);
    // Going back to the start page is this benchmark's doing: it is painted
    // before the clock starts.
    Settle();
    QEventLoop loop;
    const Harness::PaintCount page(DRUITestAccess::discPicture(window));
    QObject::connect(DRUITestAccess::discReader(window), &DiscReader::finished, &loop, &QEventLoop::quit);
    QElapsedTimer gap;
    QTimer ticker;
    double longest = 0;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longest = std::max(longest, gap.nsecsElapsed() / 1e6);
        gap.restart();
    });
    QElapsedTimer clock;
    clock.start();
    window.OpenDiscFolder(folder);
    gap.start();
    if (longestGapMs)
        ticker.start(5);
    loop.exec();
    while (page.paints == 0)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double ms = clock.nsecsElapsed() / 1e6;
    if (longestGapMs)
        *longestGapMs = std::max(longest, gap.nsecsElapsed() / 1e6);
    return ms;
}

} // namespace

int main(int argc, char *argv[])
{
    const Harness::PrivateHome home;
    QApplication app(argc, argv);
    QCommandLineParser options;
    options.addHelpOption();
    options.addOption({"runs", "Runs per disc.", "N", "9"});
    options.addOption({"discs", "Real disc structures.", "FOLDER", VANTOREL_DEFAULT_DISCS});
    options.addOption({"images", "Each disc also as a UDF image."});
    options.process(app);
    const int runs = std::max(1, options.value("runs").toInt());

    QTemporaryDir work;
    QList<Disc> discs;
    const QString shared = options.value("discs");
    const QStringList names = SharedDiscNames(shared);
    for (const QString &name : names) {
        if (!CopyDiscTree(shared + "/" + name, work.filePath(name)))
            return std::fprintf(stderr, "cannot copy %s\n", qPrintable(name)), 1;
        discs.append({name, work.filePath(name)});
    }
    if (names.isEmpty())
        return std::fprintf(stderr, "no disc structures in %s\n", qPrintable(shared)), 1;
    const QString generated = work.filePath("distinct2000");
    if (!GenerateDistinctDisc(work.filePath(names.first()), generated, 2000))
        return std::fprintf(stderr, "cannot generate the disc of 2,000 playlists\n"), 1;
    discs.append({"distinct2000", generated});
    if (options.isSet("images")) {
        for (const Disc &disc : QList<Disc>(discs)) {
            const QString image = disc.folder + ".iso";
            if (QProcess::execute("genisoimage", {"-quiet", "-udf", "-o", image, disc.folder}) != 0)
                return std::fprintf(stderr, "genisoimage could not make %s\n", qPrintable(image)), 1;
            discs.append({disc.name + ".iso", image});
        }
    }

    DRUI window;
    window.BuildPages();
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return std::fprintf(stderr, "the window never showed\n"), 1;

    for (const bool cold : {false, true}) {
        std::printf("\n%s\n%-14s %7s %12s %12s %6s %12s %9s %14s\n",
                    cold ? "The disc's files dropped from the page cache before each read:"
                         : "The disc's files in the page cache:",
                    "disc", "titles", "library ms", "window ms", "ratio", "program ms", "/program",
                    "longest gap ms");
        for (const Disc &disc : discs) {
            QList<double> library, shown, gaps, program;
            int titles = 0;
            for (int run = 0; run < runs; ++run) {
                double gap = 0;
                const auto libraryRun = [&] {
                    if (cold)
                        Evict(disc.folder);
                    library << LibraryMs(disc.folder, titles);
                };
                const auto windowRun = [&] {
                    if (cold)
                        Evict(disc.folder);
                    shown << WindowMs(window, disc.folder);
                };
                // Alternate which goes first, so that neither always finds
                // the files cached.
                if (run % 2) {
                    windowRun();
                    libraryRun();
                } else {
                    libraryRun();
                    windowRun();
                }
                if (cold)
                    Evict(disc.folder);
                program << ProgramMs(disc.folder);
                if (cold)
                    Evict(disc.folder);
                WindowMs(window, disc.folder, &gap);
                gaps << gap;
            }
            // Each run's two readings are taken back to back: the ratio is
            // the median of theirs, which the machine's drift over a run of
            // many (its speed wanders by a third here) leaves alone.
            QList<double> ratios, programRatios;
            for (qsizetype k = 0; k < shown.size(); ++k) {
                ratios << shown[k] / library[k];
                programRatios << shown[k] / program[k];
            }
            std::printf("%-14s %7d %12.2f %12.2f %6.2f %12.2f %9.2f %14.2f\n", qPrintable(disc.name), titles,
                        Median(library), Median(shown), Median(ratios), Median(program),
                        Median(programRatios), *std::max_element(gaps.begin(), gaps.end()));
        }
    }
    return 0;
}
