// Player: the playback engine, one process per playback, driven in the
// classic slave mode (commands on standard input, answers on standard
// output) and drawing into the window given after -wid.
#include "Engine.h"
#include "LaunchOptions.h"
#include "StandbyLaunch.h"

#include <clocale>
#include <csignal>
#include <cstdio>

int main(int argc, char** argv)
{
    // A reader that went away must end us through a failed write, not kill
    // us half-way through tearing down the player.
    std::signal(SIGPIPE, SIG_IGN);
    // libmpv parses numbers with the C locale and insists on it.
    std::setlocale(LC_NUMERIC, "C");

    std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments == std::vector<std::string>{"-standby"}) {
        // Started ahead of need: the real command line follows on standard
        // input. Input that ends first means we were not needed after all.
        const std::optional<std::string> line = ReadLaunchLine(0, 1 << 20);
        if (!line)
            return 0;
        std::optional<std::vector<std::string>> given = DecodeLaunchLine(*line);
        if (!given) {
            std::fprintf(stderr, "Player: the command line given on standard input is garbled\n");
            return 2;
        }
        arguments = std::move(*given);
    }
    const LaunchParse parse = ParseLaunchOptions(arguments);
    for (const std::string& note : parse.notes)
        std::fprintf(stderr, "Player: %s\n", note.c_str());
    if (!parse.options) {
        std::fprintf(stderr, "Player: %s\n", parse.error.c_str());
        std::fprintf(stderr, "usage: Player [-demuxer lavf] [-ni] [-slave] [-quiet] [-wid ID] [-vo OUT] "
                             "[-lavdopts threads=N] [-vf screenshot=FOLDER] [-af channels=N,volume=DB:CLIP] "
                             "FILE | dvd://N -dvd-device FOLDER | br://N -bluray-device FOLDER\n"
                             "       Player -standby   (the same, percent-encoded, as a line on standard input)\n");
        return 2;
    }
    Engine engine(*parse.options);
    return engine.Run();
}
