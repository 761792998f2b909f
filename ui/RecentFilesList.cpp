#include "ui/RecentFilesList.h"

#include <QFile>
#include "platform/AtomicFile.h"

#include <QFileInfo>

namespace RecentFilesList {

QStringList Parse(const QByteArray &bytes)
{
    QStringList paths;
    for (QByteArray line : bytes.split('\n')) {
        if (paths.size() == MaxEntries)
            break;
        const int zero = line.indexOf('\0');
        if (zero >= 0)
            line.truncate(zero);
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty())
            paths.append(QString::fromLocal8Bit(line));
    }
    return paths;
}

QByteArray Serialize(const QStringList &paths)
{
    QByteArray bytes;
    for (const QString &path : paths)
        bytes += path.toLocal8Bit() + '\n';
    return bytes;
}

bool Add(QStringList &paths, const QString &path)
{
    if (paths.contains(path))
        return false;
    paths.prepend(path);
    if (paths.size() > MaxEntries)
        paths.removeLast();
    return true;
}

QStringList Load(const QString &file)
{
    QFile in(file);
    // Only regular files: a FIFO put in its place must not block the start.
    if (!QFileInfo(file).isFile() || !in.open(QIODevice::ReadOnly))
        return {};
    // Ten entries are all there is to read; a huge file is rewritten short
    // at the next save.
    QByteArray head;
    while (!in.atEnd() && Parse(head).size() < MaxEntries && head.size() < MaxReadBytes)
        head += in.read(64 * 1024);
    return Parse(head);
}

bool Save(const QString &file, const QStringList &paths)
{
    return WriteFileAtomically(file, Serialize(paths));
}

bool AddAndSave(const QString &file, QStringList &paths, const QString &path)
{
    // Another player of the same user may have written since we read.
    QStringList latest = QFileInfo::exists(file) ? Load(file) : QStringList();
    const bool changed = Add(latest, path);
    paths = latest;
    return !changed || Save(file, paths);
}

} // namespace RecentFilesList
