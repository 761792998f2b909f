#include "disc/DirectoryListing.h"

#include <QDir>
#include <QFileInfo>

QString ChildPath(const QString& folder, const QString& name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

QString EntryName(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

bool ListDirectory(const QString& folder, QList<DIR_ENTRY_INFO>& entries)
{
    const QFileInfo info(folder);
    if (folder.isEmpty() || !info.isDir() || !info.isReadable())
        return false;
    // The listing already knows each entry's type on most file systems, which
    // spares a look-up per entry.
    const QFileInfoList infos = QDir(folder).entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QFileInfo& info : infos) {
        const QString name = info.fileName();
        if (name.startsWith(QLatin1Char('.')))
            continue;
        DIR_ENTRY_INFO entry;
        entry.path = ChildPath(folder, name);
        entry.isDirectory = info.isDir();
        entries.append(entry);
    }
    return true;
}
