#include "GraphicsFacts.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Mesa's own reading of a yes/no variable.
bool MesaSaysYes(const char* value)
{
    if (!value)
        return false;
    for (const char* yes : {"1", "true", "yes", "y"})
        if (std::strcmp(value, yes) == 0)
            return true;
    return false;
}

// "host:0" and "tcp/host:0" reach the server over the network, where a
// client cannot render directly; ":0", "unix:0", "unix/:0" and a socket path
// ("/tmp/.../org.x:0") are local.
bool RemoteDisplay(const char* display)
{
    if (!display)
        return false;
    std::string host(display);
    const std::size_t colon = host.rfind(':');
    if (colon == std::string::npos)
        return false;
    host.erase(colon);
    if (host.rfind("unix/", 0) == 0 || host.empty() || host == "unix" || host[0] == '/')
        return false;
    return true;
}

std::string DriverOf(const std::string& root, const std::string& node)
{
    const std::string link = root + "/sys/class/drm/" + node + "/device/driver";
    char target[PATH_MAX];
    const ssize_t length = readlink(link.c_str(), target, sizeof target - 1);
    if (length <= 0)
        return std::string();
    target[length] = '\0';
    const char* slash = std::strrchr(target, '/');
    return slash ? slash + 1 : target;
}

// Render nodes whose drivers draw nothing in hardware: virtual GEM for
// software rendering, and the virtual KMS test driver.
bool SoftwareDriver(const std::string& driver)
{
    return driver == "vgem" || driver == "vkms";
}

bool HardwareRenderer(const std::string& root)
{
    // NVIDIA's own driver may run without render nodes.
    if (access((root + "/dev/nvidiactl").c_str(), R_OK | W_OK) == 0)
        return true;
    const std::string folder = root + "/dev/dri";
    DIR* dri = opendir(folder.c_str());
    if (!dri)
        return false;
    std::vector<std::string> nodes;
    while (const dirent* entry = readdir(dri))
        if (std::strncmp(entry->d_name, "renderD", 7) == 0)
            nodes.emplace_back(entry->d_name);
    closedir(dri);
    for (const std::string& node : nodes) {
        if (access((folder + "/" + node).c_str(), R_OK | W_OK) != 0)
            continue;
        // A driver we cannot name counts as hardware: better one rejected
        // attempt than a GPU left unused.
        if (!SoftwareDriver(DriverOf(root, node)))
            return true;
    }
    return false;
}

} // namespace

GraphicsFacts ReadGraphicsFacts(const std::string& root)
{
    GraphicsFacts facts;
    facts.softwareForced = MesaSaysYes(std::getenv("LIBGL_ALWAYS_SOFTWARE"));
    facts.remoteDisplay = RemoteDisplay(std::getenv("DISPLAY"));
    facts.hardwareRenderer = HardwareRenderer(root);
    return facts;
}

std::string OutputsForThisMachine(const std::string& outputs, const GraphicsFacts& facts)
{
    if (facts.hardwareRenderer && !facts.softwareForced && !facts.remoteDisplay)
        return outputs;
    std::vector<std::string> kept;
    std::size_t start = 0;
    while (start <= outputs.size()) {
        const std::size_t end = std::min(outputs.find(',', start), outputs.size());
        kept.push_back(outputs.substr(start, end - start));
        start = end + 1;
    }
    std::string result;
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if ((kept[i] == "gpu" || kept[i] == "gpu-next") && i + 1 < kept.size())
            continue;
        result += (result.empty() ? "" : ",") + kept[i];
    }
    return result;
}
