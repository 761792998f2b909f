#include "PropertyTrace.h"

#include <cstdlib>

namespace {
constexpr const char* tracedProperties[] = {
    "pause", "volume", "aid", "sid", "af", "current-vo", "current-ao", "audio-params/channel-count",
    "chapter",
};
constexpr uint64_t traceReply = 0x7472616365;   // keeps our changes apart from others
}

void PropertyTrace::Start(mpv_handle* handle)
{
    const char* path = std::getenv("PLAYER_TRACE");
    if (!path || !*path)
        return;
    file_.reset(std::fopen(path, "a"));
    if (!file_)
        return;
    for (const char* name : tracedProperties)
        mpv_observe_property(handle, traceReply, name, MPV_FORMAT_STRING);
}

void PropertyTrace::Record(const mpv_event_property& property)
{
    if (!file_)
        return;
    const char* value = property.format == MPV_FORMAT_STRING && property.data
                            ? *static_cast<char**>(property.data) : "";
    std::fprintf(file_.get(), "%s=%s\n", property.name, value);
    std::fflush(file_.get());
}
