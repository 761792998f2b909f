#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The recent-files list and its file: one path per line, newest first.
namespace RecentFilesList {

constexpr int MaxEntries = 10;
// Ten paths never take more than this.
constexpr qint64 MaxReadBytes = 16 * 4096;

// Blank lines are skipped; a line ends at its first zero byte. Only the
// first ten entries count; repeated ones are taken as they are.
QStringList Parse(const QByteArray &bytes);
QByteArray Serialize(const QStringList &paths);

// Puts path in front, dropping the oldest beyond the limit. A path already
// in the list changes nothing (it keeps its place); returns whether the list
// changed.
bool Add(QStringList &paths, const QString &path);

QStringList Load(const QString &file);
// Written to a new file that is then renamed into place, so a crash or a
// full disk in the middle never loses the list.
bool Save(const QString &file, const QStringList &paths);
// Adds path to the list as the file holds it now (another player of the same
// user may have changed it), saves that when it changed, and leaves it in
// paths. False when it could not be saved.
bool AddAndSave(const QString &file, QStringList &paths, const QString &path);

} // namespace RecentFilesList
