#include "GeneratedDisc.h"

#include "BlurayFixtures.h"
#include "MplsBuilder.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <QRandomGenerator>
#include <algorithm>

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The duration field of the last mark: ignored by both readers, so the copy
// reads the same but has a digest of its own.
QByteArray Variant(QByteArray bytes, quint32 serial)
{
    const quint32 markStart = qFromBigEndian<quint32>(bytes.constData() + 12);
    const quint16 marks = qFromBigEndian<quint16>(bytes.constData() + markStart + 4);
    const qint64 duration = qint64(markStart) + 6 + 14 * qint64(marks) - 4;
    if (marks > 0 && duration + 4 <= bytes.size())
        MplsBuilder::Put32(bytes, int(duration), serial);
    return bytes;
}

QByteArray LookAlike(const QStringList& clips, QRandomGenerator& random)
{
    QList<TestItem> items(3 + random.bounded(4));
    for (TestItem& item : items) {
        item.clip = clips.at(random.bounded(clips.size())).toLatin1();
        item.outTicks = 45000 * (60 + random.bounded(600));
        item.audio = {{0x81, "jpn"}};
    }
    items[2].clip = items[1].clip;
    return MplsBuilder::Build(items, {{1, 0, 0}, {1, 1, 0}});
}

QByteArray Damaged(const QByteArray& good, int kind, QRandomGenerator& random)
{
    QByteArray bytes = good;
    switch (kind % 4) {
    case 0: return bytes.left(random.bounded(int(bytes.size())));  // cut short
    case 1: bytes[0] = 'X'; return bytes;                          // not a playlist
    case 2: MplsBuilder::Put32(bytes, 8, 0x7FFFFFF0u); return bytes;  // playlist past the end
    default:
        for (int i = 0; i < 16; ++i)
            bytes[20 + random.bounded(int(bytes.size()) - 20)] = char(random.bounded(256));
        return bytes;  // scribbled over: may or may not still read
    }
}

// A playlist of its own: serial makes the first item's length unique.
QByteArray DistinctPlaylist(const QStringList& clips, quint32 serial, QRandomGenerator& random)
{
    static const QList<QByteArray> languages = {"eng", "fra", "deu", "jpn", "spa", "ita"};
    static const QList<quint8> audioCodecs = {0x80, 0x81, 0x83, 0x86};
    QList<TestItem> items(1 + random.bounded(5));
    for (int i = 0; i < items.size(); ++i) {
        TestItem& item = items[i];
        item.clip = clips.at(i % clips.size()).toLatin1();  // no two items share a clip
        item.inTicks = 45000 * quint32(random.bounded(60));
        item.outTicks = item.inTicks + 45000 * (60 + quint32(random.bounded(3600)));
        for (int a = random.bounded(1, 4); a > 0; --a)
            item.audio << TestStream{audioCodecs.at(random.bounded(audioCodecs.size())),
                                     languages.at(random.bounded(languages.size()))};
        for (int s = random.bounded(5); s > 0; --s)
            item.subtitles << TestStream{0x90, languages.at(random.bounded(languages.size()))};
    }
    items[0].outTicks += 45000 * serial;
    QList<TestMark> marks;
    for (int m = random.bounded(1, 21); m > 0; --m) {
        const int item = random.bounded(int(items.size()));
        marks << TestMark{1, quint16(item), items[item].inTicks + 45000 * quint32(random.bounded(60))};
    }
    return MplsBuilder::Build(items, marks);
}

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QStringList ClipNames(const QString& disc)
{
    QStringList clips;
    for (const QString& name : QDir(disc + "/BDMV/CLIPINF").entryList(QDir::Files, QDir::Name))
        clips << name.left(5);
    return clips;
}

} // namespace

bool GenerateDistinctDisc(const QString& baseDisc, const QString& target, int count)
{
    if (!CopyDiscTree(baseDisc, target))
        return false;
    const QString playlistFolder = target + "/BDMV/PLAYLIST/";
    for (const QString& name : QDir(playlistFolder).entryList(QDir::Files))
        QFile::remove(playlistFolder + name);
    QStringList clips = ClipNames(target);
    if (clips.isEmpty())
        return false;
    QRandomGenerator random(20260202);
    for (int i = 0; i < count; ++i) {
        std::shuffle(clips.begin(), clips.end(), random);
        if (!WriteFile(playlistFolder + QString::asprintf("%05d.mpls", i),
                       DistinctPlaylist(clips, quint32(i), random)))
            return false;
    }
    return true;
}

bool GenerateDisc(const QString& baseDisc, const QString& target, const GeneratedDiscMix& mix)
{
    if (!CopyDiscTree(baseDisc, target))
        return false;
    const QString playlistFolder = target + "/BDMV/PLAYLIST/";
    QList<QByteArray> originals;
    for (const QString& name : QDir(playlistFolder).entryList(QDir::Files, QDir::Name)) {
        originals << ReadAll(playlistFolder + name);
        QFile::remove(playlistFolder + name);
    }
    const QStringList clips = ClipNames(target);
    if (originals.isEmpty() || clips.isEmpty())
        return false;

    QList<int> kinds;
    kinds << QList<int>(mix.copies, 0) << QList<int>(mix.variants, 1)
          << QList<int>(mix.lookAlikes, 2) << QList<int>(mix.damaged, 3);
    QRandomGenerator random(20260101);
    std::shuffle(kinds.begin(), kinds.end(), random);
    for (int i = 0; i < kinds.size(); ++i) {
        const QByteArray& original = originals.at(random.bounded(originals.size()));
        QByteArray bytes;
        switch (kinds[i]) {
        case 0: bytes = original; break;
        case 1: bytes = Variant(original, quint32(i + 1)); break;
        case 2: bytes = LookAlike(clips, random); break;
        default: bytes = Damaged(original, i, random); break;
        }
        if (!WriteFile(playlistFolder + QString::asprintf("%05d.mpls", i), bytes))
            return false;
    }
    return true;
}
