#include "ui/ResumeStore.h"

#include "platform/AtomicFile.h"
#include "platform/FileLock.h"
#include "platform/GuardedFile.h"

#include <QDateTime>
#include <QFileInfo>
#include <algorithm>

namespace ResumeStore {

namespace {

const QByteArray kMagic = "VantorelResume";
constexpr int kFields = 8;
constexpr int kNumbers = 6;
constexpr qint64 kMargin = 60 * 1000;

// Keys and paths may hold any character, tabs and line ends included.
QByteArray Encode(const QString& text) { return text.toUtf8().toPercentEncoding(); }
QString Decode(const QByteArray& field) { return QString::fromUtf8(QByteArray::fromPercentEncoding(field)); }

bool ParseNumber(const QByteArray& field, qint64& value)
{
    bool ok = false;
    value = field.toLongLong(&ok);
    return ok;
}

bool ParseEntry(const QByteArray& line, Entry& entry)
{
    const QList<QByteArray> fields = line.split('\t');
    if (fields.size() != kFields)
        return false;
    qint64 numbers[kNumbers] = {};
    for (int i = 0; i < kNumbers; ++i) {
        if (!ParseNumber(fields[i], numbers[i]))
            return false;
    }
    entry.savedAtMs = numbers[0];
    entry.positionMs = numbers[1];
    entry.lengthMs = numbers[2];
    entry.title = int(numbers[3]);
    entry.audio = int(numbers[4]);
    entry.subtitle = int(numbers[5]);
    entry.key = Decode(fields[6]);
    entry.path = Decode(fields[7]);
    return !entry.key.isEmpty() && entry.positionMs >= 0 && entry.lengthMs >= 0;
}

} // namespace

QString FileKey(const QString& path, qint64 size, qint64 modifiedMs)
{
    return QStringLiteral("file %1 %2 %3").arg(size).arg(modifiedMs).arg(path);
}

QString FileKeyOf(const QString& path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile())
        return {};
    return FileKey(info.absoluteFilePath(), info.size(), info.lastModified().toMSecsSinceEpoch());
}

QString DiscKey(const QByteArray& identity)
{
    return identity.isEmpty() ? QString() : QStringLiteral("disc ") + QString::fromLatin1(identity);
}

Entries Parse(const QByteArray& bytes)
{
    // A whole store ends its last line; anything cut short does not.
    if (bytes.size() > MaxReadBytes || !bytes.endsWith('\n'))
        return {};
    const QList<QByteArray> lines = bytes.left(bytes.size() - 1).split('\n');
    const QList<QByteArray> header = lines.first().split(' ');
    bool ok = false;
    const int version = header.size() == 2 ? header[1].toInt(&ok) : 0;
    if (header.size() != 2 || header[0] != kMagic || !ok || version < 1 || version > Version)
        return {};
    qint64 count = -1;
    if (lines.size() < 2 || !lines.last().startsWith("end ") || !ParseNumber(lines.last().mid(4), count)
        || count != lines.size() - 2)
        return {};
    Entries entries;
    for (qsizetype i = 1; i + 1 < lines.size(); ++i) {
        Entry entry;
        if (!ParseEntry(lines[i], entry))
            return {};
        entries.insert(entry.key, entry);
    }
    return entries;
}

QByteArray Serialize(const Entries& entries)
{
    QList<Entry> sorted = entries.values();
    std::sort(sorted.begin(), sorted.end(), [](const Entry& a, const Entry& b) {
        return a.savedAtMs != b.savedAtMs ? a.savedAtMs > b.savedAtMs : a.key < b.key;
    });
    QByteArray out = kMagic + ' ' + QByteArray::number(Version) + '\n';
    for (const Entry& e : sorted) {
        out += QByteArray::number(e.savedAtMs) + '\t' + QByteArray::number(e.positionMs) + '\t'
             + QByteArray::number(e.lengthMs) + '\t' + QByteArray::number(e.title) + '\t' + QByteArray::number(e.audio) + '\t'
             + QByteArray::number(e.subtitle) + '\t' + Encode(e.key) + '\t' + Encode(e.path) + '\n';
    }
    out += "end " + QByteArray::number(sorted.size()) + '\n';
    return out;
}

void Trim(Entries& entries)
{
    if (entries.size() <= MaxEntries)
        return;
    QList<qint64> stamps;
    for (const Entry& e : std::as_const(entries))
        stamps.append(e.savedAtMs);
    std::nth_element(stamps.begin(), stamps.begin() + (MaxEntries - 1), stamps.end(), std::greater<>());
    const qint64 oldestKept = stamps[MaxEntries - 1];
    // Entries saved in the same millisecond as the oldest kept one may leave
    // more than the limit; the next pass drops them.
    for (auto it = entries.begin(); it != entries.end();)
        it = it->savedAtMs < oldestKept ? entries.erase(it) : std::next(it);
    while (entries.size() > MaxEntries) {
        auto oldest = std::min_element(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
            return a.savedAtMs < b.savedAtMs;
        });
        entries.erase(oldest);
    }
}

Entries Load(const QString& path)
{
    // Read one byte more than allowed, so that Parse sees a store that is too
    // big as one; whatever lies in the store's place cannot block.
    return Parse(GuardedFile::Bytes(path, MaxReadBytes + 1));
}

bool Apply(const QString& path, const Change& change, Entries& entries)
{
    // Another player that holds the lock for long is passed by: its save
    // and this one are then merged as the last writer saw them.
    const FileLock lock(path + QLatin1String(".lock"));
    Entries stored = Load(path);
    switch (change.kind) {
    case Change::Put:
        if (!change.entry.key.isEmpty())
            stored.insert(change.entry.key, change.entry);
        break;
    case Change::Remove:
        stored.remove(change.entry.key);
        break;
    case Change::Clear:
        stored.clear();
        break;
    }
    Trim(stored);
    if (!WriteFileAtomically(path, Serialize(stored)))
        return false;
    entries = stored;
    return true;
}

qint64 RememberedAtPath(const Entries& entries, const QString& path)
{
    // By name only: the menu that asks must not wait for a sleeping drive.
    const Entry* newest = nullptr;
    for (const Entry& e : entries) {
        if (e.path == path && (!newest || e.savedAtMs > newest->savedAtMs))
            newest = &e;
    }
    return newest ? newest->positionMs : -1;
}

qint64 ResumeAtMs(qint64 positionMs, qint64 lengthMs)
{
    const qint64 margin = lengthMs > 0 ? std::min(kMargin, lengthMs / 10) : kMargin;
    if (positionMs < margin || positionMs <= 0)
        return 0;
    if (lengthMs > 0 && positionMs > lengthMs - margin)
        return 0;
    return positionMs;
}

} // namespace ResumeStore
