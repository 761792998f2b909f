#pragma once

#include "disc/BlurayTitleState.h"
#include "engine/EngineSession.h"

#include <QString>

// What a Blu-ray start plays: the title, whether it is asked for by its
// number or as the disc's main title ("br://0"), and the second it starts
// at (a chapter's start; 0 from the beginning). Until another title is
// chosen it is the disc's main title.
struct TitlePick
{
    QString currentTitle; // a playlist path; empty when the disc has no title
    bool titleChosen = false;
    int startSeconds = 0;

    bool operator==(const TitlePick &other) const
    {
        return currentTitle == other.currentTitle && titleChosen == other.titleChosen
            && startSeconds == other.startSeconds;
    }
};

// The ways of asking for something to play.
enum class PlayAsk {
    Toggle,    // the play button, the desktop's play/pause: pauses what plays, and
               // with nothing at all to play does nothing
    Play,      // Space or Controls > Play while nothing plays, the desktop's Play
    PlayMovie, // the disc page's Play Movie: the main title from its start
    Chapter,   // a chapter of the disc page: the main title from that chapter
    Title,     // Other Titles or Controls > Title: that title from its start
    NewMedium, // a disc was read (its main title waits) or a file opened
    TitleAt,   // Resume on the disc page, an episode, Play All going on:
               // that title from that second
};

struct PlayRequest
{
    PlayAsk ask = PlayAsk::Play;
    QString title;  // Title: the playlist path; NewMedium: the main title
    int second = 0; // Chapter: the chapter's start
};

// What the window holds when the request comes.
struct PlayerView
{
    int mediaKind = 2;        // MEDIA_BLURAY
    QString mediaPath;        // currentMediaPath
    bool mediumLoaded = false; // the engine holds mediaPath
    PlaybackState engine = PlaybackState::Idle;
    QString mainTitle; // the disc page's main title; empty without a disc
    TitlePick pick;    // what played last, or plays next
};

struct PlayOutcome
{
    enum class Act {
        Nothing,
        Pause,
        Resume,
        StartTitle, // the pick, with its stream choices
        ReopenFile, // mediaPath through the file opening
        ReopenDvd,  // mediaPath as a DVD
        AskForFile, // nothing to play: the file chooser
        Keep,       // only the pick changes (a new medium)
    };
    Act act = Act::Nothing;
    TitlePick pick;
    int audioChoice = 0; // 0 "Disable", k the k-th stream
    int subtitleChoice = 0;

    bool operator==(const PlayOutcome &other) const
    {
        return act == other.act && pick == other.pick && audioChoice == other.audioChoice
            && subtitleChoice == other.subtitleChoice;
    }
};

// The one answer to "what plays when the user asks for Play", whoever asks:
// the play button, Space, the Controls menu, the disc page, the desktop's
// media controls and a medium opened from the command line.
//
// Play after a stop, an end or an engine that died plays again what played
// last: the same title from the same start, with the choices made for it.
// Only the disc page's Play Movie and chapters go back to the main title,
// and a chosen title always starts from its beginning.
PlayOutcome DecidePlay(const PlayerView &view, const PlayRequest &request, const BlurayTitleState &titles);
