#include "ui/RecentFilesList.h"

#include <QFile>
#include <QSaveFile>

namespace RecentFilesList {

QStringList Parse(const QByteArray &bytes)
{
    QStringList paths;
    for (QByteArray line : bytes.split('\n')) {
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
    if (!in.open(QIODevice::ReadOnly))
        return {};
    return Parse(in.readAll());
}

bool Save(const QString &file, const QStringList &paths)
{
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write(Serialize(paths));
    return out.commit();
}

} // namespace RecentFilesList
