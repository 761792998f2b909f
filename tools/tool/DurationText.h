#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The "Duration: " line in the form FFmpeg's own tools print it, so that any
// reader written for their output takes ours unchanged.
std::string FormatDurationLine(std::optional<int64_t> microseconds);
