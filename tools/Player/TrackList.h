#pragma once

#include "DvdTitleMap.h"
#include "ProtocolLines.h"

#include <mpv/client.h>

#include <vector>

// The streams of the opened medium, in libmpv's track-list order.
std::vector<StreamInfo> ReadTrackList(mpv_handle* handle);

// libmpv's track id of the index-th stream of a kind (counted from 0 in
// track-list order), or 0 when there is no such stream.
long long TrackId(const std::vector<StreamInfo>& streams, StreamInfo::Kind kind, int index);

// A Blu-ray clip often carries more streams than the playing playlist
// offers (a commentary only one playlist names, the tracks of other cuts),
// and in an order of its own; and the packets libbluray cuts from a clip
// (those before the play item's in-time, for one) keep their payload under
// the null PID 0x1FFF, which the demuxer takes for one more stream. The
// streams of a kind become those of the playlist, in its order (pids), so
// that the k-th is the k-th the disc page lists. A kind none of whose
// streams the playlist names stays as it was.
void ArrangeAsPlaylist(std::vector<StreamInfo>& streams, StreamInfo::Kind kind, const std::vector<int>& pids);

// Fills in the languages the DVD's IFO files give for its streams.
void NameDvdStreams(const DvdTitleMap& title, std::vector<StreamInfo>& streams);
