#pragma once

#include "DvdTitleMap.h"

#include <mpv/client.h>

#include <string>

// Serves a DVD title to libmpv as one seekable byte stream made of its
// cells, read through libdvdread, so that libavformat demuxes and seeks it
// like any program stream. libmpv's own DVD navigation cannot seek on many
// discs and reports the wrong title's length; a slave-mode player needs
// neither menus nor navigation commands.
class DvdTitleStream {
public:
    static constexpr const char* protocol = "vantorel-dvd";

    DvdTitleStream(std::string device, DvdTitleMap map);
    // Makes "vantorel-dvd://title" open this title in `handle`.
    bool Register(mpv_handle* handle);

    const std::string& Device() const { return device_; }
    const DvdTitleMap& Map() const { return map_; }

private:
    std::string device_;
    DvdTitleMap map_;
};
