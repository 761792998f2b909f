#include "DurationText.h"

#include <cinttypes>
#include <cstdio>
#include <limits>

std::string FormatDurationLine(std::optional<int64_t> microseconds)
{
    if (!microseconds || *microseconds < 0)
        return "Duration: N/A";
    constexpr int64_t perSecond = 1000000;
    // Rounded to the nearest hundredth the way FFmpeg rounds it: half a
    // hundredth is added before the digits are cut off.
    constexpr int64_t halfHundredth = 5000;
    const int64_t value = *microseconds;
    const int64_t rounded = value <= std::numeric_limits<int64_t>::max() - halfHundredth
                                ? value + halfHundredth : value;
    const int64_t totalSeconds = rounded / perSecond;
    const int64_t hundredths = (rounded % perSecond) * 100 / perSecond;
    char text[64];
    std::snprintf(text, sizeof text, "Duration: %02" PRId64 ":%02" PRId64 ":%02" PRId64 ".%02" PRId64,
                  totalSeconds / 3600, totalSeconds / 60 % 60, totalSeconds % 60, hundredths);
    return text;
}
