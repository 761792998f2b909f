#pragma once

// The real disc structures of the shared folder, copied so that libbluray
// accepts them (it wants BDMV/STREAM, which the shared copies leave out).

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

// The folder comes from the environment (ctest sets it when the build was
// told where the structures are), so the tests are built once either way.
inline QString SharedDiscsFolder()
{
    const QString folder = qEnvironmentVariable("VANTOREL_SHARED_DISCS");
    return !folder.isEmpty() && QDir(folder).exists() ? folder : QString();
}

// For a test that means nothing without the structures: it ends with the
// code ctest reports as skipped, so a run without them never claims it passed.
constexpr int SkippedExitCode = 77;
inline QString RequireSharedDiscs()
{
    const QString folder = SharedDiscsFolder();
    if (folder.isEmpty()) {
        std::fprintf(stderr, "VANTOREL_SHARED_DISCS names no folder: skipped\n");
        std::exit(SkippedExitCode);
    }
    return folder;
}

// disc1, disc3, ... disc15 in numeric order.
inline QStringList SharedDiscNames(const QString& folder)
{
    QStringList names = QDir(folder).entryList({"disc*"}, QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return a.mid(4).toInt() < b.mid(4).toInt();
    });
    return names;
}

inline bool CopyDiscTree(const QString& from, const QString& to)
{
    if (!QDir().mkpath(to))
        return false;
    QDirIterator it(from, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + source.mid(from.size());
        if (it.fileInfo().isDir()) {
            if (!QDir().mkpath(target))
                return false;
        } else if (!QFile::copy(source, target)) {
            return false;
        }
    }
    return QDir().mkpath(to + "/BDMV/STREAM");
}
