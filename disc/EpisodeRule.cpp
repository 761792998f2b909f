#include "disc/EpisodeRule.h"

#include "disc/BlurayTitleList.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <cstdlib>

namespace {

// Menu loops, logos and previews are shorter than this; any programme is longer.
constexpr qint64 kMinEpisodeMs = 20 * 1000;
// Two separate playlists longer than this are a double bill of films.
constexpr qint64 kMaxPairedEpisodeMs = 70 * 60 * 1000;
// A chapter mark this close to where an episode begins counts as its start.
constexpr qint64 kChapterSlackMs = 2000;

qint64 TotalMs(const QList<PLAY_ITEM_INFO>& items)
{
    qint64 total = 0;
    for (const PLAY_ITEM_INFO& item : items)
        total += item.durationMs;
    return total;
}

// Indexes of the items that can carry an episode: at least half as long as
// the longest item, and not tiny.
QList<qsizetype> LongItems(const QList<PLAY_ITEM_INFO>& items)
{
    quint32 longest = 0;
    for (const PLAY_ITEM_INFO& item : items)
        longest = std::max(longest, item.durationMs);
    QList<qsizetype> indexes;
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (items[i].durationMs >= kMinEpisodeMs && 2 * qint64(items[i].durationMs) >= longest)
            indexes.append(i);
    }
    return indexes;
}

// Whether no length is more than num/den times another.
bool Alike(const QList<qint64>& lengths, qint64 num, qint64 den)
{
    if (lengths.isEmpty())
        return false;
    const auto [lo, hi] = std::minmax_element(lengths.cbegin(), lengths.cend());
    return *lo > 0 && *hi * den <= *lo * num;
}

bool HasChapterBetween(const QList<quint32>& chapters, qint64 from, qint64 to)
{
    return std::any_of(chapters.cbegin(), chapters.cend(), [&](quint32 t) {
        return qint64(t) >= from - kChapterSlackMs && qint64(t) <= to + kChapterSlackMs;
    });
}

QString ContentKey(const QList<PLAY_ITEM_INFO>& items)
{
    QString key;
    for (const PLAY_ITEM_INFO& item : items)
        key += item.clipName + QLatin1Char(':') + QString::number(item.inMs) + QLatin1Char('+')
             + QString::number(item.durationMs) + QLatin1Char(';');
    return key;
}

// The item of a playlist of exactly one episode that carries it; none otherwise.
const PLAY_ITEM_INFO* SingleEpisodeItem(const BlurayTitle& title)
{
    const QList<qsizetype> long_ = LongItems(title.playItems);
    if (long_.size() != 1 || TotalMs(title.playItems) < kMinEpisodeMs)
        return nullptr;
    return &title.playItems[long_.first()];
}

QString SingleEpisodeClip(const BlurayTitle& title)
{
    const PLAY_ITEM_INFO* item = SingleEpisodeItem(title);
    return item ? item->clipName : QString();
}

// Whether [in, in + duration) of a clip meets a stretch already taken.
bool Overlaps(const QList<const PLAY_ITEM_INFO*>& taken, const PLAY_ITEM_INFO& item)
{
    return std::any_of(taken.cbegin(), taken.cend(), [&item](const PLAY_ITEM_INFO* other) {
        return qint64(item.inMs) < qint64(other->inMs) + other->durationMs
            && qint64(other->inMs) < qint64(item.inMs) + item.durationMs;
    });
}

const BlurayTitle* Longest(const QList<BlurayTitle>& titles)
{
    const BlurayTitle* longest = nullptr;
    qint64 longestMs = -1;
    for (const BlurayTitle& title : titles) {
        const qint64 ms = TotalMs(title.playItems);
        if (ms > longestMs || (ms == longestMs && title.fileName < longest->fileName)) {
            longest = &title;
            longestMs = ms;
        }
    }
    return longest;
}

// Another title of nearly the same length that uses one of the same clips in
// another way: the longest playlist is then one of several candidates (the
// decoys of copy-protected discs) and cannot be vouched for.
bool HasRival(const QList<BlurayTitle>& titles, const BlurayTitle& main, const QSet<QString>& clips)
{
    const qint64 mainMs = TotalMs(main.playItems);
    const QString mainKey = ContentKey(main.playItems);
    for (const BlurayTitle& title : titles) {
        if (&title == &main || std::abs(TotalMs(title.playItems) - mainMs) * 50 > mainMs)
            continue;
        const bool shares = std::any_of(title.playItems.cbegin(), title.playItems.cend(),
                                        [&](const PLAY_ITEM_INFO& item) { return clips.contains(item.clipName); });
        if (shares && ContentKey(title.playItems) != mainKey)
            return true;
    }
    return false;
}

BlurayEpisodes OnePlaylist(const QList<BlurayTitle>& titles, const BlurayTitle& main)
{
    const QList<PLAY_ITEM_INFO>& items = main.playItems;
    const QList<qsizetype> long_ = LongItems(items);
    if (long_.size() < 2)
        return {};
    QList<qint64> lengths;
    QSet<QString> clips;
    qint64 covered = 0;
    for (const qsizetype i : long_) {
        lengths.append(items[i].durationMs);
        clips.insert(items[i].clipName);
        covered += items[i].durationMs;
    }
    if (clips.size() != long_.size() || !Alike(lengths, 3, 2) || covered * 5 < TotalMs(items) * 4)
        return {};
    if (long_.size() == 2) {
        const bool ownPlaylist = std::any_of(titles.cbegin(), titles.cend(), [&](const BlurayTitle& t) {
            return &t != &main && clips.contains(SingleEpisodeClip(t));
        });
        if (!ownPlaylist)
            return {};
    }
    if (HasRival(titles, main, clips))
        return {};

    BlurayEpisodes found;
    found.shape = BlurayEpisodes::OnePlaylist;
    qsizetype first = 0;  // the first item of the episode being built
    for (qsizetype k = 0; k < long_.size(); ++k) {
        const PLAY_ITEM_INFO& core = items[long_[k]];
        const qsizetype last = k + 1 < long_.size() ? long_[k + 1] - 1 : items.size() - 1;
        const qint64 start = items[first].offsetMs;
        if (!HasChapterBetween(main.chapters, start, core.offsetMs))
            return {};
        BlurayEpisode episode;
        episode.playlistPath = main.playlistPath;
        episode.titleNumber = main.number;
        episode.startMs = quint32(start);
        episode.durationMs = quint32(qint64(items[last].offsetMs) + items[last].durationMs - start);
        found.episodes.append(episode);
        first = long_[k] + 1;
    }
    return found;
}

BlurayEpisodes SeparatePlaylists(const QList<BlurayTitle>& titles, const BlurayTitle& main)
{
    const qint64 mainMs = TotalMs(main.playItems);
    if (SingleEpisodeClip(main).isEmpty())
        return {};
    // Versions of one playlist that differ only in streams count once: the
    // first in file-name order.
    QList<const BlurayTitle*> sorted;
    for (const BlurayTitle& title : titles)
        sorted.append(&title);
    std::sort(sorted.begin(), sorted.end(),
              [](const BlurayTitle* a, const BlurayTitle* b) { return a->fileName < b->fileName; });
    QSet<QString> keys;
    QHash<QString, QList<const PLAY_ITEM_INFO*>> clipUses;
    QList<const BlurayTitle*> members;
    for (const BlurayTitle* title : sorted) {
        const qint64 ms = TotalMs(title->playItems);
        const PLAY_ITEM_INFO* item = SingleEpisodeItem(*title);
        if (!item || ms * 5 < mainMs * 4)
            continue;
        if (keys.contains(ContentKey(title->playItems)))
            continue;
        keys.insert(ContentKey(title->playItems));
        // Episodes may be stretches of one clip, one after the other; a
        // stretch cut twice is decoys, or versions of one episode.
        QList<const PLAY_ITEM_INFO*>& taken = clipUses[item->clipName];
        if (Overlaps(taken, *item))
            return {};
        taken.append(item);
        members.append(title);
    }
    if (members.size() < 2)
        return {};
    if (members.size() == 2
        && (std::abs(members[0]->chapters.size() - members[1]->chapters.size()) > 2 || mainMs > kMaxPairedEpisodeMs))
        return {};
    BlurayEpisodes found;
    found.shape = BlurayEpisodes::SeparatePlaylists;
    for (const BlurayTitle* title : members) {
        BlurayEpisode episode;
        episode.playlistPath = title->playlistPath;
        episode.titleNumber = title->number;
        episode.durationMs = quint32(TotalMs(title->playItems));
        found.episodes.append(episode);
    }
    return found;
}

} // namespace

BlurayEpisodes FindEpisodes(const QList<BlurayTitle>& titles)
{
    const BlurayTitle* main = Longest(titles);
    if (!main)
        return {};
    BlurayEpisodes found = OnePlaylist(titles, *main);
    if (found.shape == BlurayEpisodes::None)
        found = SeparatePlaylists(titles, *main);
    return found;
}

int EpisodeAt(const BlurayEpisodes& found, const QString& playlistPath, qint64 positionMs)
{
    int at = -1;
    for (int k = 0; k < found.episodes.size(); ++k) {
        const BlurayEpisode& episode = found.episodes[k];
        if (episode.playlistPath == playlistPath && (at < 0 || positionMs >= qint64(episode.startMs)))
            at = k;
    }
    return at;
}
