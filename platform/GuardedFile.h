#pragma once

#include <QByteArray>
#include <QString>

// The one way the player reads its own small files (the recent list, the
// snapshot folder, config.ini, the language files): whatever lies in their
// place, a FIFO, a device, a folder, a link to either, can neither block
// the window nor fill the memory.
namespace GuardedFile {

enum class Outcome {
    Read,    // a regular file, read (cut to the bound when longer)
    Missing, // nothing by that name
    Refused, // something that is not a regular file, or unreadable
};

struct Contents
{
    Outcome outcome = Outcome::Missing;
    QByteArray bytes;
    bool cut = false; // the file holds more than maxBytes
};

// At most maxBytes of path, opened without waiting for a writer.
Contents Read(const QString &path, qint64 maxBytes);

// Just the bytes; nothing when the file is missing or refused.
inline QByteArray Bytes(const QString &path, qint64 maxBytes)
{
    return Read(path, maxBytes).bytes;
}

} // namespace GuardedFile
