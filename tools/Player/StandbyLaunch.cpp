#include "StandbyLaunch.h"

#include <unistd.h>

#include <cerrno>

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::optional<std::vector<std::string>> DecodeLaunchLine(std::string_view line)
{
    std::vector<std::string> arguments;
    if (line.empty())
        return arguments;
    arguments.emplace_back();
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == ' ') {
            arguments.emplace_back();
        } else if (line[i] != '%') {
            arguments.back() += line[i];
        } else {
            const int high = i + 2 < line.size() ? HexValue(line[i + 1]) : -1;
            const int low = high >= 0 ? HexValue(line[i + 2]) : -1;
            if (low < 0)
                return std::nullopt;
            arguments.back() += static_cast<char>(high * 16 + low);
            i += 2;
        }
    }
    return arguments;
}

std::optional<std::string> ReadLaunchLine(int fd, std::size_t maxBytes)
{
    std::string line;
    for (;;) {
        char byte = 0;
        const ssize_t count = read(fd, &byte, 1);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return std::nullopt;
        if (byte == '\n')
            return line;
        if (line.size() >= maxBytes)
            return std::nullopt;
        line += byte;
    }
}
