#include "ui/RecentFilesList.h"

#include "platform/AtomicFile.h"
#include "platform/FileLock.h"
#include "platform/GuardedFile.h"

#include <QStringDecoder>

namespace RecentFilesList {

namespace {

// The entries as the file holds them, bytes untouched: an entry this player
// cannot show is still written back as it was.
QList<QByteArray> Lines(const QByteArray &bytes)
{
    QList<QByteArray> lines;
    for (QByteArray line : bytes.split('\n')) {
        if (lines.size() == MaxEntries)
            break;
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty())
            lines.append(line);
    }
    return lines;
}

// The name an entry's bytes stand for; empty when decoding would make it
// name another file (bytes that are not text, a zero byte).
QString Decoded(const QByteArray &line)
{
    if (line.contains('\0'))
        return QString();
    QStringDecoder decoder(QStringDecoder::System, QStringDecoder::Flag::Stateless);
    const QString name = decoder(line);
    return decoder.hasError() ? QString() : name;
}

QStringList Shown(const QList<QByteArray> &lines)
{
    QStringList paths;
    for (const QByteArray &line : lines)
        if (const QString path = Decoded(line); !path.isEmpty())
            paths.append(path);
    return paths;
}

QByteArray Joined(const QList<QByteArray> &lines)
{
    QByteArray bytes;
    for (const QByteArray &line : lines)
        bytes += line + '\n';
    return bytes;
}

QByteArray Head(const QString &file)
{
    // Ten entries are all there is to read; a huge file is rewritten short
    // at the next save. A line the bound cuts is no entry: cut, it would
    // name another file.
    GuardedFile::Contents head = GuardedFile::Read(file, MaxReadBytes);
    if (head.cut)
        head.bytes.truncate(head.bytes.lastIndexOf('\n') + 1);
    return head.bytes;
}

QString LockFor(const QString &file)
{
    return file + QStringLiteral(".lock");
}

} // namespace

bool Storable(const QString &path)
{
    const QByteArray bytes = path.toLocal8Bit();
    return !bytes.isEmpty() && !bytes.contains('\n') && !bytes.endsWith('\r') && Decoded(bytes) == path;
}

QStringList Parse(const QByteArray &bytes)
{
    return Shown(Lines(bytes));
}

QByteArray Serialize(const QStringList &paths)
{
    QList<QByteArray> lines;
    for (const QString &path : paths)
        if (Storable(path))
            lines.append(path.toLocal8Bit());
    return Joined(lines);
}

bool Add(QStringList &paths, const QString &path)
{
    if (paths.contains(path))
        return false;
    paths.prepend(path);
    if (paths.size() > MaxEntries)
        paths.removeLast();
    return true;
}

QStringList Load(const QString &file)
{
    return Parse(Head(file));
}

bool Save(const QString &file, const QStringList &paths)
{
    return WriteFileAtomically(file, Serialize(paths));
}

bool AddAndSave(const QString &file, QStringList &paths, const QString &path)
{
    if (!Storable(path)) {
        // A name one line cannot hold is remembered for this run only.
        Add(paths, path);
        return true;
    }
    // Another player of the same user may be doing the same: one at a time
    // reads, merges and writes.
    const FileLock lock(LockFor(file));
    QList<QByteArray> lines = Lines(Head(file));
    const QByteArray entry = path.toLocal8Bit();
    const bool changed = !lines.contains(entry);
    if (changed) {
        lines.prepend(entry);
        if (lines.size() > MaxEntries)
            lines.removeLast();
    }
    paths = Shown(lines);
    return !changed || WriteFileAtomically(file, Joined(lines));
}

} // namespace RecentFilesList
