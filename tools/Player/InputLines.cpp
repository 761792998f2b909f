#include "InputLines.h"

std::vector<std::string> InputLines::Feed(std::string_view bytes)
{
    std::vector<std::string> lines;
    for (const char c : bytes) {
        if (c == '\n') {
            if (!skipping_) {
                if (!partial_.empty() && partial_.back() == '\r')
                    partial_.pop_back();
                lines.push_back(partial_);
            }
            partial_.clear();
            skipping_ = false;
        } else if (!skipping_) {
            partial_ += c;
            if (partial_.size() > longestLine) {
                partial_.clear();
                skipping_ = true;
                dropped_ = true;
            }
        }
    }
    return lines;
}
