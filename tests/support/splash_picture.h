// What the splash window must show, composed from the bitmaps of a module
// (a test program's own, or the launcher loaded as a data file).
#pragma once

#include "support/window_pixels.h"

// The 420 x 300 picture for a progress text ("0" ... "100") and a step name:
// the title at the top, the strip below it and the caption ORed over the
// strip's lower 24 rows. A missing title or strip shows the window ground
// (the system colour COLOR_WINDOW) in its place; a missing caption shows
// nothing, as an all-black one would.
Image splashPicture(HMODULE module, const std::string& progressText, const std::string& stepName);
