#include "ProtocolLines.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace {

// Languages and codec names come from the medium; only plain tag characters
// go out, so no medium can smuggle a protocol word into a line.
std::string Tag(const std::string& text)
{
    std::string tag;
    for (const char c : text)
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_')
            tag += c;
    return tag.substr(0, 32);
}

std::string StreamLine(const StreamInfo& stream, int number)
{
    const bool audio = stream.kind == StreamInfo::Kind::Audio;
    std::string line = "[lavf] stream " + std::to_string(std::max(stream.containerIndex, 0))
                       + (audio ? ": audio (" : ": subtitle (") + Tag(stream.codec) + ")"
                       + (audio ? ", -aid " : ", -sid ") + std::to_string(number);
    const std::string language = Tag(stream.language);
    if (!language.empty())
        line += (audio ? ", -alang " : ", -slang ") + language;
    return line;
}

std::string Seconds(const char* key, const char* format, double seconds)
{
    char text[64];
    std::snprintf(text, sizeof text, format, std::max(seconds, 0.0));
    return std::string(key) + "=" + text;
}

} // namespace

namespace ProtocolLines {

std::string Playing(const std::string& mediumName)
{
    std::string name = mediumName;
    std::replace(name.begin(), name.end(), '\n', '?');   // one medium, one line
    return "Playing " + name + ".";
}

std::vector<std::string> StreamLines(const std::vector<StreamInfo>& streams)
{
    std::vector<std::string> lines;
    for (const StreamInfo::Kind kind : {StreamInfo::Kind::Audio, StreamInfo::Kind::Subtitle}) {
        int number = 0;
        for (const StreamInfo& stream : streams)
            if (stream.kind == kind)
                lines.push_back(StreamLine(stream, number++));
    }
    return lines;
}

std::string Video(const std::string& codec, int width, int height, double fps)
{
    std::string name = Tag(codec);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    char text[160];
    std::snprintf(text, sizeof text, "VIDEO:  [%s]  %dx%d  24bpp  %.3f fps", name.c_str(), width,
                  height, fps);
    return text;
}

std::string Length(double seconds) { return Seconds("ANS_LENGTH", "%.2f", seconds); }

std::string Position(double seconds) { return Seconds("ANS_TIME_POSITION", "%.1f", seconds); }

std::string Screenshot(const std::string& path) { return "*** screenshot '" + path + "' ***"; }

std::string Encrypted(const std::string& scheme) { return "Encrypted disc (" + scheme + ")"; }

std::string EndOfFile() { return "Exiting... (End of file)"; }

std::string Quit() { return "Exiting... (Quit)"; }

}
