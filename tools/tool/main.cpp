// tool -i PATH
// Prints the duration of a media file on standard error as
// "Duration: HH:MM:SS.cc", or "Duration: N/A" when it has none or cannot be
// read. Exits non-zero when the input cannot be read.
//
// tool -batch
// Answers one request line of standard input after the other, each with
// one "Duration: " line on standard output (BatchRequests.h has the form),
// until standard input ends. Each file gets the same limits as "-i": at the
// hard limit the answer is "Duration: N/A" and the process ends, so a file
// that stalls costs this process and never the answers to other files.
#include "BatchRequests.h"
#include "DurationProbe.h"
#include "DurationText.h"

extern "C" {
#include <libavutil/log.h>
}

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

constexpr std::chrono::milliseconds probeBudget{4000};
constexpr unsigned hardLimitSeconds = 8;   // if libavformat ignores the budget

// Where the answer goes: standard error for "-i", standard output in batch.
volatile sig_atomic_t answerChannel = STDERR_FILENO;

void AnswerAndExit(int)
{
    static const char line[] = "Duration: N/A\n";
    (void)!write(answerChannel, line, sizeof line - 1);
    _exit(3);
}

int Usage()
{
    std::fputs("usage: tool -i PATH\n       tool -batch\n", stderr);
    return 2;
}

int ProbeOne(const std::string& path)
{
    alarm(hardLimitSeconds);
    const ProbeResult result = ProbeDuration(path, probeBudget);
    if (!result.readable)
        std::fprintf(stderr, "%s: %s\n", path.c_str(), result.error.c_str());
    std::fprintf(stderr, "%s\n", FormatDurationLine(result.microseconds).c_str());
    return result.readable ? 0 : 1;
}

int ProbeRequests()
{
    answerChannel = STDOUT_FILENO;
    // A caller that goes away mid-answer ends the batch at its next read,
    // not with a signal that looks like a crash.
    std::signal(SIGPIPE, SIG_IGN);
    char* buffer = nullptr;
    std::size_t capacity = 0;
    ssize_t length;
    while ((length = getline(&buffer, &capacity, stdin)) >= 0) {
        std::string line(buffer, std::size_t(length));
        if (!line.empty() && line.back() == '\n')
            line.pop_back();
        std::optional<int64_t> microseconds;
        if (const auto path = PathOfRequest(line)) {
            alarm(hardLimitSeconds);
            const ProbeResult result = ProbeDuration(*path, probeBudget);
            alarm(0);
            if (!result.readable)
                std::fprintf(stderr, "%s: %s\n", path->c_str(), result.error.c_str());
            microseconds = result.microseconds;
        }
        std::printf("%s\n", FormatDurationLine(microseconds).c_str());
        std::fflush(stdout);
    }
    std::free(buffer);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const bool batch = argc == 2 && std::strcmp(argv[1], "-batch") == 0;
    if (!batch && (argc != 3 || std::strcmp(argv[1], "-i") != 0))
        return Usage();
    std::signal(SIGALRM, &AnswerAndExit);
    av_log_set_level(AV_LOG_QUIET);
    return batch ? ProbeRequests() : ProbeOne(argv[2]);
}
