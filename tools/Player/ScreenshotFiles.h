#pragma once

#include <string>

// The full path of the next free "shotNNNN.EXTENSION" in folder (created
// when it is missing), or an empty text when the folder cannot be made.
std::string NextScreenshotPath(const std::string& folder, const std::string& extension = "png");
