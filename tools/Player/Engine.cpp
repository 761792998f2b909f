#include "Engine.h"

#include "AudioChain.h"
#include "GraphicsFacts.h"
#include "MediaSource.h"
#include "TrackList.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void Note(const std::string& text)
{
    std::fprintf(stderr, "Player: %s\n", text.c_str());
}

// libmpv's callback may come from any of its threads; a byte in a pipe
// wakes the one loop that owns the handle.
void WakeUp(void* context)
{
    const int fd = *static_cast<const int*>(context);
    const char byte = 0;
    (void)!write(fd, &byte, 1);
}

// libmpv's level number for a level name; unknown names show errors.
int LogLevelNamed(const std::string& name)
{
    static const std::pair<const char*, int> levels[] = {
        {"no", MPV_LOG_LEVEL_NONE},   {"fatal", MPV_LOG_LEVEL_FATAL}, {"error", MPV_LOG_LEVEL_ERROR},
        {"warn", MPV_LOG_LEVEL_WARN}, {"info", MPV_LOG_LEVEL_INFO},   {"v", MPV_LOG_LEVEL_V},
        {"debug", MPV_LOG_LEVEL_DEBUG}, {"trace", MPV_LOG_LEVEL_TRACE},
    };
    for (const auto& [text, level] : levels)
        if (name == text)
            return level;
    return MPV_LOG_LEVEL_ERROR;
}

// The encryption libmpv's Blu-ray input says keeps a disc from opening
// (an error, "AACS encryption detected but ..."), or null.
const char* EncryptionNamed(const mpv_event_log_message& message)
{
    if (message.log_level > MPV_LOG_LEVEL_ERROR || std::strcmp(message.prefix, "bd") != 0)
        return nullptr;
    for (const char* scheme : {"AACS", "BD+"})
        if (std::strstr(message.text, scheme))
            return scheme;
    return nullptr;
}

// Defaults chosen for a player embedded in someone else's window: input and
// pointer belong to that window, and nothing is drawn over the picture.
constexpr std::pair<const char*, const char*> embeddedDefaults[] = {
    {"config", "no"},           {"terminal", "no"},          {"load-scripts", "no"},
    {"ytdl", "no"},             {"osc", "no"},               {"osd-level", "0"},
    {"load-stats-overlay", "no"}, {"load-osd-console", "no"}, {"load-auto-profiles", "no"},
    {"input-default-bindings", "no"}, {"input-vo-keyboard", "no"}, {"input-cursor", "no"},
    {"cursor-autohide", "no"},  {"audio-fallback-to-null", "yes"},
    // Idle, the core waits for our loadfile instead of quitting at once on
    // an empty playlist; the end of the medium is ours to act on anyway.
    {"idle", "yes"},
    {"keep-open", "no"},
    // Probing Vulkan first leaves libmpv's X11 fallback waiting for ever on
    // displays without a GPU (Xvfb, remote X); OpenGL fails cleanly there.
    {"gpu-api", "opengl"},
    // The sound servers and ALSA cover every desktop; the outputs libmpv
    // would try after them (SDL above all) cost a tenth of a second before
    // the first frame on machines without sound, only to fall back to null.
    {"ao", "pipewire,pulse,alsa,jack,null"},
    // Show the first frame as soon as it is decoded rather than after the
    // next one: the window is waiting for a picture, not for smoothness.
    {"video-latency-hacks", "yes"},
    // A PNG screenshot becomes the user's snapshot as it is; written fast
    // rather than small (libmpv's usual filter and level take about a
    // quarter of a second more on a 1080p frame).
    {"screenshot-png-compression", "1"},
    {"screenshot-png-filter", "0"},
};

} // namespace

Engine::Engine(LaunchOptions options) : options_(std::move(options)) {}

Engine::~Engine()
{
    mpv_.reset();   // before the pipe its callback writes to
    for (const int fd : wakeupPipe_)
        if (fd >= 0)
            close(fd);
}

bool Engine::ApplyOptions(const std::vector<std::pair<std::string, std::string>>& sourceOptions)
{
    std::vector<std::pair<std::string, std::string>> all(std::begin(embeddedDefaults),
                                                         std::end(embeddedDefaults));
    if (options_.windowId >= 0)
        all.emplace_back("wid", std::to_string(options_.windowId));
    if (!options_.videoOutputs.empty())
        all.emplace_back("vo", OutputsForThisMachine(options_.videoOutputs, ReadGraphicsFacts()));
    if (options_.decoderThreads > 0)
        all.emplace_back("vd-lavc-threads", std::to_string(options_.decoderThreads));
    if (options_.audio.maxChannels > 0)
        all.emplace_back("audio-channels", ChannelLayouts(options_.audio));
    all.emplace_back("af", AudioFilters(options_.audio, balance_));
    all.insert(all.end(), sourceOptions.begin(), sourceOptions.end());
    for (const auto& [name, value] : all) {
        if (mpv_set_option_string(mpv_.get(), name.c_str(), value.c_str()) < 0) {
            Note("libmpv refused " + name + "=" + value);
            return false;
        }
    }
    return true;
}

bool Engine::Open()
{
    const MediaSource source = ResolveMedium(options_.medium, options_.demuxer);
    if (!source.error.empty()) {
        Note("cannot open " + options_.medium.name + ": " + source.error);
        return false;
    }
    statedLength_ = source.seconds;
    audioPids_ = source.audioPids;
    subtitlePids_ = source.subtitlePids;
    // The window id names an X11 window (XWayland in a Wayland session). A
    // Wayland context would ignore it and open a window of its own, so the
    // GPU output is kept from finding one; naming the X11 context outright
    // instead would also accept a software rasteriser in place of a GPU.
    if (options_.windowId >= 0)
        unsetenv("WAYLAND_DISPLAY");
    mpv_.reset(mpv_create());
    if (!mpv_ || pipe2(wakeupPipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
        Note("cannot start libmpv");
        return false;
    }
    if (!ApplyOptions(source.options) || mpv_initialize(mpv_.get()) < 0) {
        Note("libmpv did not initialise");
        return false;
    }
    if (source.dvdTitle) {
        dvdTitle_ = std::make_unique<DvdTitleStream>(options_.medium.path, *source.dvdTitle);
        if (!dvdTitle_->Register(mpv_.get())) {
            Note("cannot serve the DVD title to libmpv");
            return false;
        }
    }
    // PLAYER_LOG_LEVEL ("warn", "v", "debug", ...) shows more of libmpv's
    // own messages on standard error when something needs looking into.
    const char* level = std::getenv("PLAYER_LOG_LEVEL");
    logLevel_ = level && *level ? level : "error";
    shownLevel_ = LogLevelNamed(logLevel_);
    // An encrypted Blu-ray is only named at the verbose level, while the
    // disc opens: listened to until then.
    const bool bluray = source.url.rfind("bd://", 0) == 0;
    mpv_request_log_messages(mpv_.get(), bluray && shownLevel_ < MPV_LOG_LEVEL_V ? "v" : logLevel_.c_str());
    trace_.Start(mpv_.get());
    mpv_set_wakeup_callback(mpv_.get(), &WakeUp, &wakeupPipe_[1]);
    const char* command[] = {"loadfile", source.url.c_str(), nullptr};
    if (mpv_command(mpv_.get(), command) < 0) {
        Note("cannot open " + options_.medium.name);
        return false;
    }
    return true;
}

int Engine::Run()
{
    if (!Open()) {
        // Said on standard output too: a window waiting for the end of the
        // medium must not wait for ever.
        Emit(ProtocolLines::EndOfFile());
        return 1;
    }
    while (!finished_) {
        pollfd watched[] = {{STDIN_FILENO, POLLIN, 0}, {wakeupPipe_[0], POLLIN, 0}};
        if (poll(watched, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            Finish(1);
            break;
        }
        if (watched[1].revents) {
            char bytes[64];
            while (read(wakeupPipe_[0], bytes, sizeof bytes) > 0) {}
            DrainEvents();
        }
        if (watched[0].revents && !finished_)
            ReadInput();
    }
    return status_;
}

void Engine::ReadInput()
{
    char bytes[4096];
    const ssize_t count = read(STDIN_FILENO, bytes, sizeof bytes);
    if (count < 0 && (errno == EINTR || errno == EAGAIN))
        return;
    if (count <= 0) {
        // Whoever drove us is gone; nobody is left to watch the picture.
        Note("standard input closed, stopping");
        Finish(0);
        return;
    }
    for (const std::string& line : input_.Feed({bytes, static_cast<std::size_t>(count)})) {
        HandleLine(line);
        if (finished_)
            return;
    }
    if (input_.DroppedLongLine())
        Note("ignored an overlong input line");
}

void Engine::HandleLine(const std::string& line)
{
    const SlaveCommand command = SplitCommand(line);
    const bool quits = command.name == "q" || command.name == "quit";
    // Until the medium is open there are no streams to choose and no
    // position to seek to; such commands wait for it, in order.
    if (!loaded_ && !quits && !command.name.empty()) {
        pending_.push_back(command);
        return;
    }
    Execute(command);
}

void Engine::Execute(const SlaveCommand& command)
{
    const CommandResult result = RunCommand(command, *this);
    if (!result.note.empty())
        Note(result.note + ", ignored");
}

void Engine::DrainEvents()
{
    while (!finished_) {
        const mpv_event* event = mpv_wait_event(mpv_.get(), 0);
        if (event->event_id == MPV_EVENT_NONE)
            return;
        HandleEvent(*event);
    }
}

void Engine::HandleEvent(const mpv_event& event)
{
    switch (event.event_id) {
    case MPV_EVENT_FILE_LOADED:
        OnFileLoaded();
        break;
    case MPV_EVENT_VIDEO_RECONFIG:
        OnVideoReconfig();
        break;
    case MPV_EVENT_END_FILE:
        OnEndFile(*static_cast<const mpv_event_end_file*>(event.data));
        break;
    case MPV_EVENT_COMMAND_REPLY:
        OnCommandReply(event);
        break;
    case MPV_EVENT_PROPERTY_CHANGE:
        trace_.Record(*static_cast<const mpv_event_property*>(event.data));
        break;
    case MPV_EVENT_LOG_MESSAGE:
        OnLogMessage(*static_cast<const mpv_event_log_message*>(event.data));
        break;
    case MPV_EVENT_SHUTDOWN:
        // Only our own teardown should end the core; if it ends by itself
        // the window must still learn that nothing plays any more.
        Note("libmpv stopped");
        Emit(ProtocolLines::EndOfFile());
        Finish(1);
        break;
    default:
        break;
    }
}

void Engine::OnLogMessage(const mpv_event_log_message& message)
{
    if (const char* scheme = EncryptionNamed(message))
        encryption_ = scheme;
    if (message.log_level > shownLevel_)
        return;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
    std::fprintf(stderr, "%8.3f [%s] %s", seconds, message.prefix, message.text);
}

// libmpv hands out its messages only when no other event waits: those it
// gave before the medium failed are read now, so that the reason is known.
// The engine ends with this failure; the other events no longer matter.
void Engine::ReadMessagesSoFar()
{
    for (;;) {
        const mpv_event* event = mpv_wait_event(mpv_.get(), 0);
        if (event->event_id == MPV_EVENT_NONE)
            return;
        if (event->event_id == MPV_EVENT_LOG_MESSAGE)
            OnLogMessage(*static_cast<const mpv_event_log_message*>(event->data));
    }
}

void Engine::OnFileLoaded()
{
    loaded_ = true;
    mpv_request_log_messages(mpv_.get(), logLevel_.c_str());
    streams_ = ReadTrackList(mpv_.get());
    if (options_.medium.kind == MediumKind::Bluray) {
        ArrangeAsPlaylist(streams_, StreamInfo::Kind::Audio, audioPids_);
        ArrangeAsPlaylist(streams_, StreamInfo::Kind::Subtitle, subtitlePids_);
    }
    if (dvdTitle_)
        NameDvdStreams(dvdTitle_->Map(), streams_);
    Emit(ProtocolLines::Playing(options_.medium.name));
    for (const std::string& line : ProtocolLines::StreamLines(streams_))
        Emit(line);
    // Like the classic engine, the video line describes the stream as the
    // container gives it, so the window can apply its track choices while
    // the output is still opening; without sizes it waits for the output.
    for (const StreamInfo& stream : streams_) {
        if (stream.kind == StreamInfo::Kind::Video && stream.selected && stream.width > 0
            && stream.height > 0 && !videoAnnounced_) {
            videoAnnounced_ = true;
            Emit(ProtocolLines::Video(stream.codec, stream.width, stream.height, stream.fps));
        }
    }
    const std::vector<SlaveCommand> waiting = std::move(pending_);
    pending_.clear();
    for (const SlaveCommand& command : waiting) {
        Execute(command);
        if (finished_)
            return;
    }
}

void Engine::OnVideoReconfig()
{
    double width = 0, height = 0, fps = 0;
    if (videoAnnounced_ || !PropertyNumber(mpv_.get(), "width", width)
        || !PropertyNumber(mpv_.get(), "height", height) || width <= 0 || height <= 0)
        return;
    videoAnnounced_ = true;
    PropertyNumber(mpv_.get(), "container-fps", fps);
    const std::string codec = PropertyText(mpv_.get(), "current-tracks/video/codec");
    Emit(ProtocolLines::Video(codec, static_cast<int>(width), static_cast<int>(height), fps));
}

void Engine::OnEndFile(const mpv_event_end_file& end)
{
    if (end.reason == MPV_END_FILE_REASON_EOF) {
        Emit(ProtocolLines::EndOfFile());
        Finish(0);
    } else if (end.reason == MPV_END_FILE_REASON_ERROR) {
        Note("cannot play " + options_.medium.name + ": " + mpv_error_string(end.error));
        if (!loaded_) {
            ReadMessagesSoFar();
            if (dvdTitle_ && dvdTitle_->Scrambled())
                encryption_ = "CSS";
            if (!encryption_.empty())
                Emit(ProtocolLines::Encrypted(encryption_));
        }
        Emit(ProtocolLines::EndOfFile());
        Finish(1);
    }
}

void Engine::OnCommandReply(const mpv_event& event)
{
    const auto shot = screenshots_.find(event.reply_userdata);
    if (shot == screenshots_.end())
        return;
    if (event.error >= 0)
        Emit(ProtocolLines::Screenshot(shot->second));
    else
        Note("screenshot failed: " + std::string(mpv_error_string(event.error)));
    screenshots_.erase(shot);
}

void Engine::Emit(const std::string& line)
{
    const std::string text = line + "\n";
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0)
        Finish(status_);   // the reader is gone
}

void Engine::Finish(int status)
{
    if (finished_)
        return;
    finished_ = true;
    status_ = status;
}
