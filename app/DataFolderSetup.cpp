#include "app/DataFolderSetup.h"

#include "platform/GuardedFile.h"
#include "platform/ProgramPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cstdio>

namespace {

QString CopyPath(const QString &folder)
{
    return QDir(folder).filePath(QStringLiteral("tool"));
}

bool Usable(const QString &program)
{
    const QFileInfo info(program);
    return info.isFile() && info.isExecutable();
}

// The probe is a few megabytes; anything far bigger is not it.
constexpr qint64 MaxProbeBytes = 256 * 1024 * 1024;

QByteArray Contents(const QString &path)
{
    const GuardedFile::Contents file = GuardedFile::Read(path, MaxProbeBytes);
    return file.cut ? QByteArray() : file.bytes;
}

// Written beside the copy and renamed over it, so that a player starting a
// probe meanwhile finds either the old copy or the whole new one.
void InstallCopy(const QByteArray &probe, const QString &copy)
{
    QTemporaryFile next(copy + QStringLiteral(".XXXXXX"));
    if (!next.open() || next.write(probe) != probe.size() || !next.flush())
        return;
    next.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (std::rename(QFile::encodeName(next.fileName()).constData(), QFile::encodeName(copy).constData()) == 0)
        next.setAutoRemove(false);
}

} // namespace

QString ProbeToolCopy(const QString &folder)
{
    const QString copy = CopyPath(folder);
    return Usable(copy) ? copy : ProbeToolSource();
}

QString PrepareDataFolder(const QString &folder, const QString &probeSource)
{
    if (!QFileInfo::exists(folder))
        QDir().mkpath(folder);
    const QByteArray probe = Contents(probeSource);
    if (probe.isEmpty())
        return folder;
    const QString copy = CopyPath(folder);
    const QFileInfo current(copy);
    // The sizes tell most upgrades apart; the bytes tell the rest.
    if (!Usable(copy) || current.size() != probe.size() || Contents(copy) != probe)
        InstallCopy(probe, copy);
    return folder;
}
