#pragma once

#include <optional>
#include <string>

// The classic "-af" chain as far as it means something here: an upper limit
// on the output channels and a gain in dB, optionally soft-clipped.
struct AudioChain {
    int maxChannels = 0;     // 0: whatever the output offers
    double gainDb = 0.0;
    bool softClip = false;
};

// "channels=6,volume=5.1:1" and similar. Unknown filters are an error, so a
// typing slip on the command line does not go unnoticed.
std::optional<AudioChain> ParseAudioChain(const std::string& text, std::string& error);

// libmpv's "audio-channels" value: every layout up to the limit.
std::string ChannelLayouts(const AudioChain& chain);

// libmpv's "af" value for the chain with the given balance (-1 left .. 1 right).
std::string AudioFilters(const AudioChain& chain, double balance);
