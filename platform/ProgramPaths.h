#pragma once

#include <QString>

// Where the program's own files and the user's files live.

// The folder of the running executable (config.ini, Languages/, the helpers).
QString ProgramDir();
// The per-user data folder, with its trailing "/" (normally
// ~/.local/share/Vantorel/). Not created here.
QString UserDataFolder();
// The playback engine: "Player" beside the program, unless VANTOREL_ENGINE
// names another executable (tests put a scripted engine there).
QString EngineProgram();
// The duration probe shipped beside the program.
QString ProbeToolSource();
