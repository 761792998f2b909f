#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// Where a DVD title lies on the disc, as its IFO files describe it.
struct DvdTitleMap {
    int titleSet = 0;
    // Sector ranges (first, last, both included) of the title's cells in
    // playing order, within the title set's VOB files.
    std::vector<std::pair<uint32_t, uint32_t>> cells;
    double seconds = 0;
    std::vector<std::string> audioLanguages;      // per audio stream, "" when unknown
    std::vector<std::string> subtitleLanguages;
};

// Title counted from 1; nothing when the folder holds no such title.
std::optional<DvdTitleMap> ReadDvdTitleMap(const std::string& device, int title);
