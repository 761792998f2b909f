#include "DurationProbe.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/error.h>
}

#include <sys/stat.h>

#include <memory>

namespace {

using Clock = std::chrono::steady_clock;

struct Deadline {
    Clock::time_point end;
};

int PastDeadline(void* opaque)
{
    return Clock::now() >= static_cast<const Deadline*>(opaque)->end ? 1 : 0;
}

struct ContextCloser {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
using ContextPtr = std::unique_ptr<AVFormatContext, ContextCloser>;

std::string ErrorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

// Only regular files are probed: a FIFO, a device or a folder would either
// block the open or never end, and none of them is a media file.
std::optional<std::string> RefuseNonRegular(const std::string& path)
{
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        return std::string("cannot be read");
    if (!S_ISREG(info.st_mode))
        return std::string("is not a regular file");
    return std::nullopt;
}

} // namespace

ProbeResult ProbeDuration(const std::string& path, std::chrono::milliseconds budget)
{
    ProbeResult result;
    if (const auto refusal = RefuseNonRegular(path)) {
        result.error = *refusal;
        return result;
    }
    Deadline deadline{Clock::now() + budget};
    AVFormatContext* raw = avformat_alloc_context();
    if (!raw) {
        result.error = "out of memory";
        return result;
    }
    raw->interrupt_callback = {&PastDeadline, &deadline};
    const int opened = avformat_open_input(&raw, path.c_str(), nullptr, nullptr);
    if (opened < 0) {   // the context was freed by the failed open
        result.error = PastDeadline(&deadline) ? "timed out" : ErrorText(opened);
        return result;
    }
    const ContextPtr context(raw);
    result.readable = true;
    // The header's duration is refined (or, for streams such as MPEG-TS,
    // only found) from the time stamps, the same estimate FFmpeg reports.
    avformat_find_stream_info(context.get(), nullptr);
    if (context->duration != AV_NOPTS_VALUE)
        result.microseconds = context->duration;
    return result;
}
