#include "LaunchOptions.h"

#include <cstdlib>
#include <cstring>

namespace {

struct ParseState {
    LaunchOptions options;
    std::string device;        // after -dvd-device or -bluray-device
    std::string deviceOption;  // which of the two was given
    bool haveMedium = false;
    std::vector<std::string> notes;
};

// A handler returns an empty text when the value is accepted.
using OptionHandler = std::string (*)(ParseState&, const std::string& value);

struct OptionForm {
    const char* name;
    bool takesValue;
    OptionHandler handler;
};

bool ReadInteger(const std::string& text, long long& value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    value = std::strtoll(text.c_str(), &end, 0);
    return *end == '\0';
}

std::string Ignored(ParseState&, const std::string&) { return {}; }

std::string Demuxer(ParseState& state, const std::string& value)
{
    state.options.demuxer = value;
    return {};
}

std::string WindowId(ParseState& state, const std::string& value)
{
    long long id = 0;
    if (!ReadInteger(value, id) || id < 0)
        return "-wid wants a window id";
    state.options.windowId = id;
    return {};
}

std::string VideoOutput(ParseState& state, const std::string& value)
{
    state.options.videoOutputs = VideoOutputsFor(value);
    return {};
}

// "threads=4[:other=...]": only the thread count has a counterpart.
std::string DecoderOptions(ParseState& state, const std::string& value)
{
    std::size_t start = 0;
    while (start <= value.size()) {
        const std::size_t end = std::min(value.find(':', start), value.size());
        const std::string item = value.substr(start, end - start);
        long long threads = 0;
        if (item.rfind("threads=", 0) == 0) {
            if (!ReadInteger(item.substr(8), threads) || threads < 0 || threads > 64)
                return "-lavdopts threads wants a count from 0 to 64";
            state.options.decoderThreads = static_cast<int>(threads);
        } else if (!item.empty()) {
            state.notes.push_back("-lavdopts " + item + " has no effect here");
        }
        start = end + 1;
    }
    return {};
}

// Only the screenshot filter is known; its value is a folder, which may hold
// any character, so nothing after "screenshot=" is split.
std::string VideoFilters(ParseState& state, const std::string& value)
{
    if (value == "screenshot")
        return {};
    if (value.rfind("screenshot=", 0) != 0)
        return "-vf knows only screenshot=FOLDER";
    state.options.screenshotFolder = value.substr(11);
    return {};
}

std::string AudioFilters(ParseState& state, const std::string& value)
{
    std::string error;
    const std::optional<AudioChain> chain = ParseAudioChain(value, error);
    if (!chain)
        return "-af: " + error;
    state.options.audio = *chain;
    return {};
}

std::string DvdDevice(ParseState& state, const std::string& value)
{
    state.device = value;
    state.deviceOption = "-dvd-device";
    return {};
}

std::string BlurayDevice(ParseState& state, const std::string& value)
{
    state.device = value;
    state.deviceOption = "-bluray-device";
    return {};
}

// -ni, -slave and -quiet describe how the classic engine should behave;
// this one always reads commands and never prints a status line.
constexpr OptionForm optionForms[] = {
    {"-demuxer", true, &Demuxer},
    {"-ni", false, &Ignored},
    {"-slave", false, &Ignored},
    {"-quiet", false, &Ignored},
    {"-wid", true, &WindowId},
    {"-vo", true, &VideoOutput},
    {"-lavdopts", true, &DecoderOptions},
    {"-vf", true, &VideoFilters},
    {"-af", true, &AudioFilters},
    {"-dvd-device", true, &DvdDevice},
    {"-bluray-device", true, &BlurayDevice},
};

const OptionForm* FindOption(const std::string& name)
{
    for (const OptionForm& form : optionForms)
        if (name == form.name)
            return &form;
    return nullptr;
}

std::string ReadMedium(ParseState& state, const std::string& argument)
{
    if (state.haveMedium)
        return "more than one medium given ('" + argument + "')";
    state.haveMedium = true;
    Medium& medium = state.options.medium;
    medium.name = argument;
    const struct { const char* prefix; MediumKind kind; long long lowest; } schemes[] = {
        {"dvd://", MediumKind::Dvd, 1},
        {"br://", MediumKind::Bluray, 0},
    };
    for (const auto& scheme : schemes) {
        const std::size_t length = std::strlen(scheme.prefix);
        if (argument.compare(0, length, scheme.prefix) != 0)
            continue;
        long long title = 0;
        const std::string number = argument.substr(length);
        if (!ReadInteger(number.empty() ? std::to_string(scheme.lowest) : number, title)
            || title < scheme.lowest || title > 9999)
            return "bad title in '" + argument + "'";
        medium.kind = scheme.kind;
        medium.title = static_cast<int>(title);
        return {};
    }
    medium.kind = MediumKind::File;
    medium.path = argument;
    return {};
}

std::string CheckDevice(ParseState& state)
{
    Medium& medium = state.options.medium;
    const char* wanted = medium.kind == MediumKind::Dvd      ? "-dvd-device"
                         : medium.kind == MediumKind::Bluray ? "-bluray-device"
                                                             : nullptr;
    if (!wanted)
        return state.device.empty() ? std::string() : state.deviceOption + " without a disc medium";
    if (state.deviceOption != wanted)
        return medium.name + " wants " + wanted + " and a folder";
    medium.path = state.device;
    return {};
}

} // namespace

std::string VideoOutputsFor(const std::string& classicName)
{
    // "direct3d" was the accelerated output of the platform the command
    // line comes from; the GPU output is ours, with plain X11 behind it for
    // displays without OpenGL. The engine leaves the GPU output out where
    // no hardware renderer is within reach (OutputsForThisMachine).
    const struct { const char* classic; const char* outputs; } table[] = {
        {"direct3d", "gpu,x11"}, {"gl", "gpu,x11"}, {"gpu", "gpu,x11"},
        {"xv", "xv,x11"}, {"x11", "x11"}, {"null", "null"},
    };
    for (const auto& row : table)
        if (classicName == row.classic)
            return row.outputs;
    return classicName;
}

LaunchParse ParseLaunchOptions(const std::vector<std::string>& arguments)
{
    ParseState state;
    LaunchParse result;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        std::string error;
        if (!optionsEnded && argument == "--") {
            // Everything after it is a medium, even a name that starts with "-".
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && argument.size() > 1 && argument[0] == '-') {
            const OptionForm* form = FindOption(argument);
            if (!form) {
                result.error = "unknown option " + argument;
                return result;
            }
            if (form->takesValue && i + 1 >= arguments.size()) {
                result.error = argument + " wants a value";
                return result;
            }
            error = form->handler(state, form->takesValue ? arguments[++i] : std::string());
        } else {
            error = ReadMedium(state, argument);
        }
        if (!error.empty()) {
            result.error = error;
            return result;
        }
    }
    if (!state.haveMedium) {
        result.error = "no medium given";
        return result;
    }
    if (std::string error = CheckDevice(state); !error.empty()) {
        result.error = error;
        return result;
    }
    result.options = state.options;
    result.notes = state.notes;
    return result;
}
