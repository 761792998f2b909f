// tool -i PATH
// Prints the duration of a media file on standard error as
// "Duration: HH:MM:SS.cc", or "Duration: N/A" when it has none or cannot be
// read. Exits non-zero when the input cannot be read.
#include "DurationProbe.h"
#include "DurationText.h"

extern "C" {
#include <libavutil/log.h>
}

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

constexpr std::chrono::milliseconds probeBudget{4000};
constexpr unsigned hardLimitSeconds = 8;   // if libavformat ignores the budget

void AnswerAndExit(int)
{
    static const char line[] = "Duration: N/A\n";
    (void)!write(STDERR_FILENO, line, sizeof line - 1);
    _exit(3);
}

int Usage()
{
    std::fputs("usage: tool -i PATH\n", stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3 || std::strcmp(argv[1], "-i") != 0)
        return Usage();
    std::signal(SIGALRM, &AnswerAndExit);
    alarm(hardLimitSeconds);
    av_log_set_level(AV_LOG_QUIET);

    const std::string path = argv[2];
    const ProbeResult result = ProbeDuration(path, probeBudget);
    if (!result.readable)
        std::fprintf(stderr, "%s: %s\n", path.c_str(), result.error.c_str());
    std::fprintf(stderr, "%s\n", FormatDurationLine(result.microseconds).c_str());
    return result.readable ? 0 : 1;
}
