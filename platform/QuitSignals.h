#pragma once

#include <functional>

class QObject;

// SIGTERM, SIGINT and SIGHUP (a logout, Ctrl+C in the terminal, the terminal
// closed) end the player as File > Exit does, with everything saved, instead
// of killing it where it stands. The signal only wakes the event loop, which
// then calls quit; a second signal of the same kind ends the program at once.
void QuitGracefullyOnSignals(QObject *context, std::function<void()> quit);
