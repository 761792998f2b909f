#pragma once

#include "DvdTitleStream.h"
#include "InputLines.h"
#include "LaunchOptions.h"
#include "MpvHandle.h"
#include "PlaybackControl.h"
#include "PropertyTrace.h"
#include "ProtocolLines.h"
#include "SlaveCommand.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// One playback: libmpv opens the medium, standard input brings slave
// commands, standard output carries the protocol lines.
class Engine final : public PlaybackControl {
public:
    explicit Engine(LaunchOptions options);
    ~Engine() override;
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // Plays until the end of the medium, "q", or the end of standard input;
    // the result is the process's exit status.
    int Run();

    void EndPause() override;
    void TogglePause() override;
    void Quit(int status) override;
    void Seek(double value, SeekKind kind) override;
    void SetVolume(double value, bool absolute) override;
    void SetBalance(double value, bool absolute) override;
    void SelectAudio(int index) override;
    void SelectSubtitle(int index) override;
    void AnswerLength() override;
    void AnswerPosition() override;
    void Screenshot() override;
    void SetScreenshotFormat(int format) override;

private:
    bool Open();
    bool ApplyOptions(const std::vector<std::pair<std::string, std::string>>& sourceOptions);
    void ReadInput();
    void HandleLine(const std::string& line);
    void Execute(const SlaveCommand& command);
    void DrainEvents();
    void HandleEvent(const mpv_event& event);
    void OnLogMessage(const mpv_event_log_message& message);
    void ReadMessagesSoFar();
    void OnFileLoaded();
    void OnVideoReconfig();
    void OnEndFile(const mpv_event_end_file& end);
    void OnCommandReply(const mpv_event& event);
    void Emit(const std::string& line);
    void Finish(int status);

    const std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
    LaunchOptions options_;
    MpvHandle mpv_;
    int wakeupPipe_[2] = {-1, -1};
    InputLines input_;
    PropertyTrace trace_;
    std::vector<SlaveCommand> pending_;   // commands that came before the medium opened
    std::vector<StreamInfo> streams_;
    std::map<uint64_t, std::string> screenshots_;   // reply id -> file
    const char* screenshotExtension_ = "png";      // libmpv picks its writer by it
    uint64_t nextReply_ = 1;
    std::unique_ptr<DvdTitleStream> dvdTitle_;
    std::optional<double> statedLength_;   // from the medium itself, see MediaSource
    std::vector<int> audioPids_, subtitlePids_;   // a Blu-ray playlist's, see MediaSource
    double balance_ = 0.0;
    std::string logLevel_;                  // libmpv's messages shown on standard error
    int shownLevel_ = MPV_LOG_LEVEL_ERROR;  // the same as a level number
    std::string encryption_;                // what a disc that would not open is encrypted with
    bool loaded_ = false;
    bool videoAnnounced_ = false;
    bool finished_ = false;
    int status_ = 0;
};
