#pragma once

#include <optional>
#include <string>

// "tool -batch" answers many files in one process. Every request is one line
// on standard input: the path's bytes with each backslash written as "\\"
// and each newline as "\n", so that no path can split its line. Every
// request gets exactly one line on standard output, in order: the same
// "Duration: " text "tool -i" prints ("Duration: N/A" for a file that cannot
// be read, and for a request that is not a path written this way).

// The path a request line stands for (without its line end), or nothing
// when the line holds an escape other than the two above or a lone
// backslash at its end.
std::optional<std::string> PathOfRequest(const std::string& line);
