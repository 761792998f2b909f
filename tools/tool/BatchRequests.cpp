#include "BatchRequests.h"

std::optional<std::string> PathOfRequest(const std::string& line)
{
    std::string path;
    path.reserve(line.size());
    for (std::size_t at = 0; at < line.size(); ++at) {
        if (line[at] != '\\') {
            path += line[at];
            continue;
        }
        if (++at == line.size())
            return std::nullopt;
        if (line[at] == '\\')
            path += '\\';
        else if (line[at] == 'n')
            path += '\n';
        else
            return std::nullopt;
    }
    return path;
}
