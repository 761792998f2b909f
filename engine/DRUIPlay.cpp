// Every way of asking for something to play ends here: the decision is
// PlayDecision's, the window only carries it out.
#include "ui/DRUI.h"

#include "engine/EngineSession.h"

void DRUI::btnPlaySlot()
{
    AskToPlay(PlayRequest{PlayAsk::Toggle});
}

void DRUI::AskToPlay(const PlayRequest &request)
{
    PlayerView view;
    view.mediaKind = mediaKind;
    view.mediaPath = currentMediaPath;
    view.engine = engine->state();
    view.mainTitle = DiscMainTitle();
    view.pick = pick;
    CarryOut(DecidePlay(view, request, discTitles));
}

void DRUI::CarryOut(const PlayOutcome &outcome)
{
    using Act = PlayOutcome::Act;
    pick = outcome.pick;
    switch (outcome.act) {
    case Act::Nothing:
    case Act::Keep:
        break;
    case Act::Pause:
        PausePlayback();
        break;
    case Act::Resume:
        ResumePlayback();
        break;
    case Act::StartTitle:
        audioTrackIndex = outcome.audioChoice - 1;
        subtitleTrackIndex = outcome.subtitleChoice - 1;
        PlayCurrentTitle();
        break;
    case Act::ReopenFile:
        OpenMediaFiles({currentMediaPath});
        break;
    case Act::ReopenDvd:
        OpenDvdFolder(currentMediaPath);
        break;
    case Act::AskForFile:
        btnOpenFile();
        break;
    }
}
