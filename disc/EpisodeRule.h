#pragma once

#include "disc/MplsTypes.h"

#include <QList>
#include <QString>

struct BlurayTitle;

// One episode of a disc whose main content is a series: where it starts
// (a playlist, and a time inside it) and how long it runs.
struct BlurayEpisode {
    QString playlistPath;
    int titleNumber = 0;     // N of "br://N" for that playlist
    quint32 startMs = 0;     // from the start of the playlist
    quint32 durationMs = 0;
};

struct BlurayEpisodes {
    enum Shape {
        None,               // a film, or nothing the rule can vouch for
        SeparatePlaylists,  // one playlist per episode
        OnePlaylist,        // one playlist plays them all, one after the other
    };
    Shape shape = None;
    QList<BlurayEpisode> episodes;  // disc order; empty for None
};

// Recognises, from the titles' playlists alone, a disc whose main content is
// a series of episodes.
//
// An episode is a stretch of one clip that is not tiny next to the others
// (at least half as long as the longest such clip of its playlist). Episodes
// of one series are alike: none more than 1.5 times as long as another
// (1.25 for separate playlists, where a film and its making-of are the
// thing to keep apart), and no stretch of a clip serves two of them, which is
// what keeps dozens of equal-length playlists cut from the same clips out
// (separate episodes may still be stretches of one clip, one after another).
//
// One playlist holds them all when the longest title is made of two or more
// such episodes that fill at least 80 % of it (the rest is the short logo or
// trailer clips around them), each starts at a chapter mark, and, when
// there are only two, one of them is also a playlist of its own (two equal
// halves in one playlist are as often a film split at its layer break).
//
// Otherwise, separate playlists are episodes when the longest title is one
// of two or more alike playlists of one episode each; with only two they
// must also have about as many chapters (at most two apart) and last at most
// 70 minutes (two feature-length playlists are a double bill). Playlists with
// the same clips, in and out times (versions differing only in streams) count
// once, the first in file-name order.
//
// Episodes come in file-name order of their playlists, or in play order
// inside the one playlist; an episode starts with the short clips that lead
// into it and the last one also takes the short clips after it.
BlurayEpisodes FindEpisodes(const QList<BlurayTitle>& titles);

// The episode (from 0) that plays at positionMs of the playlist at
// playlistPath; -1 when that is no episode.
int EpisodeAt(const BlurayEpisodes& found, const QString& playlistPath, qint64 positionMs);
