#include "disc/BlurayTitleState.h"

#include <utility>

BlurayTitleState BlurayTitleState::ForDisc(const BlurayDisc &disc)
{
    BlurayTitleState state;
    const qsizetype n = disc.titles.size();
    for (QHash<QString, int> *table : {&state.numbers, &state.audioChoice, &state.subtitleChoice})
        table->reserve(n);
    state.discRoot.reserve(n);
    state.playItems.reserve(n);
    state.subtitles.reserve(n);
    state.audio.reserve(n);
    state.chapters.reserve(n);
    for (const BlurayTitle &title : disc.titles) {
        const QString &path = title.playlistPath;
        state.numbers[path] = title.number;
        state.playItems[path] = title.playItems;
        state.subtitles[path] = title.subtitles;
        state.audio[path] = title.audio;
        state.chapters[path] = title.chapters;
        state.audioChoice[path] = title.audio.isEmpty() ? 0 : 1;
        state.subtitleChoice[path] = 0;
        state.discRoot[path] = disc.folder;
    }
    return state;
}

BlurayTitleState BlurayTitleState::take(const BlurayTitleState &disc)
{
    BlurayTitleState replaced;
    replaced.numbers = std::exchange(numbers, disc.numbers);
    replaced.playItems = std::exchange(playItems, disc.playItems);
    replaced.subtitles = std::exchange(subtitles, disc.subtitles);
    replaced.audio = std::exchange(audio, disc.audio);
    replaced.chapters = std::exchange(chapters, disc.chapters);
    // The first disc's tables are shared as they are; later ones join what
    // the earlier discs left.
    const auto keep = [](auto &mine, const auto &theirs) {
        if (mine.isEmpty())
            mine = theirs;
        else
            mine.insert(theirs);
    };
    keep(audioChoice, disc.audioChoice);
    keep(subtitleChoice, disc.subtitleChoice);
    keep(discRoot, disc.discRoot);
    return replaced;
}

qint64 BlurayTitleState::lengthSeconds(const QString &title) const
{
    return PlayItemsSeconds(playItems.value(title));
}
