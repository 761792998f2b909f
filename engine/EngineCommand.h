#pragma once

#include <QByteArray>

// Every line the player ever writes to the engine, formatted in one place.
enum class EngineCommand {
    StartVolume,     // "volume %d 2": the volume right after the start
    Seek,            // "seek %d 2": absolute second
    GetLength,       // "get_time_length"
    GetPosition,     // "get_time_pos"
    Pause,           // "pause": toggles
    Quit,            // "q"
    Screenshot,      // "screenshot 0"
    Mute,            // "volume 0 100"
    Unmute,          // "volume 50 100"
    KeepVolume,      // "pausing_keep volume %d 100"
    SwitchAudio,     // "switch_audio %d"
    SubDemux,        // "sub_demux %d"
    KeepSwitchAudio, // "pausing_keep switch_audio %d"
    KeepSubDemux,    // "pausing_keep sub_demux %d"
    KeepBalance,     // "pausing_keep balance %d 1": -1 left, 0 centre, 1 right
    ScreenshotFormat, // "screenshot_format %d": 0 PNG, 1 JPEG for the screenshots to come
};

// The command as one line ending in "\n"; argument is used by the forms
// that take a number.
QByteArray FormatEngineCommand(EngineCommand command, int argument = 0);
