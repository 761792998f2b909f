// The disc page's extras: Resume where the disc was left, and on a disc of
// episodes Play All and the Episodes popup; Play All goes on to the next
// episode at the end of one, and Next and Previous step across them.
#include "ui/DRUI.h"

#include "ui/MenuEntries.h"
#include "ui/Styles.h"

#include "disc/TimeText.h"
#include "lang/CLanguageMgr.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

namespace {

const BlurayTitle *TitleNumbered(const QList<BlurayTitle> &titles, int number)
{
    for (const BlurayTitle &title : titles) {
        if (title.number == number)
            return &title;
    }
    return nullptr;
}

// The title a disc's remembered place is in: the main title (0) or the one
// of that number; none when it is no longer there.
const BlurayTitle *RememberedTitle(const QList<BlurayTitle> &titles, const ResumeStore::Entry *entry)
{
    if (!entry)
        return nullptr;
    if (entry->title == 0)
        return titles.isEmpty() ? nullptr : &titles.first();
    return TitleNumbered(titles, entry->title);
}

} // namespace

void DRUI::OfferDiscResume()
{
    discResumeAction->setVisible(false);
    const ResumeStore::Entry *entry = RememberedFor(ResumeStore::DiscKey(discIdentity));
    // A title that is no longer there, or a place past its end: nothing to resume.
    const BlurayTitle *title = RememberedTitle(titleOrder, entry);
    if (!title)
        return;
    const qint64 at = ResumeStore::ResumeAtMs(entry->positionMs, title->durationSeconds * 1000);
    if (at <= 0)
        return;
    discResumeAction->setText(Text("MainWnd/ResumeAt").arg(FormatSeconds(at / 1000)));
    discResumeAction->setVisible(true);
}

void DRUI::BuildEpisodeEntries()
{
    playAllEpisodes.clear();
    const bool episodes = discEpisodes.shape != BlurayEpisodes::None;
    discPlayAllAction->setVisible(episodes);
    discEpisodesAction->setVisible(episodes);
    QMenu *popup = DiscPopup(discEpisodesAction);
    for (int k = 1; k <= discEpisodes.episodes.size(); ++k) {
        const BlurayEpisode &episode = discEpisodes.episodes[k - 1];
        popup->addAction(Text("MainWnd/EpisodeNumber").arg(k).arg(FormatSeconds(episode.durationMs / 1000)))
            ->setData(k - 1);
    }
}

// Resume, Play All and the Episodes popup set what plays here; false for
// every other entry of the disc page.
bool DRUI::ChooseDiscExtra(QAction *action)
{
    const bool episode = discEpisodesAction->menu()
                         && action->associatedObjects().contains(discEpisodesAction->menu());
    // Any choice on the page ends a Play All under way.
    playAllEpisodes.clear();
    if (action != discResumeAction && action != discPlayAllAction && !episode)
        return false;
    if (action == discResumeAction) {
        const ResumeStore::Entry *entry = RememberedFor(ResumeStore::DiscKey(discIdentity));
        const BlurayTitle *title = RememberedTitle(titleOrder, entry);
        if (!title)
            return true;
        // Carrying on with a series goes on to the episodes after this one.
        playAllAt = -1;
        for (int k = 0; k < discEpisodes.episodes.size(); ++k) {
            if (discEpisodes.shape == BlurayEpisodes::SeparatePlaylists
                && discEpisodes.episodes[k].playlistPath == title->playlistPath)
                playAllAt = k;
        }
        if (playAllAt >= 0)
            playAllEpisodes = discEpisodes.episodes;
        PlayDiscTitle(*title, ResumeStore::ResumeAtMs(entry->positionMs, title->durationSeconds * 1000), entry->audio,
                      entry->subtitle);
        return true;
    }
    if (discEpisodes.episodes.isEmpty())
        return true;
    const int first = episode ? action->data().toInt() : 0;
    if (action == discPlayAllAction && discEpisodes.shape == BlurayEpisodes::SeparatePlaylists)
        playAllEpisodes = discEpisodes.episodes;
    PlayEpisode(first);
    return true;
}

void DRUI::PlayEpisode(int index)
{
    if (index < 0 || index >= discEpisodes.episodes.size())
        return;
    playAllAt = index;
    const BlurayEpisode &episode = discEpisodes.episodes[index];
    const BlurayTitle *title = TitleNumbered(titleOrder, episode.titleNumber);
    if (title)
        PlayDiscTitle(*title, episode.startMs, -1, -1);
}

// The next episode of Play All, when the one that ended is one of them.
bool DRUI::PlayAllGoesOn(int step)
{
    const int next = playAllAt + step;
    if (playAllEpisodes.isEmpty() || playAllAt < 0 || playAllAt >= playAllEpisodes.size()
        || playAllEpisodes[playAllAt].playlistPath != pick.currentTitle || next < 0 || next >= playAllEpisodes.size())
        return false;
    const QList<BlurayEpisode> keep = playAllEpisodes;
    PlayEpisode(next);
    playAllEpisodes = keep;
    return true;
}

void DRUI::ShowResumedSign(qint64 positionMs)
{
    startOverButton->setText(Text("MainWnd/ResumedStartOver").arg(FormatSeconds(positionMs / 1000)));
    startOverButton->setToolTip(startOverButton->text());
    startOverButton->show();
    constexpr int ShownMs = 15000;
    const int shown = ++resumedSigns;
    QTimer::singleShot(ShownMs, startOverButton, [this, shown] {
        if (shown == resumedSigns)
            startOverButton->hide();
    });
}

void DRUI::StartOver()
{
    startOverButton->hide();
    if (!engine->isActive())
        return;
    SeekToSecond(0);
    seekSlider->setValue(0);
}

void DRUI::PlayDiscTitle(const BlurayTitle &title, qint64 startMs, int audio, int subtitle)
{
    // The streams chosen then are the title's choices, which the start takes.
    if (BlurayTitleEntry *entry = discTitles.find(title.playlistPath)) {
        if (audio >= 0)
            entry->audioChoice = audio;
        if (subtitle >= 0)
            entry->subtitleChoice = subtitle;
    }
    AskToPlay(PlayRequest{PlayAsk::TitleAt, title.playlistPath, int(startMs / 1000)});
}
