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

struct dvd_reader_s;

// Opens the DVD in `device` (a folder or a drive) with libdvdread's messages
// sent to standard error; standard output carries the protocol alone.
struct dvd_reader_s* OpenDvdReader(const std::string& device);

// Title counted from 1; nothing when the folder holds no such title.
std::optional<DvdTitleMap> ReadDvdTitleMap(const std::string& device, int title);
