#pragma once

#include "LaunchOptions.h"

#include <string>
#include <utility>
#include <vector>

// What libmpv is asked to open for a medium, and the options that go with it.
struct MediaSource {
    std::string url;
    std::vector<std::pair<std::string, std::string>> options;
    std::string error;   // non-empty: the medium cannot be resolved
};

MediaSource ResolveMedium(const Medium& medium, const std::string& demuxer);
