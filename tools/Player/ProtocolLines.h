#pragma once

#include <string>
#include <vector>

// A stream as the track list describes it.
struct StreamInfo {
    enum class Kind { Video, Audio, Subtitle } kind = Kind::Video;
    long long trackId = 0;      // libmpv's id within the kind
    int containerIndex = -1;    // the demuxer's stream number, -1 when unknown
    long long sourceId = -1;    // the container's own stream id, -1 when unknown
    std::string codec;
    std::string language;
    bool selected = false;
    int width = 0, height = 0;  // video: as the container states them, 0 when it does not
    double fps = 0;
};

// The output lines, in the forms the classic slave-mode engines print them.
namespace ProtocolLines {

std::string Playing(const std::string& mediumName);
// One line per audio stream, then one per subtitle stream; each kind is
// numbered from 0 in track-list order, which is also what the track
// commands count.
std::vector<std::string> StreamLines(const std::vector<StreamInfo>& streams);
std::string Video(const std::string& codec, int width, int height, double fps);
std::string Length(double seconds);
std::string Position(double seconds);
std::string Screenshot(const std::string& path);
// Said before the end of a disc that could not be decrypted ("AACS", "BD+").
std::string Encrypted(const std::string& scheme);
std::string EndOfFile();
std::string Quit();

}
