// What a disc is: which shared discs are a series of episodes and where each
// episode starts (one row per disc, with what makes it so; then the same
// discs bent into the other shape and into decoys), and the identity by
// which a disc is remembered.

#include "BlurayFixtures.h"
#include "disc/BlurayTitleList.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

// How a row changes the disc's titles before the rule looks at them.
enum class Bend {
    None,
    DropLongest,   // the play-all playlist gone: only the episode playlists remain
    AddDecoys,     // 40 playlists of the longest title's first clip, same length, other in times
    KeepLongestOnly,
    DoubleBill,    // a second film as long as the longest title, of clips of its own
    OneClipCut,    // DropLongest, and every long item cut from one clip, one after the other
};

struct Row {
    const char* disc;
    Bend bend;
    BlurayEpisodes::Shape shape;
    QStringList starts;  // per episode: "file@start seconds+length seconds"
};

QList<BlurayTitle> Bent(QList<BlurayTitle> titles, Bend bend)
{
    if (bend == Bend::DropLongest || bend == Bend::OneClipCut)
        titles.removeFirst();
    quint32 cut = 0;
    for (BlurayTitle& title : titles) {
        for (PLAY_ITEM_INFO& item : title.playItems) {
            if (bend == Bend::OneClipCut && item.durationMs >= 20000) {
                item.clipName = "99999";
                item.inMs = cut;
                cut += item.durationMs;
            }
        }
    }
    if (bend == Bend::KeepLongestOnly)
        titles = {titles.first()};
    const BlurayTitle model = titles.first();
    for (int i = 0; i < (bend == Bend::AddDecoys ? 40 : bend == Bend::DoubleBill ? 1 : 0); ++i) {
        BlurayTitle other = model;
        other.number = 100 + i;
        other.fileName = QString("%1.mpls").arg(other.number, 5, 10, QChar('0'));
        other.playlistPath = "/other/" + other.fileName;
        for (PLAY_ITEM_INFO& item : other.playItems)
            item.clipName = bend == Bend::DoubleBill ? "9" + item.clipName.mid(1) : item.clipName;
        if (bend == Bend::AddDecoys)
            other.playItems = {{model.playItems[0].inMs + quint32(i + 1) * 1000, 0,
                                quint32(model.durationSeconds * 1000), model.playItems[0].clipName}};
        titles.append(other);
    }
    return titles;
}

QStringList Describe(const BlurayEpisodes& found)
{
    QStringList out;
    for (const BlurayEpisode& e : found.episodes)
        out << QString("%1@%2+%3").arg(QFileInfo(e.playlistPath).fileName()).arg(e.startMs / 1000)
                   .arg(e.durationMs / 1000);
    return out;
}

const BlurayEpisodes::Shape None = BlurayEpisodes::None;
const BlurayEpisodes::Shape One = BlurayEpisodes::OnePlaylist;
const BlurayEpisodes::Shape Separate = BlurayEpisodes::SeparatePlaylists;

const Row kRows[] = {
    // 00002 = clips 7, 8, 9 (1575, 1636, 1642 s) and a 13 s logo clip 10;
    // 17 chapters, one at each clip's start (0, 1575, 3211): three episodes
    // of about 27 minutes, each with the same chapter pattern. The other
    // playlists (1 s to 11 min) are extras.
    {"disc1", Bend::None, One, {"00002.mpls@0+1575", "00002.mpls@1575+1636", "00002.mpls@3211+1655"}},
    // 00002 = one clip of 5943 s and the logo: a film. 21 chapters.
    {"disc3", Bend::None, None, {}},
    // 00002 = one clip of 2644 s with 8 chapters; 00003 is 104 items of a
    // fraction of a second each (a menu's stills): a film.
    {"disc4", Bend::None, None, {}},
    // 00001 = clip 2 (7491 s) and a 13 s clip, 00012 = clip 2 again with
    // other in and out times: two cuts of one film, no episodes.
    {"disc5", Bend::None, None, {}},
    // 00002 = clip 6 (3475 s), clip 7 (3546 s), logo; chapters at 0 and 3475;
    // clip 6 is also 00003, 00004, 00006, 00007 (the same cut with other
    // subtitles) and clip 7 is 00005: two hour-long parts, each its own playlist.
    {"disc6", Bend::None, One, {"00002.mpls@0+3475", "00002.mpls@3475+3558"}},
    // As disc6: clips 6 (3549 s) and 7 (3591 s), also as 00003 and 00004.
    {"disc7", Bend::None, One, {"00002.mpls@0+3548", "00002.mpls@3548+3603"}},
    // As disc6: clips 6 (3212 s) and 7 (3564 s), also as 00003 and 00004
    // (00004 with a 6 s clip after it).
    {"disc8", Bend::None, One, {"00002.mpls@0+3212", "00002.mpls@3212+3576"}},
    // 00002 = clip 6 (5410 s) + logo, 00003 = clip 6 + a 119 s other ending:
    // a film in two versions.
    {"disc9", Bend::None, None, {}},
    // 00002 = clips 6 to 10 of 1433 s each and a 13 s logo, 31 chapters,
    // six per episode, one at each clip's start; 00003, 00004, 00005 are
    // clips 6, 7, 8 on their own: five 24-minute episodes.
    {"disc10", Bend::None, One,
     {"00002.mpls@0+1433", "00002.mpls@1433+1433", "00002.mpls@2866+1433", "00002.mpls@4299+1433",
      "00002.mpls@5732+1446"}},
    // 00002 = clips 6 to 11 of 1433 s each and the logo, 37 chapters, one at
    // each clip's start; no episode has a playlist of its own.
    {"disc11", Bend::None, One,
     {"00002.mpls@0+1433", "00002.mpls@1433+1433", "00002.mpls@2866+1433", "00002.mpls@4299+1433",
      "00002.mpls@5732+1432", "00002.mpls@7165+1446"}},
    // As disc10, with clips 7, 8, 9 as the single playlists 00003 to 00005.
    {"disc12", Bend::None, One,
     {"00002.mpls@0+1433", "00002.mpls@1433+1433", "00002.mpls@2866+1433", "00002.mpls@4299+1433",
      "00002.mpls@5732+1446"}},
    // 00002 = clips 6 to 11 (five of 1433 s, one of 1418 s) and the logo,
    // 38 chapters; 00003 and 00004 are clips 10 and 11. Three 92 s playlists
    // of their own clips (00005 to 00007) are previews, far from the main
    // content's length.
    {"disc13", Bend::None, One,
     {"00002.mpls@0+1433", "00002.mpls@1433+1433", "00002.mpls@2866+1433", "00002.mpls@4299+1433",
      "00002.mpls@5732+1433", "00002.mpls@7165+1431"}},
    // Films of one clip each, 5945 s and 5943 s, with 21 chapters.
    {"disc14", Bend::None, None, {}},
    {"disc15", Bend::None, None, {}},

    // Without the play-all playlist, disc10's three single-clip playlists of
    // 1432 s with 7 chapters each are the episodes, in file-name order.
    {"disc10", Bend::DropLongest, Separate, {"00003.mpls@0+1432", "00004.mpls@0+1432", "00005.mpls@0+1432"}},
    // The same three as stretches of one clip, one after the other.
    {"disc10", Bend::OneClipCut, Separate, {"00003.mpls@0+1432", "00004.mpls@0+1432", "00005.mpls@0+1432"}},
    // disc6 without it: 00003/4/6/7 are one cut of clip 6 (counted once),
    // 00005 is clip 7, 3476 s and 3544 s, 7 chapters each.
    {"disc6", Bend::DropLongest, Separate, {"00003.mpls@0+3476", "00005.mpls@0+3544"}},
    // disc7 without it: 00003 (3549 s, 6 chapters), 00004 (3589 s, 7 chapters).
    {"disc7", Bend::DropLongest, Separate, {"00003.mpls@0+3549", "00004.mpls@0+3589"}},
    // Two feature-length playlists of their own clips (disc3's film and one
    // like it) are a double bill, not two episodes.
    {"disc3", Bend::DoubleBill, None, {}},
    // Two halves in one playlist with no playlist of their own: as likely a
    // film split at its layer break.
    {"disc7", Bend::KeepLongestOnly, None, {}},
    // Three or more alike clips in one playlist need no other playlist.
    {"disc1", Bend::KeepLongestOnly, One, {"00002.mpls@0+1575", "00002.mpls@1575+1636", "00002.mpls@3211+1655"}},
    // Dozens of equal-length playlists cut from the same clip: nothing.
    {"disc10", Bend::AddDecoys, None, {}},
    {"disc3", Bend::AddDecoys, None, {}},
};

} // namespace

class TestEpisodeRule : public QObject {
    Q_OBJECT

private slots:
    void sharedDiscs()
    {
        const QString discs = RequireSharedDiscs();
        QHash<QString, BlurayDisc> read;
        for (const Row& row : kRows) {
            if (!read.contains(row.disc))
                read.insert(row.disc, ReadBlurayDisc(discs + "/" + row.disc));
            const BlurayDisc& disc = read[row.disc];
            QVERIFY2(!disc.titles.isEmpty(), row.disc);
            const BlurayEpisodes found =
                row.bend == Bend::None ? disc.episodes : FindEpisodes(Bent(disc.titles, row.bend));
            const QString where = QString("%1 bend %2").arg(row.disc).arg(int(row.bend));
            QVERIFY2(found.shape == row.shape, qPrintable(where + " shape " + QString::number(found.shape)));
            QVERIFY2(Describe(found) == row.starts, qPrintable(where + ": " + Describe(found).join(' ')));
        }
        // Every shared disc has its row.
        for (const QString& name : SharedDiscNames(discs))
            QVERIFY2(read.contains(name), qPrintable(name));
    }

    // A disc is known by its own files wherever it is: a copy elsewhere is
    // the same disc; disc15 is disc3 with a disc name added (META alone
    // differs), so it is the same disc too; every other shared disc is
    // another. Without its navigation files it is still told apart.
    void identity()
    {
        const QString discs = RequireSharedDiscs();
        QHash<QByteArray, QStringList> byIdentity;
        for (const QString& name : SharedDiscNames(discs)) {
            const QByteArray identity = ReadBlurayDisc(discs + "/" + name).identity;
            QCOMPARE(identity.size(), 64);
            byIdentity[identity] << name;
        }
        for (const QStringList& names : std::as_const(byIdentity))
            QVERIFY2(names.size() == 1 || names == QStringList({"disc3", "disc15"}), qPrintable(names.join(' ')));

        QTemporaryDir copy;
        const QString folder = copy.filePath("elsewhere/disc3");
        QVERIFY(CopyDiscTree(discs + "/disc3", folder));
        const QByteArray original = ReadBlurayDisc(discs + "/disc3/").identity;
        QCOMPARE(ReadBlurayDisc(folder).identity, original);
        QVERIFY(QFile::remove(folder + "/BDMV/index.bdmv") && QFile::remove(folder + "/BDMV/MovieObject.bdmv"));
        const QByteArray bare = ReadBlurayDisc(folder).identity;
        QVERIFY(!bare.isEmpty() && bare != original);
        QVERIFY(ReadBlurayDisc(copy.filePath("nothing")).identity.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestEpisodeRule)
#include "tst_episode_rule.moc"
