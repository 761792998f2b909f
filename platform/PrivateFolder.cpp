#include "platform/PrivateFolder.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// A socket address holds the path and its terminating zero.
bool FitsSocketAddress(const QString &folder, const QString &name)
{
    return QFile::encodeName(folder + QLatin1Char('/') + name).size() < qsizetype(sizeof(sockaddr_un::sun_path));
}

// The home folder's own, not a shared temporary folder: a name there cannot
// be made first by anyone else.
QString OwnFolder()
{
    const QString home = qEnvironmentVariable("HOME");
    if (!home.startsWith(QLatin1Char('/')))
        return {};
    const QString cache = QDir(home).filePath(QStringLiteral(".cache"));
    ::mkdir(QFile::encodeName(cache).constData(), 0700);
    const QString folder = cache + QStringLiteral("/vantorel-instance");
    ::mkdir(QFile::encodeName(folder).constData(), 0700);
    return folder;
}

bool Usable(const QString &folder, const QString &name)
{
    return !folder.isEmpty() && FitsSocketAddress(folder, name) && IsPrivateFolder(folder)
        && IsMissingOrOwn(folder + QLatin1Char('/') + name)
        && IsMissingOrOwn(folder + QLatin1Char('/') + name + QStringLiteral(".lock"));
}

} // namespace

bool IsPrivateFolder(const QString &folder)
{
    struct stat st{};
    return ::lstat(QFile::encodeName(folder).constData(), &st) == 0 && S_ISDIR(st.st_mode)
        && st.st_uid == ::getuid() && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

bool IsMissingOrOwn(const QString &path)
{
    struct stat st{};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return errno == ENOENT;
    return st.st_uid == ::getuid();
}

QString InstanceFolder(const QString &name)
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.startsWith(QLatin1Char('/')) && Usable(runtime, name))
        return runtime;
    const QString own = OwnFolder();
    return Usable(own, name) ? own : QString();
}
