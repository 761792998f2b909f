#include "SlaveCommand.h"

#include "PlaybackControl.h"

#include <cmath>
#include <cstdlib>
#include <sstream>

namespace {

using Arguments = std::vector<double>;
using Handler = void (*)(PlaybackControl&, const Arguments&);

// Every command of the protocol takes numbers only; missing optional ones
// take their defaults, the way the classic engine fills them in.
struct CommandForm {
    const char* name;
    std::size_t required;
    std::vector<double> defaults;  // for the optional arguments after the required ones
    bool endsPause;                // false for the commands that decide the pause themselves
    Handler handler;
};

PlaybackControl::SeekKind SeekKindOf(double type)
{
    if (type == 1)
        return PlaybackControl::SeekKind::Percent;
    if (type == 2)
        return PlaybackControl::SeekKind::Absolute;
    return PlaybackControl::SeekKind::Relative;
}

bool IsWhole(double value) { return std::floor(value) == value; }

const CommandForm commandForms[] = {
    {"seek", 1, {0}, true,
     [](PlaybackControl& c, const Arguments& a) { c.Seek(a[0], SeekKindOf(a[1])); }},
    {"pause", 0, {}, false,
     [](PlaybackControl& c, const Arguments&) { c.TogglePause(); }},
    {"q", 0, {0}, false,
     [](PlaybackControl& c, const Arguments& a) { c.Quit(static_cast<int>(a[0])); }},
    {"quit", 0, {0}, false,
     [](PlaybackControl& c, const Arguments& a) { c.Quit(static_cast<int>(a[0])); }},
    {"volume", 1, {0}, true,
     [](PlaybackControl& c, const Arguments& a) { c.SetVolume(a[0], a[1] != 0); }},
    {"balance", 1, {0}, true,
     [](PlaybackControl& c, const Arguments& a) { c.SetBalance(a[0], a[1] != 0); }},
    {"switch_audio", 1, {}, true,
     [](PlaybackControl& c, const Arguments& a) { c.SelectAudio(static_cast<int>(a[0])); }},
    {"sub_demux", 1, {}, true,
     [](PlaybackControl& c, const Arguments& a) { c.SelectSubtitle(static_cast<int>(a[0])); }},
    {"get_time_length", 0, {}, true,
     [](PlaybackControl& c, const Arguments&) { c.AnswerLength(); }},
    {"get_time_pos", 0, {}, true,
     [](PlaybackControl& c, const Arguments&) { c.AnswerPosition(); }},
    {"screenshot", 0, {0}, true,
     [](PlaybackControl& c, const Arguments&) { c.Screenshot(); }},
    {"screenshot_format", 1, {}, false,
     [](PlaybackControl& c, const Arguments& a) { c.SetScreenshotFormat(static_cast<int>(a[0])); }},
};

const CommandForm* FindForm(const std::string& name)
{
    for (const CommandForm& form : commandForms)
        if (name == form.name)
            return &form;
    return nullptr;
}

bool ReadArguments(const SlaveCommand& command, const CommandForm& form, Arguments& values)
{
    const std::size_t most = form.required + form.defaults.size();
    if (command.arguments.size() < form.required || command.arguments.size() > most)
        return false;
    for (const std::string& text : command.arguments) {
        char* end = nullptr;
        const double value = std::strtod(text.c_str(), &end);
        if (end == text.c_str() || *end != '\0' || !std::isfinite(value))
            return false;
        values.push_back(value);
    }
    for (std::size_t i = values.size(); i < most; ++i)
        values.push_back(form.defaults[i - form.required]);
    return true;
}

// Track numbers and the screenshot mode are whole numbers; "screenshot 1"
// (one file per frame) has no use here and is refused rather than faked.
// Numbers that become ints must fit one: "switch_audio 1e300" is refused,
// not cast.
bool FitsInt(double value) { return value >= -2147483648.0 && value <= 2147483647.0; }

bool ArgumentsMakeSense(const std::string& name, const Arguments& values)
{
    if (name == "switch_audio" || name == "sub_demux")
        return IsWhole(values[0]) && values[0] >= -2 && FitsInt(values[0]);
    if (name == "q" || name == "quit")
        return FitsInt(values[0]);
    if (name == "screenshot")
        return values[0] == 0;
    if (name == "screenshot_format")
        return values[0] == 0 || values[0] == 1;
    return true;
}

} // namespace

SlaveCommand SplitCommand(std::string_view line)
{
    SlaveCommand command;
    std::istringstream words{std::string(line)};
    std::string word;
    while (words >> word) {
        if (command.name.empty() && !command.pausingKeep && word == "pausing_keep")
            command.pausingKeep = true;
        else if (command.name.empty())
            command.name = word;
        else
            command.arguments.push_back(word);
    }
    return command;
}

CommandResult RunCommand(const SlaveCommand& command, PlaybackControl& control)
{
    if (command.name.empty())
        return {command.pausingKeep ? CommandOutcome::Malformed : CommandOutcome::Blank,
                command.pausingKeep ? "pausing_keep without a command" : ""};
    const CommandForm* form = FindForm(command.name);
    if (!form)
        return {CommandOutcome::Unknown, "unknown command '" + command.name + "'"};
    Arguments values;
    if (!ReadArguments(command, *form, values) || !ArgumentsMakeSense(command.name, values))
        return {CommandOutcome::Malformed, "bad arguments for '" + command.name + "'"};
    if (form->endsPause && !command.pausingKeep)
        control.EndPause();
    form->handler(control, values);
    return {};
}
