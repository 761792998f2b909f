// What each slave command does to libmpv.
#include "Engine.h"

#include "AudioChain.h"
#include "ScreenshotFiles.h"
#include "TrackList.h"

#include <algorithm>
#include <cstdio>

namespace {

void Note(const std::string& text)
{
    std::fprintf(stderr, "Player: %s\n", text.c_str());
}

std::string Number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

} // namespace

void Engine::EndPause()
{
    int paused = 0;
    if (mpv_get_property(mpv_.get(), "pause", MPV_FORMAT_FLAG, &paused) >= 0 && paused) {
        paused = 0;
        mpv_set_property(mpv_.get(), "pause", MPV_FORMAT_FLAG, &paused);
    }
}

void Engine::TogglePause()
{
    const char* command[] = {"cycle", "pause", nullptr};
    mpv_command(mpv_.get(), command);
}

void Engine::Quit(int status)
{
    Emit(ProtocolLines::Quit());
    Finish(status);
}

void Engine::Seek(double value, SeekKind kind)
{
    // libmpv reads a negative absolute target as counted from the end; the
    // protocol means the start, so it is clamped there.
    std::string target;
    const char* flags = "relative";
    if (kind == SeekKind::Absolute) {
        target = Number(std::max(value, 0.0));
        flags = "absolute";
    } else if (kind == SeekKind::Percent) {
        target = Number(std::clamp(value, 0.0, 100.0));
        flags = "absolute-percent";
    } else {
        target = Number(value);
    }
    const char* command[] = {"seek", target.c_str(), flags, nullptr};
    mpv_command(mpv_.get(), command);
}

void Engine::SetVolume(double value, bool absolute)
{
    double volume = value;
    if (!absolute) {
        double current = 0;
        PropertyNumber(mpv_.get(), "volume", current);
        volume += current;
    }
    volume = std::clamp(volume, 0.0, 100.0);
    mpv_set_property(mpv_.get(), "volume", MPV_FORMAT_DOUBLE, &volume);
}

void Engine::SetBalance(double value, bool absolute)
{
    balance_ = std::clamp(absolute ? value : balance_ + value, -1.0, 1.0);
    const std::string filters = AudioFilters(options_.audio, balance_);
    if (mpv_set_property_string(mpv_.get(), "af", filters.c_str()) < 0)
        Note("balance could not be set");
}

void Engine::SelectAudio(int index)
{
    if (index < 0) {
        mpv_set_property_string(mpv_.get(), "aid", "no");
        return;
    }
    int64_t id = TrackId(streams_, StreamInfo::Kind::Audio, index);
    if (id == 0) {
        Note("no audio stream " + std::to_string(index));
        return;
    }
    mpv_set_property(mpv_.get(), "aid", MPV_FORMAT_INT64, &id);
}

void Engine::SelectSubtitle(int index)
{
    if (index < 0) {
        mpv_set_property_string(mpv_.get(), "sid", "no");
        return;
    }
    int64_t id = TrackId(streams_, StreamInfo::Kind::Subtitle, index);
    if (id == 0) {
        Note("no subtitle stream " + std::to_string(index));
        return;
    }
    mpv_set_property(mpv_.get(), "sid", MPV_FORMAT_INT64, &id);
}

void Engine::AnswerLength()
{
    double seconds = statedLength_.value_or(0.0);
    if (!statedLength_)
        PropertyNumber(mpv_.get(), "duration", seconds);
    Emit(ProtocolLines::Length(seconds));
}

void Engine::AnswerPosition()
{
    double seconds = 0;
    PropertyNumber(mpv_.get(), "time-pos", seconds);
    Emit(ProtocolLines::Position(seconds));
}

void Engine::SetScreenshotFormat(int format)
{
    screenshotExtension_ = format == 1 ? "jpg" : "png";
}

void Engine::Screenshot()
{
    const std::string path = NextScreenshotPath(options_.screenshotFolder, screenshotExtension_);
    if (path.empty()) {
        Note("no place for a screenshot in '" + options_.screenshotFolder + "'");
        return;
    }
    const uint64_t reply = nextReply_++;
    const char* command[] = {"screenshot-to-file", path.c_str(), "video", nullptr};
    if (mpv_command_async(mpv_.get(), reply, command) >= 0)
        screenshots_[reply] = path;
}
