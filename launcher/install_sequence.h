// The launcher's normal run: splash, work folder, runtime package, Java
// search, installer, messages and clean-up.
#pragma once

#include <windows.h>

// Returns the exit code: -1 when the splash thread cannot be started or the
// work folder cannot be made, 0 otherwise, whether or not the installation
// succeeded.
int runInstallationSequence(HINSTANCE instance, int showCommand);
