#pragma once

#include <QByteArray>
#include <QString>

// Where snapshots go: the folder kept in "OutputPath.txt" in the per-user data
// folder, as 8-bit text ending in "/", without a line end; when there is none
// (or nothing usable), the documents folder followed by "Vantorel/".
namespace SnapshotFolder {

// No real folder path is longer than this; a bigger file is not a path.
constexpr qint64 MaxFileBytes = 4096;

QString FileIn(const QString &dataFolder);
QString Default();

// The folder a file's content names, ending in "/"; empty when the content
// is not one usable folder path (empty, too long, binary, more than one line,
// relative). One trailing line end, as editors add, is tolerated.
QString FromContent(const QByteArray &content);
QByteArray ToContent(const QString &folder);

// The folder to use now: the file's, else the default.
QString Read(const QString &dataFolder);
// Replaces the file as a whole (a new file renamed into place), creating the
// data folder when it is missing. False when any step fails; the old file is
// then left as it was.
bool Write(const QString &dataFolder, const QString &folder);

// A folder picked in a chooser, in the form the file keeps.
QString WithSlash(const QString &folder);

// Creates folder with every missing parent; false when it is no folder then
// (it names a file, or cannot be made).
bool Make(const QString &folder);

} // namespace SnapshotFolder
