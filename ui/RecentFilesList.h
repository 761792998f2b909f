#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The recent-files list and its file: one path per line, newest first.
namespace RecentFilesList {

constexpr int MaxEntries = 10;
// Ten paths never take more than this.
constexpr qint64 MaxReadBytes = 16 * 4096;

// Whether a line of the file can hold path so that it reads back the same
// (no line break in it, text that encodes and decodes to itself).
bool Storable(const QString &path);

// Blank lines are skipped; only the first ten entries count; repeated ones
// are taken as they are. An entry whose bytes are not text (or hold a zero
// byte) is not shown: decoded by force it would name another file.
QStringList Parse(const QByteArray &bytes);
// The paths a line can hold, one a line.
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
// user may have changed it), under a lock beside the file, saves that when it
// changed, and leaves it in paths. Entries that are not shown keep their bytes
// in the file. A path a line cannot hold goes into paths alone. False when
// it could not be saved.
bool AddAndSave(const QString &file, QStringList &paths, const QString &path);

} // namespace RecentFilesList
