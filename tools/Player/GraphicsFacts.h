#pragma once

#include <string>

// What this machine offers for drawing video, found without loading any
// renderer: a few environment variables, device nodes and sysfs links.
struct GraphicsFacts {
    bool softwareForced = false;    // LIBGL_ALWAYS_SOFTWARE asks Mesa for its software renderer
    bool remoteDisplay = false;     // DISPLAY reaches the X server over the network
    bool hardwareRenderer = false;  // a GPU's render node (or NVIDIA's device) we may open
};

// Reads the facts of this machine; `root` stands in for "/" in the tests.
GraphicsFacts ReadGraphicsFacts(const std::string& root = std::string());

// libmpv's "vo" list for this machine. Without a hardware renderer within
// reach, libmpv's GPU output would start a software OpenGL renderer only to
// reject it and go on to the next output in the list; it is left out at once
// then. A GPU output with nothing after it stays: there libmpv accepts the
// software renderer, as asked.
std::string OutputsForThisMachine(const std::string& outputs, const GraphicsFacts& facts);
