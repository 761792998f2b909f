#pragma once

#include <string>
#include <vector>

// The script of the scripted engine, one rule a line:
//   start: LINE              print LINE as soon as the engine runs
//   after MS: LINE           print LINE MS milliseconds after the start
//   on PREFIX: LINE          print LINE whenever a received line starts with PREFIX
//   exit-after PREFIX        end (status 0) once a line starting with PREFIX was handled
//   exit-status N            the status for every end (default 0)
// Blank lines and lines starting with "#" are skipped. PREFIX is matched
// against the received line without its line end; it may contain blanks.
struct EngineScript {
    struct Timed {
        int milliseconds = 0;
        std::string line;
    };
    struct Reply {
        std::string prefix;
        std::string line;
    };
    std::vector<std::string> startLines;
    std::vector<Timed> timedLines;     // in the order of their times
    std::vector<Reply> replies;
    std::vector<std::string> exitPrefixes;
    int exitStatus = 0;
    std::vector<std::string> errors;   // lines that follow no rule
};

EngineScript ParseEngineScript(const std::string& text);
