#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The recent-files list and its file: one path per line, newest first.
namespace RecentFilesList {

constexpr int MaxEntries = 10;

// Blank lines are skipped; a line ends at its first zero byte. Long or
// repeated lists are taken as they are.
QStringList Parse(const QByteArray &bytes);
QByteArray Serialize(const QStringList &paths);

// Puts path in front, dropping the oldest beyond the limit. A path already
// in the list changes nothing (it keeps its place); returns whether the list
// changed.
bool Add(QStringList &paths, const QString &path);

QStringList Load(const QString &file);
// Written to a new file that is then renamed into place, so a crash in the
// middle never loses the list.
bool Save(const QString &file, const QStringList &paths);

} // namespace RecentFilesList
