#include "disc/DiscDetection.h"

#include "disc/DiscFiles.h"

namespace {

// The entries are the ones the listing gives: dot-names skipped, in listing order.
bool HoldsEntryNamed(const DiscFiles& files, const QString& folder, const QString& name,
                     bool directory)
{
    QList<DIR_ENTRY_INFO> entries;
    files.List(folder, entries);
    for (const DIR_ENTRY_INFO& entry : entries) {
        if (entry.isDirectory == directory && EntryName(entry.path) == name)
            return true;
    }
    return false;
}

} // namespace

DiscKind DetectDiscKind(const DiscFiles& files)
{
    const QString bdmv = QStringLiteral("BDMV");
    const QString videoTs = QStringLiteral("VIDEO_TS");
    if (files.IsDirectory(bdmv))
        return HoldsEntryNamed(files, bdmv, QStringLiteral("STREAM"), true) ? DiscKind::Bluray : DiscKind::None;
    if (!files.IsDirectory(videoTs) || !HoldsEntryNamed(files, QString(), videoTs, true))
        return DiscKind::None;
    if (files.IsImage() && !HoldsEntryNamed(files, videoTs, QStringLiteral("VIDEO_TS.IFO"), false))
        return DiscKind::None;
    return DiscKind::Dvd;
}

DiscKind DetectDiscKind(const QString& location)
{
    const std::unique_ptr<DiscFiles> files = OpenDiscFiles(location);
    return files ? DetectDiscKind(*files) : DiscKind::None;
}
