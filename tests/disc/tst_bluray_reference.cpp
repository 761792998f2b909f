// Every playlist of the real discs, read by CMplsReader and by libbluray.

#include "BlurayFixtures.h"
#include "disc/BlurayTitleList.h"
#include "MplsBuilder.h"
#include "disc/MplsReader.h"
#include "disc/TimeText.h"

#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <cstring>
#include <libbluray/bluray.h>

namespace {

// Where the player's reader deliberately differs from libbluray, by file.
const QMap<QString, QString> kKnownDifferences = {
    // Play items 2 and 3 name the same clip: a decoy of the main title.
    {"disc5/01001.mpls", "look-alike"},
};

// Title lists checked by hand against bd_list_titles, for the files listed in
// name order: "number file duration" in the disc page's order. Durations are
// sums of whole seconds per item, so 00000.mpls is 00:00:45 where libbluray
// rounds the whole title to 00:00:46.
const QMap<QString, QStringList> kTitlesInNameOrder = {
    {"disc1", {"3 00002.mpls 01:21:06", "8 00007.mpls 00:11:23", "6 00005.mpls 00:02:00",
               "7 00006.mpls 00:02:00", "5 00004.mpls 00:01:43", "9 00008.mpls 00:01:38",
               "4 00003.mpls 00:01:06", "1 00000.mpls 00:00:45", "11 00010.mpls 00:00:17",
               "10 00009.mpls 00:00:16", "2 00001.mpls 00:00:01"}},
    {"disc5", {"2 00001.mpls 02:05:04", "13 00012.mpls 02:04:50", "7 00006.mpls 00:01:01",
               "6 00005.mpls 00:00:53", "5 00004.mpls 00:00:44", "1 00000.mpls 00:00:35",
               "15 01000.mpls 00:00:33", "3 00002.mpls 00:00:32", "12 00011.mpls 00:00:32",
               "4 00003.mpls 00:00:31", "8 00007.mpls 00:00:31", "9 00008.mpls 00:00:17",
               "10 00009.mpls 00:00:17", "11 00010.mpls 00:00:17", "14 00100.mpls 00:00:14"}},
    {"disc10", {"3 00002.mpls 01:59:38", "4 00003.mpls 00:23:52", "5 00004.mpls 00:23:52",
                "6 00005.mpls 00:23:52", "1 00000.mpls 00:00:45", "2 00001.mpls 00:00:01"}},
};

QStringList TitleTexts(const BlurayDisc& disc)
{
    QStringList texts;
    for (const BlurayTitle& t : disc.titles)
        texts << QString("%1 %2 %3").arg(t.number).arg(t.fileName, t.durationText);
    return texts;
}

QString LibblurayMainTitle(BLURAY* bd)
{
    bd_get_titles(bd, TITLES_ALL, 0);
    const int main = bd_get_main_title(bd);
    BLURAY_TITLE_INFO* info = main < 0 ? nullptr : bd_get_title_info(bd, uint32_t(main), 0);
    if (!info)
        return QString();
    const QString name = QString::asprintf("%05u.mpls", info->playlist);
    bd_free_title_info(info);
    return name;
}

QString Describe(const BLURAY_STREAM_INFO& stream, const char* suffix)
{
    return LanguageName(QByteArray(reinterpret_cast<const char*>(stream.lang), 3)) +
           QLatin1String(suffix);
}

const char* AudioSuffix(quint8 codingType)
{
    switch (codingType) {
    case 0x80: return " LPCM";
    case 0x81: return " AC3";
    case 0x82: return " DTS";
    case 0x83: return " TRUEHD";
    case 0x84: case 0xA1: return " EAC3";
    case 0x85: return " DTS HD";
    case 0x86: return " DTS HD XLL";
    case 0xA2: return "";
    default: return nullptr;
    }
}

struct Expected {
    QList<PLAY_ITEM_INFO> items;
    QList<quint32> chapters;
    QList<STREAM_INFO> audio;
    QList<STREAM_INFO> subtitles;
    bool lookAlike = false;
    bool streamsChange = false;  // an earlier item lists other audio or subtitle streams than the last
};

bool SameStreams(const BLURAY_STREAM_INFO* a, int aCount, const BLURAY_STREAM_INFO* b, int bCount)
{
    if (aCount != bCount)
        return false;
    for (int i = 0; i < aCount; ++i) {
        if (a[i].coding_type != b[i].coding_type || std::memcmp(a[i].lang, b[i].lang, 3) != 0)
            return false;
    }
    return true;
}

// What the reader's rules make of what libbluray read. libbluray keeps
// 90 kHz times; the file holds 45 kHz ticks.
Expected FromLibbluray(const BLURAY_TITLE_INFO& info)
{
    Expected e;
    quint32 offset = 0;
    for (uint32_t i = 0; i < info.clip_count; ++i) {
        const BLURAY_CLIP_INFO& clip = info.clips[i];
        PLAY_ITEM_INFO item;
        item.inMs = quint32(clip.in_time / 2) / 45;
        item.durationMs = quint32(clip.out_time / 2) / 45 - item.inMs;
        item.offsetMs = offset;
        item.clipName = QString::fromLatin1(clip.clip_id);
        offset += item.durationMs;
        e.items << item;
    }
    for (uint32_t i = 0; i < info.mark_count; ++i) {
        const BLURAY_TITLE_MARK& mark = info.marks[i];
        if (mark.type != BLURAY_MARK_ENTRY || mark.clip_ref >= info.clip_count)
            continue;
        const BLURAY_CLIP_INFO& clip = info.clips[mark.clip_ref];
        const quint32 ticks = quint32((qint64(mark.start) - qint64(clip.start_time)) / 2 + clip.in_time / 2);
        const PLAY_ITEM_INFO& item = e.items.at(int(mark.clip_ref));
        e.chapters << quint32(item.offsetMs + ticks / 45 - item.inMs);
    }
    e.lookAlike = info.clip_count >= 3 && qstrcmp(info.clips[1].clip_id, info.clips[2].clip_id) == 0;
    if (info.clip_count == 0)
        return e;
    const BLURAY_CLIP_INFO& last = info.clips[info.clip_count - 1];
    for (uint32_t i = 0; i + 1 < info.clip_count; ++i) {
        const BLURAY_CLIP_INFO& clip = info.clips[i];
        if (!SameStreams(clip.audio_streams, clip.audio_stream_count, last.audio_streams, last.audio_stream_count) ||
            !SameStreams(clip.pg_streams, clip.pg_stream_count, last.pg_streams, last.pg_stream_count))
            e.streamsChange = true;
    }
    for (int i = 0; i < last.audio_stream_count; ++i) {
        const BLURAY_STREAM_INFO& s = last.audio_streams[i];
        if (const char* suffix = AudioSuffix(s.coding_type))
            e.audio << STREAM_INFO{Describe(s, suffix), QByteArray(reinterpret_cast<const char*>(s.lang), 3), s.coding_type, s.pid};
    }
    QList<STREAM_INFO> graphics, text;
    for (int i = 0; i < last.pg_stream_count; ++i) {
        const BLURAY_STREAM_INFO& s = last.pg_streams[i];
        // Text subtitles live in sub-paths' clips, where the reader gives no PID.
        const STREAM_INFO stream{Describe(s, ""), QByteArray(reinterpret_cast<const char*>(s.lang), 3), s.coding_type,
                                 quint16(s.coding_type == 0x92 ? 0 : s.pid)};
        if (s.coding_type == 0x90 || s.coding_type == 0x91)
            graphics << stream;
        else if (s.coding_type == 0x92)
            text << stream;
    }
    e.subtitles = graphics.isEmpty() ? text : graphics;
    return e;
}

QStringList ItemTexts(const QList<PLAY_ITEM_INFO>& items)
{
    QStringList texts;
    for (const PLAY_ITEM_INFO& item : items) {
        texts << QString("%1 in %2 offset %3 duration %4")
                     .arg(item.clipName.left(5)).arg(item.inMs).arg(item.offsetMs).arg(item.durationMs);
    }
    return texts;
}

QStringList StreamTexts(const QList<STREAM_INFO>& streams)
{
    QStringList texts;
    for (const STREAM_INFO& s : streams)
        texts << QString("%1 [%2 0x%3 pid 0x%4]").arg(s.description, QString::fromLatin1(s.language))
                     .arg(s.codingType, 2, 16, QLatin1Char('0')).arg(s.pid, 4, 16, QLatin1Char('0'));
    return texts;
}

struct DiscCopy {
    QTemporaryDir dir;
    QString folder;
};

} // namespace

class TestBlurayReference : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        discs_ = RequireSharedDiscs();
        for (const QString& name : SharedDiscNames(discs_)) {
            auto copy = std::make_shared<DiscCopy>();
            copy->folder = copy->dir.path() + "/" + name;
            QVERIFY(CopyDiscTree(discs_ + "/" + name, copy->folder));
            copies_.insert(name, copy);
        }
        QVERIFY(copies_.size() >= 10);
    }

    void playlistsAgreeWithLibbluray()
    {
        QStringList differences;
        int compared = 0;
        CMplsReader reader;
        for (auto it = copies_.cbegin(); it != copies_.cend(); ++it) {
            const QString folder = it.value()->folder;
            BLURAY* bd = bd_open(QFile::encodeName(folder).constData(), nullptr);
            QVERIFY2(bd, qPrintable(folder));
            const QString playlists = folder + "/BDMV/PLAYLIST/";
            for (const QString& name : QDir(playlists).entryList(QDir::Files, QDir::Name)) {
                const QString where = it.key() + "/" + name;
                QList<PLAY_ITEM_INFO> items;
                QList<STREAM_INFO> subtitles, audio;
                QList<quint32> chapters;
                const int code = reader.Read(playlists + name, items, subtitles, audio, chapters);
                BLURAY_TITLE_INFO* info = bd_get_playlist_info(bd, name.left(5).toUInt(), 0);
                if (!info || code != 0) {
                    differences << where + (info ? QString(": reader code %1").arg(code)
                                                 : QString(": libbluray cannot read it"));
                    if (info)
                        bd_free_title_info(info);
                    continue;
                }
                const Expected e = FromLibbluray(*info);
                bd_free_title_info(info);
                ++compared;
                QCOMPARE(chapters, e.chapters);
                if (e.lookAlike) {
                    differences << where + ": look-alike";
                    QVERIFY2(items.isEmpty() && audio.isEmpty() && subtitles.isEmpty(), qPrintable(where));
                    continue;
                }
                if (e.streamsChange)
                    differences << where + ": streams of the last item";
                QCOMPARE(ItemTexts(items), ItemTexts(e.items));
                for (const PLAY_ITEM_INFO& item : items)
                    QVERIFY2(item.clipName.mid(5) == ".M2TS", qPrintable(where + " " + item.clipName));
                QCOMPARE(StreamTexts(audio), StreamTexts(e.audio));
                QCOMPARE(StreamTexts(subtitles), StreamTexts(e.subtitles));
            }
            bd_close(bd);
        }
        qInfo("%d playlists compared", compared);
        QStringList known;
        for (auto it = kKnownDifferences.cbegin(); it != kKnownDifferences.cend(); ++it)
            known << it.key() + ": " + it.value();
        differences.sort();
        for (const QString& difference : differences)
            qInfo("%s", qPrintable(difference));
        QCOMPARE(differences, known);
    }

    void titleLists()
    {
        for (auto it = copies_.cbegin(); it != copies_.cend(); ++it) {
            const QString folder = it.value()->folder;
            const BlurayDisc disc = ReadBlurayDisc(folder);
            const QString where = it.key();
            QCOMPARE(disc.files.size(), int(QDir(folder + "/BDMV/PLAYLIST").entryList(QDir::Files).size()));
            QVERIFY2(!disc.titles.isEmpty(), qPrintable(where));
            // No real disc holds byte copies, so a title's number is one more
            // than the files with play items listed before it.
            QMap<QString, int> expectedNumbers;
            int readable = 0;
            for (const BlurayPlaylistFile& file : disc.files) {
                if (!file.playItems.isEmpty())
                    expectedNumbers.insert(file.fileName, ++readable);
            }
            QCOMPARE(disc.titles.size(), readable);
            for (int i = 0; i < disc.titles.size(); ++i) {
                const BlurayTitle& title = disc.titles[i];
                QCOMPARE(title.number, expectedNumbers.value(title.fileName));
                QVERIFY(title.digest.isEmpty());  // only a likely copy needs one
                QVERIFY2(title.durationSeconds <= disc.titles.first().durationSeconds, qPrintable(where));
                if (i > 0) {
                    const BlurayTitle& before = disc.titles[i - 1];
                    QVERIFY(before.durationSeconds > title.durationSeconds ||
                            (before.durationSeconds == title.durationSeconds && before.number < title.number));
                }
                QCOMPARE(FindBlurayTitle(disc, title.number), &title);
            }
            QCOMPARE(FindBlurayTitle(disc, 0), &disc.titles.first());

            // The main title is the one libbluray picks as well.
            BLURAY* bd = bd_open(QFile::encodeName(folder).constData(), nullptr);
            QVERIFY(bd);
            QCOMPARE(disc.titles.first().fileName, LibblurayMainTitle(bd));
            bd_close(bd);

            if (kTitlesInNameOrder.contains(where)) {
                const QString playlists = folder + "/BDMV/PLAYLIST/";
                QStringList paths;
                for (const QString& name : QDir(playlists).entryList(QDir::Files, QDir::Name))
                    paths << playlists + name;
                BlurayDisc named;
                ReadBlurayPlaylists(paths, named);
                QCOMPARE(TitleTexts(named), kTitlesInNameOrder.value(where));
            }
        }
        QCOMPARE(ReadBlurayDisc(copies_.value("disc10")->folder).name, QStringLiteral("TEST DISC 10"));
    }

    // Items and marks real discs do not hold, as libbluray reads them: an
    // OUT time before the IN time wraps as in libbluray, a mark before its
    // item's IN time starts the chapter with the item (libbluray wraps it).
    void oddItemsAsLibblurayReadsThem()
    {
        const QString folder = copies_.first()->folder;
        const QString playlists = folder + "/BDMV/PLAYLIST/";
        // libbluray wants the clip's information file: one of the disc's.
        const QStringList clips = QDir(folder + "/BDMV/CLIPINF").entryList(QDir::Files, QDir::Name);
        QVERIFY(!clips.isEmpty());
        TestItem backwards;
        backwards.clip = clips.first().left(5).toLatin1();
        backwards.inTicks = 600 * 45000;
        backwards.outTicks = 59 * 45000 + 12345;
        TestItem plain;
        plain.clip = backwards.clip;
        plain.inTicks = 90 * 45000;
        plain.outTicks = 390 * 45000;
        const QList<QPair<QString, QByteArray>> files = {
            {"09991.mpls", MplsBuilder::Build({backwards}, {{1, 0, 600 * 45000}})},
            {"09992.mpls", MplsBuilder::Build({plain, backwards}, {{1, 0, 90 * 45000}, {1, 1, 700 * 45000}})},
            {"09993.mpls", MplsBuilder::Build({plain}, {{1, 0, 10 * 45000}, {1, 0, 100 * 45000}})},
        };
        for (const auto& [name, bytes] : files) {
            QFile file(playlists + name);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
        BLURAY* bd = bd_open(QFile::encodeName(folder).constData(), nullptr);
        QVERIFY(bd);
        CMplsReader reader;
        for (const auto& [name, bytes] : files) {
            QList<PLAY_ITEM_INFO> items;
            QList<STREAM_INFO> subtitles, audio;
            QList<quint32> chapters;
            QCOMPARE(reader.Read(playlists + name, items, subtitles, audio, chapters), 0);
            BLURAY_TITLE_INFO* info = bd_get_playlist_info(bd, name.left(5).toUInt(), 0);
            QVERIFY2(info, qPrintable(name));
            QCOMPARE(FormatSeconds(qint64(PlayItemsSeconds(items))), FormatSeconds(qint64(info->duration / 90000)));
            QVERIFY2(std::is_sorted(chapters.cbegin(), chapters.cend()), qPrintable(name));
            QCOMPARE(chapters.size(), int(info->chapter_count));
            for (int i = 0; i < chapters.size(); ++i) {
                const quint64 library = info->chapters[i].start / 90;
                QVERIFY2(chapters[i] == library || library > PlayItemsSeconds(items) * 1000,
                         qPrintable(QString("%1 chapter %2: %3 against %4").arg(name).arg(i).arg(chapters[i]).arg(library)));
            }
            bd_free_title_info(info);
        }
        bd_close(bd);
    }

private:
    QString discs_;
    QMap<QString, std::shared_ptr<DiscCopy>> copies_;
};

QTEST_GUILESS_MAIN(TestBlurayReference)
#include "tst_bluray_reference.moc"
