#pragma once

#include <mpv/client.h>

#include <cstdio>
#include <memory>

// When PLAYER_TRACE names a file, every change of the properties the slave
// commands act on is written there as "name=value", one line each, flushed
// at once. It shows what libmpv itself reports, not what we asked for.
class PropertyTrace {
public:
    void Start(mpv_handle* handle);
    void Record(const mpv_event_property& property);

private:
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, FileCloser> file_;
};
