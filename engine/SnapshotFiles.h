#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <functional>

// Turning the engine's screenshot into the user's snapshot: which file the
// engine means, the snapshot's name and image writer, and the conversion.
// Nothing here needs a widget or the window's thread.
namespace SnapshotFiles {

// The engine's file an announcement line names, as a canonical path, when it
// is an existing regular file directly inside dataFolder; otherwise empty.
// A relative name is taken from the current folder. Whatever the line says,
// nothing outside the data folder is ever handed on (and so never deleted).
QString EngineShot(const QByteArray &line, const QString &dataFolder);

// Whether a file can be written into folder now (it is not read-only and
// not full): a small file is written whole and removed again.
bool CanWriteIn(const QString &folder);

// folder + "Snapshot-YYYY-MM-DD hh-mm-ss." + format (folder ends in "/").
QString FileName(const QString &folder, const QDateTime &time, const QString &format);

// path itself when nothing is there yet, else the first free of
// "name (2).ext", "name (3).ext", ... An earlier snapshot is never replaced.
QString FreeName(const QString &path,
                 const std::function<bool(const QString &)> &taken = {});

struct Writer
{
    QByteArray format; // the image writer's name
    int quality;       // -1: the writer's default
    int engineFormat;  // what the engine is asked to write: 0 PNG, 1 JPEG
};
// The image writer for a format text: "PNG", "BMP", otherwise "JPEG"
// (exact, case-sensitive comparisons).
Writer WriterFor(const QString &format);

struct Job
{
    QString engineFile; // as EngineShot gave it
    QString folder;     // the snapshot folder, ending in "/"
    QString format;     // the window's format text, also the extension
    QDateTime time;     // when the engine announced it
};

enum class Failure {
    None,
    Folder, // the snapshot folder cannot be made
    Image,  // the engine's file is no readable image (cut short on a full disk)
    Write,  // the snapshot cannot be written (read-only, full, ...)
};

struct Outcome
{
    Job job;
    Failure failure = Failure::None;
    QString savedAs; // the snapshot's path when it was written; empty also
                     // when the engine's file was already gone
};

// Creates the folder when it is missing and makes the engine's file a new
// snapshot file: moved there when the engine wrote it in the chosen format
// already (renamed on the same file system, copied whole under a temporary
// name and renamed across file systems), converted otherwise (written whole
// under a temporary name, then renamed). The engine's file is deleted only
// once the snapshot is there. On any failure the engine's file stays where
// it is.
Outcome Write(const Job &job);

} // namespace SnapshotFiles
