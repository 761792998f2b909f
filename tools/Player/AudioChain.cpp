#include "AudioChain.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace {

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::string part;
    std::istringstream stream(text);
    while (std::getline(stream, part, separator))
        parts.push_back(part);
    return parts;
}

bool ReadNumber(const std::string& text, double& value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return *end == '\0';
}

std::string Number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// channels=N[:routes...]; the routes of the classic filter have no
// counterpart here and are left out.
bool ReadChannels(const std::string& value, AudioChain& chain, std::string& error)
{
    double count = 0;
    if (!ReadNumber(Split(value, ':').front(), count) || count < 1 || count > 8) {
        error = "channels wants a count from 1 to 8";
        return false;
    }
    chain.maxChannels = static_cast<int>(count);
    return true;
}

// volume=GAIN_DB[:SOFTCLIP]
bool ReadVolume(const std::string& value, AudioChain& chain, std::string& error)
{
    const std::vector<std::string> fields = Split(value, ':');
    double gain = 0, clip = 0;
    if (fields.empty() || !ReadNumber(fields[0], gain) || gain < -200 || gain > 60
        || (fields.size() > 1 && !ReadNumber(fields[1], clip)) || fields.size() > 2) {
        error = "volume wants a gain in dB from -200 to 60 and an optional 0 or 1";
        return false;
    }
    chain.gainDb = gain;
    chain.softClip = clip != 0;
    return true;
}

} // namespace

std::optional<AudioChain> ParseAudioChain(const std::string& text, std::string& error)
{
    AudioChain chain;
    for (const std::string& filter : Split(text, ',')) {
        const auto equals = filter.find('=');
        const std::string name = filter.substr(0, equals);
        const std::string value = equals == std::string::npos ? "" : filter.substr(equals + 1);
        bool ok = false;
        if (name == "channels")
            ok = ReadChannels(value, chain, error);
        else if (name == "volume")
            ok = ReadVolume(value.empty() ? "0" : value, chain, error);
        else
            error = "unknown audio filter '" + name + "'";
        if (!ok)
            return std::nullopt;
    }
    return chain;
}

std::string ChannelLayouts(const AudioChain& chain)
{
    std::string layouts;
    for (int count = 1; count <= chain.maxChannels; ++count)
        layouts += (count > 1 ? "," : "") + std::to_string(count);
    return layouts;
}

std::string AudioFilters(const AudioChain& chain, double balance)
{
    std::vector<std::string> filters;
    balance = std::clamp(balance, -1.0, 1.0);
    if (balance != 0) {
        // The classic balance moves the far channel over rather than only
        // muting it, so nothing of a hard-panned mix is lost.
        const double leftFromLeft = std::min(1.0, 1.0 - balance);
        const double leftFromRight = std::max(0.0, -balance);
        const double rightFromLeft = std::max(0.0, balance);
        const double rightFromRight = std::min(1.0, 1.0 + balance);
        filters.push_back("@balance:lavfi=[pan=stereo|c0=" + Number(leftFromLeft) + "*c0+"
                          + Number(leftFromRight) + "*c1|c1=" + Number(rightFromLeft) + "*c0+"
                          + Number(rightFromRight) + "*c1]");
    }
    std::string gain;
    if (chain.gainDb != 0)
        gain = "volume=" + Number(chain.gainDb) + "dB";
    if (chain.softClip)
        gain += std::string(gain.empty() ? "" : ",") + "asoftclip";
    if (!gain.empty())
        filters.push_back("@gain:lavfi=[" + gain + "]");
    std::string joined;
    for (const std::string& filter : filters)
        joined += (joined.empty() ? "" : ",") + filter;
    return joined;
}
