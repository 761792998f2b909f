#pragma once

#include "DvdTitleMap.h"
#include "LaunchOptions.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

// What libmpv is asked to open for a medium, and the options that go with it.
struct MediaSource {
    std::string url;
    std::vector<std::pair<std::string, std::string>> options;
    std::optional<double> seconds;   // the length, when the medium states it better than libmpv
    std::optional<DvdTitleMap> dvdTitle;   // served by DvdTitleStream
    // Blu-ray: the PIDs of the audio and subtitle streams the playlist
    // offers, in its order (0 for one outside the title's own clips).
    std::vector<int> audioPids, subtitlePids;
    std::string error;   // non-empty: the medium cannot be resolved
};

MediaSource ResolveMedium(const Medium& medium, const std::string& demuxer);
