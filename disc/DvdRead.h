#pragma once

// What the readers of a DVD's IFO files share: libdvdread's handles owned,
// and its playback times in seconds.
extern "C" {
#include <dvdread/dvd_reader.h>
#include <dvdread/ifo_read.h>
}

#include <memory>

struct DvdReaderCloser {
    void operator()(dvd_reader_t* reader) const { DVDClose(reader); }
};
struct DvdIfoCloser {
    void operator()(ifo_handle_t* ifo) const { ifoClose(ifo); }
};
using DvdReader = std::unique_ptr<dvd_reader_t, DvdReaderCloser>;
using DvdIfo = std::unique_ptr<ifo_handle_t, DvdIfoCloser>;

// A playback time as the IFO files write it (BCD hours, minutes, seconds and
// frames, the frame rate in the frame byte's two high bits), in seconds.
double DvdTimeSeconds(const dvd_time_t& time);
