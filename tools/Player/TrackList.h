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

// Drops what libbluray's packet filter leaves behind: packets it removes
// from a clip (those before the play item's in-time, for one) keep their
// payload under the null PID 0x1FFF, and the demuxer takes them for one more
// stream. No stream of a transport stream lives on that PID.
void DropNullPidStreams(std::vector<StreamInfo>& streams);

// Fills in the languages the DVD's IFO files give for its streams.
void NameDvdStreams(const DvdTitleMap& title, std::vector<StreamInfo>& streams);
