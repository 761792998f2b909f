#include "ScreenshotFiles.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

std::string NextScreenshotPath(const std::string& folder, const std::string& extension)
{
    std::error_code error;
    const fs::path base = fs::absolute(folder.empty() ? fs::path(".") : fs::path(folder), error);
    if (error)
        return {};
    fs::create_directories(base, error);
    if (!fs::is_directory(base, error))
        return {};
    for (int number = 1; number <= 9999; ++number) {
        char name[32];
        std::snprintf(name, sizeof name, "shot%04d.%s", number, extension.c_str());
        const fs::path candidate = base / name;
        if (!fs::exists(candidate, error))
            return candidate.lexically_normal().string();
    }
    return {};
}
