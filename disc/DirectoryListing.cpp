#include "disc/DirectoryListing.h"

#include <QDir>
#include <QFileInfo>

bool ListDirectory(const QString& folder, QList<DIR_ENTRY_INFO>& entries)
{
    const QFileInfo info(folder);
    if (folder.isEmpty() || !info.isDir() || !info.isReadable())
        return false;
    const QStringList names = QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    for (const QString& name : names) {
        if (name.startsWith(QLatin1Char('.')))
            continue;
        DIR_ENTRY_INFO entry;
        entry.path = prefix + name;
        entry.isDirectory = QFileInfo(entry.path).isDir();
        entries.append(entry);
    }
    return true;
}
