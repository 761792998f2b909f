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

// Fills in the languages the DVD's IFO files give for its streams.
void NameDvdStreams(const DvdTitleMap& title, std::vector<StreamInfo>& streams);
