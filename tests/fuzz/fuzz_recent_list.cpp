// libFuzzer target: any bytes as the recent-files list.

#include "ui/RecentFilesList.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    const QStringList paths = RecentFilesList::Parse(bytes);
    if (paths.size() > RecentFilesList::MaxEntries)
        std::abort();
    bool endsInReturn = false;
    for (const QString& path : paths) {
        if (path.isEmpty() || path.contains(QLatin1Char('\n')) || path.contains(QChar(0)))
            std::abort();
        endsInReturn |= path.endsWith(QLatin1Char('\r'));
    }
    // What is written is read back the same (a kept "\r" at a line's end is
    // the one thing a line end takes away).
    if (!endsInReturn && RecentFilesList::Parse(RecentFilesList::Serialize(paths)) != paths)
        std::abort();
    // Adding keeps the limit and puts a new path first.
    QStringList list = paths;
    if (RecentFilesList::Add(list, QStringLiteral("/fuzz/new.mkv"))
        && (list.first() != QStringLiteral("/fuzz/new.mkv") || list.size() > RecentFilesList::MaxEntries))
        std::abort();
    return 0;
}
