#include "ReaderRuns.h"

#include "disc/DiscReader.h"

#include <QEventLoop>
#include <cstdio>

void CompareDiscReader(const QList<BenchDisc>& discs, int runs)
{
    DiscReader reader;
    QEventLoop loop;
    int readerTitles = -1;
    QObject::connect(&reader, &DiscReader::finished, &loop, [&](DiscKind, const BlurayDisc& disc) {
        readerTitles = int(disc.titles.size());
        loop.quit();
    });
    std::printf("\nDiscReader, read() to finished(), against ReadBlurayDisc on the calling thread\n"
                "%d runs each, alternating; medians in ms\n", runs);
    std::printf("%-28s %7s %7s %10s %10s %7s\n", "disc", "titles", "reader", "direct", "reader", "ratio");
    BenchSums sums;
    for (const BenchDisc& disc : discs) {
        const int titles = int(ReadBlurayDisc(disc.folder).titles.size());  // warms the page cache
        QList<double> directMs, readerMs;
        for (int run = 0; run < runs; ++run) {
            QElapsedTimer timer;
            timer.start();
            ReadBlurayDisc(disc.folder);
            directMs << MsSince(timer);
            timer.start();
            reader.read(disc.folder);
            loop.exec();
            readerMs << MsSince(timer);
        }
        const double d = Median(directMs), r = Median(readerMs);
        sums.Add(disc, r, d);
        std::printf("%-28s %7d %7d %10.3f %10.3f %7.3f\n", qPrintable(disc.name), titles, readerTitles,
                    d, r, d > 0 ? r / d : 0.0);
    }
    PrintSums(sums, true);
}
