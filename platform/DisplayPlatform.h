#pragma once

// The engine draws into an X11 window of ours, so the player runs on X11,
// through XWayland in a Wayland session. Call before the application object
// exists; a platform the user chose is kept.
void PreferX11Platform();

// Until the application object stands: a display that cannot be opened ends
// the program with one line on standard error and status 1, instead of the
// toolkit's abort.
void ExitCleanlyWithoutDisplay();
// The toolkit's own message handling again, once the application stands.
void DisplayIsOpen();
