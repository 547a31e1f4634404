// Finds the splash window of a given process from outside it: the stand-in
// javaw.exe looks at its parent's, the end-to-end tests at the launcher's.
// Header only and plain Win32, so that any test program can include it.
#pragma once

#include <windows.h>

struct SplashLookup {
    DWORD process;
    HWND window;
};

inline BOOL CALLBACK matchSplashWindow(HWND window, LPARAM parameter)
{
    SplashLookup* lookup = reinterpret_cast<SplashLookup*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char name[64];
    if (owner == lookup->process && GetClassNameA(window, name, sizeof name) && lstrcmpA(name, "splash") == 0) {
        lookup->window = window;
        return FALSE;
    }
    return TRUE;
}

// The top-level window of class "splash" of process, or null.
inline HWND findSplashWindowOf(DWORD process)
{
    SplashLookup lookup = {process, NULL};
    EnumWindows(matchSplashWindow, reinterpret_cast<LPARAM>(&lookup));
    return lookup.window;
}
