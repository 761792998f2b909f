#include "app/DataFolderSetup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

QString ProbeToolCopy(const QString &folder)
{
    return QDir(folder).filePath(QStringLiteral("tool"));
}

QString PrepareDataFolder(const QString &folder, const QString &probeSource)
{
    if (!QFileInfo::exists(folder))
        QDir().mkpath(folder);
    const QString copy = ProbeToolCopy(folder);
    if (!QFileInfo::exists(copy) && QFile::copy(probeSource, copy)) {
        QFile::setPermissions(copy, QFile::permissions(copy) | QFileDevice::ExeOwner
                                        | QFileDevice::ReadOwner);
    }
    return folder;
}
