#include "EngineScript.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace {

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

// "HEAD: LINE" -> HEAD and LINE (one blank after the colon is dropped).
bool SplitRule(const std::string& rest, std::string& head, std::string& line)
{
    const auto colon = rest.find(':');
    if (colon == std::string::npos)
        return false;
    head = rest.substr(0, colon);
    line = rest.substr(colon + 1);
    if (!line.empty() && line[0] == ' ')
        line.erase(0, 1);
    return true;
}

void ReadRule(const std::string& rule, EngineScript& script)
{
    std::string head, line;
    if (StartsWith(rule, "start:")) {
        SplitRule(rule, head, line);
        script.startLines.push_back(line);
    } else if (StartsWith(rule, "after ") && SplitRule(rule.substr(6), head, line)) {
        script.timedLines.push_back({std::atoi(head.c_str()), line});
    } else if (StartsWith(rule, "on ") && SplitRule(rule.substr(3), head, line)) {
        script.replies.push_back({head, line});
    } else if (StartsWith(rule, "exit-after ")) {
        script.exitPrefixes.push_back(rule.substr(11));
    } else if (StartsWith(rule, "exit-status ")) {
        script.exitStatus = std::atoi(rule.substr(12).c_str());
    } else {
        script.errors.push_back(rule);
    }
}

} // namespace

EngineScript ParseEngineScript(const std::string& text)
{
    EngineScript script;
    std::istringstream lines(text);
    std::string rule;
    while (std::getline(lines, rule)) {
        if (!rule.empty() && rule.back() == '\r')
            rule.pop_back();
        if (rule.empty() || rule[0] == '#')
            continue;
        ReadRule(rule, script);
    }
    std::stable_sort(script.timedLines.begin(), script.timedLines.end(),
                     [](const auto& a, const auto& b) { return a.milliseconds < b.milliseconds; });
    return script;
}
