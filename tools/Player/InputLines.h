#pragma once

#include <string>
#include <utility>
#include <string_view>
#include <vector>

// Cuts what arrives on standard input into lines. A line that grows beyond
// any command's length without an end is dropped whole, so a stray binary
// stream cannot make the engine hoard memory.
class InputLines {
public:
    static constexpr std::size_t longestLine = 4096;

    std::vector<std::string> Feed(std::string_view bytes);
    bool DroppedLongLine() { return std::exchange(dropped_, false); }

private:
    std::string partial_;
    bool skipping_ = false;
    bool dropped_ = false;
};
