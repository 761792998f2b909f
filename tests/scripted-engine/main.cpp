// scripted-engine: stands in for Player in tests of the main window.
//
//   SCRIPTED_ENGINE_SCRIPT  a script file (rules in EngineScript.h); without
//                           it the engine prints nothing and only records
//   SCRIPTED_ENGINE_LOG     a file that receives, flushed at once,
//                             "standby"  when started ahead of need
//                             "arg: A"   for each argument, in order
//                             "in: LINE" for each line read from standard input
//                             "eof"      when standard input ends
//
// The engine ends at the end of standard input, on an exit-after rule, or
// on "q" when the script has no exit-after rule of its own.
#include "EngineScript.h"
#include "StandbyLaunch.h"

#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

void Say(const std::string& line)
{
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

void Record(const File& log, const std::string& entry)
{
    if (!log)
        return;
    std::fputs((entry + "\n").c_str(), log.get());
    std::fflush(log.get());
}

EngineScript LoadScript()
{
    const char* path = std::getenv("SCRIPTED_ENGINE_SCRIPT");
    std::stringstream text;
    if (path && *path) {
        std::ifstream file(path);
        text << file.rdbuf();
    }
    EngineScript script = ParseEngineScript(text.str());
    for (const std::string& error : script.errors)
        std::fprintf(stderr, "scripted-engine: rule not understood: %s\n", error.c_str());
    if (script.exitPrefixes.empty())
        script.exitPrefixes.push_back("q");
    return script;
}

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

// Answers one received line; true when the engine should end.
bool Answer(const EngineScript& script, const std::string& line)
{
    for (const EngineScript::Reply& reply : script.replies)
        if (StartsWith(line, reply.prefix))
            Say(reply.line);
    for (const std::string& prefix : script.exitPrefixes)
        if (StartsWith(line, prefix))
            return true;
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    const char* logPath = std::getenv("SCRIPTED_ENGINE_LOG");
    const File log(logPath && *logPath ? std::fopen(logPath, "a") : nullptr);
    std::vector<std::string> arguments(argv + 1, argv + argc);
    // Started ahead of need, like Player: the arguments come as a line.
    if (arguments == std::vector<std::string>{"-standby"}) {
        Record(log, "standby");
        const auto line = ReadLaunchLine(STDIN_FILENO, 1 << 20);
        const auto given = line ? DecodeLaunchLine(*line) : std::nullopt;
        if (!given) {
            Record(log, "standby ended");
            return 0;
        }
        arguments = *given;
    }
    for (const std::string& argument : arguments)
        Record(log, "arg: " + argument);
    const EngineScript script = LoadScript();
    for (const std::string& line : script.startLines)
        Say(line);

    const Clock::time_point start = Clock::now();
    std::size_t nextTimed = 0;
    std::string partial;
    for (;;) {
        int wait = -1;
        if (nextTimed < script.timedLines.size()) {
            const auto due = start + std::chrono::milliseconds(script.timedLines[nextTimed].milliseconds);
            wait = static_cast<int>(std::max<long long>(
                0, std::chrono::duration_cast<std::chrono::milliseconds>(due - Clock::now()).count()));
        }
        pollfd input{STDIN_FILENO, POLLIN, 0};
        if (poll(&input, 1, wait) == 0) {
            Say(script.timedLines[nextTimed++].line);
            continue;
        }
        char bytes[4096];
        const ssize_t count = read(STDIN_FILENO, bytes, sizeof bytes);
        if (count <= 0) {
            Record(log, "eof");
            return script.exitStatus;
        }
        partial.append(bytes, static_cast<std::size_t>(count));
        for (std::size_t end; (end = partial.find('\n')) != std::string::npos;) {
            const std::string line = partial.substr(0, end);
            partial.erase(0, end + 1);
            Record(log, "in: " + line);
            if (Answer(script, line))
                return script.exitStatus;
        }
    }
}
