#pragma once

// The images are compiled into a static library; this pulls them into every
// program that shows them. Safe to call more than once.
void EnsureImageResources();
