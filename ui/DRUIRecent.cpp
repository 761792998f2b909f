// The Recent Files submenu and its file.
#include "ui/DRUI.h"

#include "disc/DiscFiles.h"
#include "ui/MenuEntries.h"

#include "ui/RecentFilesList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>

QString DRUI::RecentFilesPath() const
{
    return QDir(dataFolder).filePath(QStringLiteral("RecentConfig.txt"));
}

void DRUI::LoadRecentFiles()
{
    recentFiles = RecentFilesList::Load(RecentFilesPath());
    RebuildRecentMenu();
}

void DRUI::AddRecentFile(const QString &path)
{
    const QStringList before = recentFiles;
    // The list in memory and the menu follow even when the file cannot be
    // written; the file itself is then left as it was.
    RecentFilesList::AddAndSave(RecentFilesPath(), recentFiles, path);
    if (recentFiles != before)
        RebuildRecentMenu();
}

void DRUI::ClearRecentFiles()
{
    recentFiles.clear();
    ClearMenu(recentMenu);
    QFile::remove(RecentFilesPath());
}

void DRUI::OpenRecentFile(const QString &path)
{
    StopBtn();
    if (IsDiscLocation(path))
        OpenDiscFolder(path);
    else
        OpenMediaFiles({path});
}
