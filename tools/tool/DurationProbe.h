#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

struct ProbeResult {
    bool readable = false;                 // the container could be opened
    std::optional<int64_t> microseconds;   // absent when the container keeps none
    std::string error;                     // why it could not be read
};

// Opens `path` with libavformat and learns its duration. Gives up once
// `budget` has passed, so a stalled source never holds the caller.
ProbeResult ProbeDuration(const std::string& path, std::chrono::milliseconds budget);
