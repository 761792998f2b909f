#pragma once

#include <string>
#include <string_view>
#include <vector>

class PlaybackControl;

// One line of standard input, split into its words.
struct SlaveCommand {
    bool pausingKeep = false;          // prefixed with "pausing_keep"
    std::string name;
    std::vector<std::string> arguments;
};

// Empty name: a blank line.
SlaveCommand SplitCommand(std::string_view line);

enum class CommandOutcome { Done, Blank, Unknown, Malformed };

struct CommandResult {
    CommandOutcome outcome = CommandOutcome::Done;
    std::string note;                  // for standard error when not done
};

// Looks the command up in the command table, checks its arguments and runs it.
CommandResult RunCommand(const SlaveCommand& command, PlaybackControl& control);
