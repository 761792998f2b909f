#include "engine/PlayDecision.h"

#include "ui/PlayListInfo.h"

namespace {

using Act = PlayOutcome::Act;

PlayOutcome Start(const TitlePick &pick, const BlurayTitleState &titles)
{
    PlayOutcome outcome{Act::StartTitle, pick};
    if (pick.currentTitle.isEmpty())
        return PlayOutcome{Act::Nothing, pick};
    if (const BlurayTitleEntry *title = titles.find(pick.currentTitle)) {
        outcome.audioChoice = title->audioChoice;
        outcome.subtitleChoice = title->subtitleChoice;
    }
    return outcome;
}

// Play with nothing under way: what the medium of the window offers.
PlayOutcome PlayAgain(const PlayerView &view, const BlurayTitleState &titles)
{
    // A Blu-ray plays its pick; before any medium (the window starts out
    // meaning a Blu-ray) and on a disc without a title there is none.
    if (view.mediaKind == MEDIA_BLURAY)
        return view.pick.currentTitle.isEmpty() ? PlayOutcome{Act::Nothing, view.pick} : Start(view.pick, titles);
    if (view.mediaPath.isEmpty())
        return PlayOutcome{Act::AskForFile, view.pick};
    switch (view.mediaKind) {
    case MEDIA_FILE:
        return PlayOutcome{Act::ReopenFile, view.pick};
    case MEDIA_DVD:
        return PlayOutcome{Act::ReopenDvd, view.pick};
    default:
        return PlayOutcome{Act::Nothing, view.pick};
    }
}

} // namespace

PlayOutcome DecidePlay(const PlayerView &view, const PlayRequest &request, const BlurayTitleState &titles)
{
    const bool active = view.engine == PlaybackState::Starting || view.engine == PlaybackState::Playing
        || view.engine == PlaybackState::Paused;
    switch (request.ask) {
    case PlayAsk::Toggle:
    case PlayAsk::Play:
        if (active && view.engine == PlaybackState::Paused)
            return PlayOutcome{Act::Resume, view.pick};
        if (active)
            return PlayOutcome{request.ask == PlayAsk::Toggle ? Act::Pause : Act::Nothing, view.pick};
        // The play button with nothing to play does nothing; Space and the
        // menu's Play offer the file chooser.
        if (request.ask == PlayAsk::Toggle && view.mediaPath.isEmpty() && view.pick.currentTitle.isEmpty())
            return PlayOutcome{Act::Nothing, view.pick};
        return PlayAgain(view, titles);
    case PlayAsk::PlayMovie:
        return Start(TitlePick{view.mainTitle, false, 0}, titles);
    case PlayAsk::Chapter:
        return Start(TitlePick{view.mainTitle, false, qMax(request.second, 0)}, titles);
    case PlayAsk::Title:
        if (!titles.find(request.title))
            return PlayOutcome{Act::Nothing, view.pick};
        return Start(TitlePick{request.title, true, 0}, titles);
    case PlayAsk::TitleAt:
        if (!titles.find(request.title))
            return PlayOutcome{Act::Nothing, view.pick};
        return Start(TitlePick{request.title, true, qMax(request.second, 0)}, titles);
    case PlayAsk::NewMedium:
        return PlayOutcome{Act::Keep, TitlePick{request.title, false, 0}};
    }
    return PlayOutcome{Act::Nothing, view.pick};
}
