// What hostile files and clients cost: a language file with a 200 MB line to
// a loaded language, two 4 GiB files named like playlists to a title list, and
// a later start handing over past 1,000 silent connections. Run by hand:
//   build/bench/desktop/bench_hostile_files
#include "MplsBuilder.h"
#include "disc/BlurayTitleList.h"
#include "lang/CLanguageMgr.h"
#include "platform/SingleInstance.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

void Print(const char *what, qint64 ms)
{
    std::printf("%-52s %6lld ms\n", what, static_cast<long long>(ms));
}

void LanguageWithAHugeLine(const QTemporaryDir &dir)
{
    QDir().mkpath(dir.filePath("program/Languages"));
    QFile file(dir.filePath("program/Languages/English.ini"));
    file.open(QIODevice::WriteOnly);
    file.write("[MainWnd]\nPlay=");
    const QByteArray block(1 << 20, 'x');
    for (int i = 0; i < 200; ++i)
        file.write(block);
    file.write("\nStop=Stop\n");
    file.close();
    QElapsedTimer clock;
    clock.start();
    const CLanguageMgr languages(dir.filePath("program"), dir.filePath("user/"));
    Print("language file with a 200 MB line, loaded", clock.elapsed());
}

void TwoHugeLookAlikes(const QTemporaryDir &dir, const QByteArray &playlist)
{
    QStringList paths;
    for (const char *name : {"00001.mpls", "00002.mpls"}) {
        QFile file(dir.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write(playlist);
        file.resize(qint64(4) << 30);
        paths << file.fileName();
    }
    QElapsedTimer clock;
    clock.start();
    BlurayDisc disc;
    ReadBlurayPlaylists(paths, disc);
    Print("two 4 GiB look-alike playlists, titles read", clock.elapsed());
}

void HandOverPastSilentCrowd(const QTemporaryDir &dir)
{
    const QString name = dir.filePath("instance");
    SingleInstance first(name);
    first.anotherInstanceRunning();
    std::vector<std::unique_ptr<QLocalSocket>> crowd(1000);
    for (auto &client : crowd) {
        client = std::make_unique<QLocalSocket>();
        client->connectToServer(name);
    }
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 3000)
        QCoreApplication::processEvents();
    QElapsedTimer clock;
    clock.start();
    SingleInstance::Handover result = SingleInstance::Handover::First;
    std::unique_ptr<QThread> later(QThread::create([&] { result = SingleInstance(name).handOver({"/a.mkv"}); }));
    later->start();
    while (!later->isFinished())
        QCoreApplication::processEvents();
    Print(result == SingleInstance::Handover::HandedOver ? "handed over past 1,000 silent connections"
                                                         : "NOT handed over past 1,000 silent connections",
          clock.elapsed());
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    LanguageWithAHugeLine(dir);
    TwoHugeLookAlikes(dir, MplsBuilder::Build({TestItem{}}, {}));
    HandOverPastSilentCrowd(dir);
    return 0;
}
