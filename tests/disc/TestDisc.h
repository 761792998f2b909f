#pragma once

// Small Blu-ray folders made on the spot: playlists of a given length and a
// disc folder to put them in.

#include "MplsBuilder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

// One play item of the given length in seconds, with an entry mark at each
// of the chapters' seconds.
inline QByteArray ChapteredPlaylist(const QByteArray& clip, quint32 seconds, const QList<quint32>& chapters,
                                    const QList<TestStream>& audio, const QList<TestStream>& subtitles = {})
{
    TestItem item;
    item.clip = clip;
    item.outTicks = seconds * 45000;
    item.audio = audio;
    item.subtitles = subtitles;
    QList<TestMark> marks;
    for (quint32 start : chapters)
        marks.append(TestMark{1, 0, start * 45000});
    return MplsBuilder::Build({item}, marks);
}

// Writes a file of a disc made on the spot, its folders first.
inline bool WriteDiscFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A playlist of the given length in seconds, split into items of at most 20 hours.
inline QByteArray Playlist(qint64 seconds, const QByteArray& clip = "00001", int marks = 0)
{
    QList<TestItem> items;
    int clipNumber = clip.toInt();
    do {
        TestItem item;
        item.clip = QByteArray::number(clipNumber++).rightJustified(5, '0');
        const qint64 part = qMin<qint64>(seconds, 20 * 3600);
        item.outTicks = quint32(part * 45000);
        item.audio = {{0x81, "eng"}};
        items << item;
        seconds -= part;
    } while (seconds > 0);
    QList<TestMark> markList;
    for (int i = 0; i < marks; ++i)
        markList << TestMark{1, 0, quint32(i * 45000)};
    return MplsBuilder::Build(items, markList);
}

// A Blu-ray folder with BDMV/PLAYLIST (and BDMV/STREAM when asked) in a
// temporary folder removed with it.
class TestDisc {
public:
    explicit TestDisc(bool withStream = false)
    {
        QDir(dir_.path()).mkpath("BDMV/PLAYLIST");
        if (withStream)
            QDir(dir_.path()).mkpath("BDMV/STREAM");
    }
    QString Folder() const { return dir_.path(); }
    QString Playlists() const { return dir_.path() + "/BDMV/PLAYLIST/"; }
    QString MetadataFolder() const { return dir_.path() + "/BDMV/META/DL/"; }

    QString Add(const QString& name, const QByteArray& bytes) const
    {
        return Write(Playlists() + name, bytes);
    }
    QString Metadata(const QByteArray& xml) const
    {
        QDir(dir_.path()).mkpath("BDMV/META/DL");
        return Write(MetadataFolder() + "bdmt_eng.xml", xml);
    }
    static QString Write(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
        return path;
    }

private:
    QTemporaryDir dir_;
};
