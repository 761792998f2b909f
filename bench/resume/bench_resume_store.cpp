// The resume store with 500 remembered media (more than it keeps, so that the
// bound is paid for too): loading it as the window does at start-up, and
// matching the medium being opened (its key from the file as it is now), and
// the save made every few seconds while playing (lock, read, merge, write).
//   bench_resume_store [--runs N]

#include "ui/ResumeStore.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstring>

using namespace ResumeStore;

int main(int argc, char** argv)
{
    int runs = 101;
    if (argc == 3 && !std::strcmp(argv[1], "--runs"))
        runs = std::max(1, std::atoi(argv[2]));
    QTemporaryDir dir;
    const QString media = dir.filePath("a film with a rather long name, as they have.mkv");
    QFile file(media);
    if (!file.open(QIODevice::WriteOnly) || file.write("x") != 1)
        return 1;
    file.close();
    Entries entries;
    for (int i = 0; i < 500; ++i) {
        Entry e;
        e.key = i % 5 ? FileKey(QString("/home/someone/Videos/Series %1/Episode %2 of it all.mkv").arg(i / 20).arg(i),
                                1'500'000'000 + i, 1'700'000'000'000 + i)
                      : DiscKey(QByteArray::number(i).repeated(8).left(64));
        e.path = e.key.mid(e.key.indexOf('/'));
        e.positionMs = 1'000'000 + i;
        e.savedAtMs = i;
        entries.insert(e.key, e);
    }
    Entry mine;
    mine.key = FileKeyOf(media);
    mine.path = media;
    mine.positionMs = 1'234'000;
    mine.savedAtMs = 250;
    entries.insert(mine.key, mine);
    const QString store = dir.filePath("ResumeConfig.txt");
    QFile out(store);
    // Written as is, with all 501 entries: the bound applies at the next change.
    if (!out.open(QIODevice::WriteOnly) || out.write(Serialize(entries)) <= 0)
        return 1;
    out.close();

    QList<double> ms;
    qint64 found = 0;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        const Entries loaded = Load(store);
        found = loaded.value(FileKeyOf(media)).positionMs;
        ms << double(timer.nsecsElapsed()) / 1e6;
    }
    std::sort(ms.begin(), ms.end());
    std::printf("resume store of %lld entries (%lld bytes): load and match, %d runs: median %.3f ms, "
                "worst %.3f ms; found %lld ms\n", qint64(entries.size()), qint64(QFileInfo(store).size()),
                runs, ms[ms.size() / 2], ms.last(), found);
    QList<double> saves;
    Entries seen;
    for (int run = 0; run < runs; ++run) {
        mine.positionMs += 5000;
        mine.savedAtMs = 1000 + run;
        QElapsedTimer timer;
        timer.start();
        if (!Apply(store, {Change::Put, mine}, seen))
            return 1;
        saves << double(timer.nsecsElapsed()) / 1e6;
    }
    std::sort(saves.begin(), saves.end());
    std::printf("a save while playing, %d runs: median %.3f ms, worst %.3f ms\n", runs, saves[saves.size() / 2],
                saves.last());
    return found == 1'234'000 ? 0 : 1;
}
