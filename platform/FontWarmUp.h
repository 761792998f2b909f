#pragma once

// Starts fontconfig's own set-up (reading its configuration and font caches,
// some 20 ms) on a thread of its own, so that it is done by the time the
// window lays out its first text. Safe to call before the application
// object; fontconfig takes concurrent initialisation.
void WarmUpFonts();
