#pragma once

// The engine draws into an X11 window of ours, so the player runs on X11,
// through XWayland in a Wayland session. Call before the application object
// exists; a platform the user chose is kept.
void PreferX11Platform();
