#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

// Where the user stopped, per medium: the store behind resuming. One file in
// the data folder, written whole or not at all, holding the most recent
// MaxEntries media. Two players of one user share it: every change reads
// the file as it is now, applies itself and writes the result, under a lock.
// A file that is not exactly what Serialize writes (empty, cut short,
// binary, too big, or from a later version) counts as no store and is
// written anew at the next change.
namespace ResumeStore {

constexpr int MaxEntries = 400;
// MaxEntries entries of long paths fit with room to spare.
constexpr qint64 MaxReadBytes = 1024 * 1024;
constexpr int Version = 1;

struct Entry {
    QString key;            // FileKey or DiscKey
    QString path;           // where the medium was last played, for the recent list
    qint64 positionMs = 0;
    qint64 lengthMs = 0;    // of the medium (the disc's title) then; 0 unknown
    int title = 0;          // disc: the "br://N" title number played, 0 for the main title
    int audio = -1;         // disc: chosen audio entry (0 = off, k = k-th), -1 none chosen
    int subtitle = -1;      // disc: likewise for subtitles
    qint64 savedAtMs = 0;   // milliseconds since the epoch; the newest wins and stays

    bool operator==(const Entry& o) const
    {
        return key == o.key && path == o.path && positionMs == o.positionMs && lengthMs == o.lengthMs
            && title == o.title
            && audio == o.audio && subtitle == o.subtitle && savedAtMs == o.savedAtMs;
    }
};

using Entries = QHash<QString, Entry>;

// A file is the same file while path, size and modification time stay;
// a replaced file starts afresh.
QString FileKey(const QString& path, qint64 size, qint64 modifiedMs);
// The key of the file at path as it is now; empty when it is no regular file.
QString FileKeyOf(const QString& path);
// A disc by its identity (DiscIdentity); empty for an empty identity.
QString DiscKey(const QByteArray& identity);

// Empty for anything but a whole store of this version or an earlier one.
Entries Parse(const QByteArray& bytes);
QByteArray Serialize(const Entries& entries);

// Keeps the MaxEntries most recently saved entries.
void Trim(Entries& entries);

// The store at path: a regular file of at most MaxReadBytes, or nothing.
Entries Load(const QString& path);

// One change, applied to the store as the file holds it now.
struct Change {
    enum Kind { Put, Remove, Clear };
    Kind kind = Put;
    Entry entry;  // Put: the entry; Remove: entry.key names what goes
};

// Applies change to the file at path, under an exclusive lock on path +
// ".lock", and leaves in entries what the file then holds. False when the
// new store could not be written; entries are then left as they were.
bool Apply(const QString& path, const Change& change, Entries& entries);

// The remembered position (ms) of what the recent list names by path: the
// file or disc last played from there, looked up by name without touching
// the medium; -1 for none.
qint64 RememberedAtPath(const Entries& entries, const QString& path);

// Where a medium of length lengthMs should start: at positionMs, unless
// that is within the first or the last minute (or past the end of a
// medium that has changed), where starting over is what anyone wants. On a
// medium shorter than ten minutes the margins are a tenth of its length, so
// that a short clip resumes too. lengthMs 0: unknown, the first minute counts.
qint64 ResumeAtMs(qint64 positionMs, qint64 lengthMs);

} // namespace ResumeStore
