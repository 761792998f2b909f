#include "disc/BlurayTitleState.h"

void BlurayTitleState::load(const BlurayDisc &disc)
{
    numbers.clear();
    playItems.clear();
    subtitles.clear();
    audio.clear();
    chapters.clear();
    for (const BlurayTitle &title : disc.titles) {
        const QString &path = title.playlistPath;
        numbers[path] = title.number;
        playItems[path] = title.playItems;
        subtitles[path] = title.subtitles;
        audio[path] = title.audio;
        chapters[path] = title.chapters;
        audioChoice[path] = title.audio.isEmpty() ? 0 : 1;
        subtitleChoice[path] = 0;
        discRoot[path] = disc.folder;
    }
}

qint64 BlurayTitleState::lengthSeconds(const QString &title) const
{
    return PlayItemsSeconds(playItems.value(title));
}
