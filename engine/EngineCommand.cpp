#include "engine/EngineCommand.h"

#include <QString>

#include <array>

namespace {

struct CommandForm
{
    EngineCommand command;
    const char *format; // printf form; at most one %d, which gets the argument
};

constexpr std::array<CommandForm, 16> Forms = {{
    {EngineCommand::StartVolume, "volume %d 2\n"},
    {EngineCommand::Seek, "seek %d 2\n"},
    {EngineCommand::GetLength, "get_time_length\n"},
    {EngineCommand::GetPosition, "get_time_pos\n"},
    {EngineCommand::Pause, "pause\n"},
    {EngineCommand::Quit, "q\n"},
    {EngineCommand::Screenshot, "screenshot 0\n"},
    {EngineCommand::Mute, "volume 0 100\n"},
    {EngineCommand::Unmute, "volume 50 100\n"},
    {EngineCommand::KeepVolume, "pausing_keep volume %d 100\n"},
    {EngineCommand::SwitchAudio, "switch_audio %d\n"},
    {EngineCommand::SubDemux, "sub_demux %d\n"},
    {EngineCommand::KeepSwitchAudio, "pausing_keep switch_audio %d\n"},
    {EngineCommand::KeepSubDemux, "pausing_keep sub_demux %d\n"},
    {EngineCommand::KeepBalance, "pausing_keep balance %d 1\n"},
    {EngineCommand::ScreenshotFormat, "screenshot_format %d\n"},
}};

} // namespace

QByteArray FormatEngineCommand(EngineCommand command, int argument)
{
    for (const CommandForm &form : Forms)
        if (form.command == command)
            return QString::asprintf(form.format, argument).toLatin1();
    return QByteArray();
}
