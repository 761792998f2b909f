// Recognising episodes (FindEpisodes) against reading the disc it runs on
// (ReadBlurayDisc, which includes it), on the two generated discs of 2,000
// playlist files and on the real disc they are built from.
//   bench_episodes [--runs N] [--discs FOLDER]

#include "BenchDiscs.h"
#include "BlurayFixtures.h"
#include "GeneratedDisc.h"
#include "disc/BlurayTitleList.h"

#include <QTemporaryDir>
#include <cstring>

namespace {

void Time(const QString& name, const QString& folder, int runs)
{
    QList<double> readMs, episodesMs;
    BlurayDisc disc = ReadBlurayDisc(folder);  // warms the page cache
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        disc = ReadBlurayDisc(folder);
        readMs << MsSince(timer);
        timer.start();
        const BlurayEpisodes found = FindEpisodes(disc.titles);
        episodesMs << MsSince(timer);
        if (found.episodes.size() != disc.episodes.episodes.size())
            std::printf("%s: episodes differ between runs\n", qPrintable(name));
    }
    const double read = Median(readMs), episodes = Median(episodesMs);
    std::printf("%-24s %7lld %6lld %10.3f %10.3f %7.2f %%\n", qPrintable(name), qint64(disc.titles.size()),
                qint64(disc.episodes.episodes.size()), read, episodes, read > 0 ? 100 * episodes / read : 0.0);
}

} // namespace

int main(int argc, char** argv)
{
    int runs = 21;
    QString discs = QStringLiteral(VANTOREL_DEFAULT_DISCS);
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--runs"))
            runs = qMax(1, std::atoi(argv[i + 1]));
        else if (!std::strcmp(argv[i], "--discs"))
            discs = QString::fromLocal8Bit(argv[i + 1]);
    }
    QTemporaryDir work;
    const QString base = discs + "/disc5";  // the real disc with the most playlists
    if (!work.isValid() || !GenerateDisc(base, work.path() + "/mixed", GeneratedDiscMix{900, 500, 300, 300})
        || !GenerateDistinctDisc(base, work.path() + "/distinct", 2000)) {
        std::fprintf(stderr, "cannot generate the discs from %s\n", qPrintable(base));
        return 1;
    }
    std::printf("%d runs each; medians in ms; the read includes the recognition\n", runs);
    std::printf("%-24s %7s %6s %10s %10s %9s\n", "disc", "titles", "epis.", "read", "episodes", "share");
    Time("disc5", base, runs);
    Time("mixed-2000", work.path() + "/mixed", runs);
    Time("distinct-2000", work.path() + "/distinct", runs);
    return 0;
}
