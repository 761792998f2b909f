#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// An engine started ahead of need ("Player -standby") loads its libraries
// and then waits for its real command line on standard input: one line, each
// argument percent-encoded (so that spaces, newlines and any other byte pass
// unharmed), one space between arguments.

// The arguments of such a line, without its end; nothing when a "%" is not
// followed by two hex digits.
std::optional<std::vector<std::string>> DecodeLaunchLine(std::string_view line);

// Reads the line from fd one byte at a time, so that whatever follows it
// stays unread for the engine's own input loop. Nothing when the input ends
// first (the window never needed us) or the line grows beyond maxBytes.
std::optional<std::string> ReadLaunchLine(int fd, std::size_t maxBytes);
