#pragma once

#include "DvdTitleMap.h"

#include <mpv/client.h>
#include <mpv/stream_cb.h>

#include <atomic>
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
    // The title would not open because its sectors came back scrambled
    // (CSS, and no library here to descramble them).
    bool Scrambled() const { return scrambled_; }

private:
    static int Open(void* userData, char* uri, mpv_stream_cb_info* info);

    std::string device_;
    DvdTitleMap map_;
    std::atomic<bool> scrambled_{false};  // set on libmpv's thread
};
