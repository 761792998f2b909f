#pragma once

#include <mpv/client.h>

#include <memory>
#include <string>

struct MpvDestroyer {
    void operator()(mpv_handle* handle) const { mpv_terminate_destroy(handle); }
};
using MpvHandle = std::unique_ptr<mpv_handle, MpvDestroyer>;

struct MpvFreer {
    void operator()(char* text) const { mpv_free(text); }
};

// A property as text, empty when libmpv has none at the moment.
inline std::string PropertyText(mpv_handle* handle, const char* name)
{
    const std::unique_ptr<char, MpvFreer> text(mpv_get_property_string(handle, name));
    return text ? std::string(text.get()) : std::string();
}

inline bool PropertyNumber(mpv_handle* handle, const char* name, double& value)
{
    return mpv_get_property(handle, name, MPV_FORMAT_DOUBLE, &value) >= 0;
}
