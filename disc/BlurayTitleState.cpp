#include "disc/BlurayTitleState.h"

#include <utility>

BlurayTitleState BlurayTitleState::ForDisc(const BlurayDisc &disc)
{
    BlurayTitleState state;
    Titles &titles = state.discs[disc.folder];
    titles.reserve(disc.titles.size());
    for (const BlurayTitle &title : disc.titles) {
        BlurayTitleEntry &entry = titles[title.playlistPath];
        entry.number = title.number;
        entry.discRoot = disc.folder;
        entry.playItems = title.playItems;
        entry.subtitles = title.subtitles;
        entry.audio = title.audio;
        entry.chapters = title.chapters;
        entry.audioChoice = title.audio.isEmpty() ? 0 : 1;
    }
    return state;
}

BlurayTitleState BlurayTitleState::take(const BlurayTitleState &disc)
{
    BlurayTitleState replaced;
    for (auto it = disc.discs.cbegin(); it != disc.discs.cend(); ++it) {
        Titles &mine = discs[it.key()];
        replaced.discs.insert(it.key(), std::exchange(mine, it.value()));
    }
    return replaced;
}

const BlurayTitleEntry *BlurayTitleState::find(const QString &title) const
{
    // A few discs at most, each looked up directly.
    for (const Titles &titles : discs) {
        const auto it = titles.constFind(title);
        if (it != titles.constEnd())
            return &*it;
    }
    return nullptr;
}

BlurayTitleEntry *BlurayTitleState::find(const QString &title)
{
    for (Titles &titles : discs) {
        const auto it = titles.find(title);
        if (it != titles.end())
            return &*it;
    }
    return nullptr;
}

qint64 BlurayTitleState::lengthSeconds(const QString &title) const
{
    const BlurayTitleEntry *entry = find(title);
    return entry ? PlayItemsSeconds(entry->playItems) : 0;
}
