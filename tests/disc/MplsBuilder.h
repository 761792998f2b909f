#pragma once

// Writes Blu-ray movie playlists in the published layout (header, AppInfo,
// PlayList, PlayListMark) so that tests and benchmarks can make the files they
// need, libbluray reading them as well as the player.

#include <QByteArray>
#include <QList>
#include <QtEndian>

struct TestStream {
    quint8 codingType = 0x81;
    QByteArray language = "eng";
    quint8 audioFormat = 0;  // presentation type: 1 mono, 3 stereo, 6 multichannel
};

struct TestItem {
    QByteArray clip = "00001";
    QByteArray codec = "M2TS";
    quint32 inTicks = 0;
    quint32 outTicks = 45000;
    int videoEntries = 1;        // H.264 entries written
    int declaredVideo = -1;      // overrides the video count field when >= 0
    QList<TestStream> audio;
    QList<TestStream> subtitles; // presentation graphics (0x90) or text (0x92)
    quint8 angles = 0;           // > 0 sets the multi-angle flag
    quint8 connection = 1;       // connection condition: 1, 5 or 6 on real discs
};

struct TestMark {
    quint8 type = 1;  // 1 entry mark, 2 link point
    quint16 item = 0;
    quint32 ticks = 0;
};

class MplsBuilder {
public:
    static QByteArray Build(const QList<TestItem>& items, const QList<TestMark>& marks)
    {
        QByteArray appInfo(4 + 14, '\0');
        Put32(appInfo, 0, 14);
        appInfo[5] = 1;  // sequential playback

        QByteArray list(10, '\0');
        Put16(list, 6, quint16(items.size()));
        for (const TestItem& item : items)
            list += Item(item);
        Put32(list, 0, quint32(list.size() - 4));

        QByteArray markSection(6, '\0');
        Put16(markSection, 4, quint16(marks.size()));
        for (const TestMark& mark : marks) {
            QByteArray entry(14, '\0');
            entry[1] = char(mark.type);
            Put16(entry, 2, mark.item);
            Put32(entry, 4, mark.ticks);
            Put16(entry, 8, 0xFFFF);
            markSection += entry;
        }
        Put32(markSection, 0, quint32(markSection.size() - 4));

        QByteArray file("MPLS0200");
        file.append(32, '\0');
        const int listStart = file.size() + appInfo.size();
        Put32(file, 8, quint32(listStart));
        Put32(file, 12, quint32(listStart + list.size()));
        return file + appInfo + list + markSection;
    }

    static void Put16(QByteArray& bytes, int at, quint16 value)
    {
        qToBigEndian(value, reinterpret_cast<uchar*>(bytes.data()) + at);
    }
    static void Put32(QByteArray& bytes, int at, quint32 value)
    {
        qToBigEndian(value, reinterpret_cast<uchar*>(bytes.data()) + at);
    }

private:
    static QByteArray Stream(quint8 codingType, const QByteArray& language, quint16 pid,
                             quint8 audioFormat = 0)
    {
        QByteArray entry(10, '\0');  // stream entry: length 9, type 1 (play item), PID
        entry[0] = 9;
        entry[1] = 1;
        Put16(entry, 2, pid);
        QByteArray attributes(6, '\0');
        attributes[0] = 5;
        attributes[1] = char(codingType);
        const bool graphics = codingType == 0x90 || codingType == 0x91;
        const bool video = codingType == 0x02 || codingType == 0x1B || codingType == 0xEA;
        if (!video)
            attributes.replace(graphics ? 2 : 3, 3, language.left(3).leftJustified(3, '\0'));
        if (!video && !graphics && codingType != 0x92)
            attributes[2] = char(audioFormat << 4);
        return entry + attributes;
    }

    static QByteArray Item(const TestItem& item)
    {
        QByteArray bytes(34, '\0');
        bytes.replace(2, 5, item.clip.left(5).leftJustified(5, '\0'));
        bytes.replace(7, 4, item.codec.left(4).leftJustified(4, '\0'));
        bytes[12] = char((item.angles > 0 ? 0x10 : 0) | (item.connection & 0x0F));
        Put32(bytes, 14, item.inTicks);
        Put32(bytes, 18, item.outTicks);
        if (item.angles > 0) {
            bytes += char(item.angles);
            bytes += char(0);
            for (int angle = 1; angle < item.angles; ++angle)
                bytes += QByteArray("00099M2TS") + char(0);
        }
        QByteArray table(16, '\0');
        table[4] = char(item.declaredVideo >= 0 ? item.declaredVideo : item.videoEntries);
        table[5] = char(item.audio.size());
        table[6] = char(item.subtitles.size());
        quint16 pid = 0x1011;
        for (int i = 0; i < item.videoEntries; ++i)
            table += Stream(0x1B, QByteArray(), pid++);
        for (const TestStream& stream : item.audio)
            table += Stream(stream.codingType, stream.language, pid++, stream.audioFormat);
        for (const TestStream& stream : item.subtitles)
            table += Stream(stream.codingType, stream.language, pid++);
        Put16(table, 0, quint16(table.size() - 2));
        bytes += table;
        Put16(bytes, 0, quint16(bytes.size() - 2));
        return bytes;
    }
};
