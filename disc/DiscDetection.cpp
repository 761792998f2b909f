#include "disc/DiscDetection.h"

#include "disc/DirectoryListing.h"

#include <QFileInfo>

namespace {

// The entries are the ones ListDirectory gives: dot-names skipped, in listing order.
bool HoldsDirectoryNamed(const QString& folder, const QString& name)
{
    QList<DIR_ENTRY_INFO> entries;
    ListDirectory(folder, entries);
    for (const DIR_ENTRY_INFO& entry : entries) {
        if (entry.isDirectory && EntryName(entry.path) == name)
            return true;
    }
    return false;
}

} // namespace

DiscKind DetectDiscKind(const QString& folder)
{
    if (folder.isEmpty())
        return DiscKind::None;
    const QString bdmv = ChildPath(folder, QStringLiteral("BDMV"));
    if (QFileInfo(bdmv).isDir())
        return HoldsDirectoryNamed(bdmv, QStringLiteral("STREAM")) ? DiscKind::Bluray : DiscKind::None;
    if (QFileInfo(ChildPath(folder, QStringLiteral("VIDEO_TS"))).isDir())
        return HoldsDirectoryNamed(folder, QStringLiteral("VIDEO_TS")) ? DiscKind::Dvd : DiscKind::None;
    return DiscKind::None;
}
