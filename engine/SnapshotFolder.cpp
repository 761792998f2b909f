#include "engine/SnapshotFolder.h"

#include "platform/AtomicFile.h"
#include "platform/GuardedFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace SnapshotFolder {

QString FileIn(const QString &dataFolder)
{
    return QDir(dataFolder).filePath(QStringLiteral("OutputPath.txt"));
}

QString Default()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
        + QStringLiteral("/Vantorel/");
}

QString WithSlash(const QString &folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

bool Make(const QString &folder)
{
    return QDir().mkpath(folder) && QFileInfo(folder).isDir();
}

QString FromContent(const QByteArray &content)
{
    QByteArray bytes = content;
    if (bytes.endsWith('\n'))
        bytes.chop(1);
    if (bytes.endsWith('\r'))
        bytes.chop(1);
    if (bytes.isEmpty() || bytes.size() > MaxFileBytes)
        return QString();
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            return QString(); // binary, or more than one line
    const QString folder = QString::fromLocal8Bit(bytes);
    if (folder.contains(QChar::ReplacementCharacter) || !QDir::isAbsolutePath(folder))
        return QString();
    return WithSlash(folder);
}

QByteArray ToContent(const QString &folder)
{
    return folder.toLocal8Bit();
}

QString Read(const QString &dataFolder)
{
    const GuardedFile::Contents file = GuardedFile::Read(FileIn(dataFolder), MaxFileBytes);
    const QString folder = file.cut ? QString() : FromContent(file.bytes);
    return folder.isEmpty() ? Default() : folder;
}

bool Write(const QString &dataFolder, const QString &folder)
{
    if (!QDir().mkpath(dataFolder))
        return false;
    return WriteFileAtomically(FileIn(dataFolder), ToContent(folder));
}

} // namespace SnapshotFolder
