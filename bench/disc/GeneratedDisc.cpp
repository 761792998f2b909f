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

} // namespace

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
    QStringList clips;
    for (const QString& name : QDir(target + "/BDMV/CLIPINF").entryList(QDir::Files, QDir::Name))
        clips << name.left(5);
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
        QFile file(playlistFolder + QString::asprintf("%05d.mpls", i));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return false;
    }
    return true;
}
