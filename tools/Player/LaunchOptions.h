#pragma once

#include "AudioChain.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class MediumKind { File, Dvd, Bluray };

struct Medium {
    MediumKind kind = MediumKind::File;
    std::string name;     // as given: the file, "dvd://1", "br://0"
    int title = 0;        // DVD: counted from 1; Blu-ray: 0 = main title
    std::string path;     // the file, or the disc folder after -dvd-device/-bluray-device
};

// What the slave-mode command line asks for, in our own terms.
struct LaunchOptions {
    std::string demuxer;               // empty: libmpv chooses
    std::int64_t windowId = -1;        // -1: a window of our own
    std::string videoOutputs;          // libmpv's "vo" list, empty: its default
    int decoderThreads = 0;            // 0: libmpv's default
    std::string screenshotFolder;      // empty: the current directory
    AudioChain audio;
    Medium medium;
};

struct LaunchParse {
    std::optional<LaunchOptions> options;
    std::string error;                 // why the command line was refused
    std::vector<std::string> notes;    // accepted but without effect here
};

LaunchParse ParseLaunchOptions(const std::vector<std::string>& arguments);

// The output names of the classic engine mapped to libmpv's, best first.
std::string VideoOutputsFor(const std::string& classicName);
