// The splash window: a borderless 420 x 300 window centred on the primary
// screen, with a thread of its own that owns it and does all its painting.
#pragma once

#include <windows.h>
#include <atomic>

// Written by the installation sequence before it starts the splash thread.
extern HINSTANCE appInstance;
extern int showMode;

// Set once, by the splash thread, after the window was shown and painted.
// Stored with release and read with acquire ordering, so splashWindow is
// visible to whoever sees the flag.
extern std::atomic<bool> splashReady;

// Set by the splash thread just before it returns, whatever the reason: with
// splashReady still false it means there is no window and there never will be.
extern std::atomic<bool> splashThreadEnded;

// The title picture, loaded once when the window is created.
extern HBITMAP splashBitmap;

// Thread start routine (for CreateThread); the argument is ignored. Registers
// the class, creates, shows and paints the window, sets splashReady and runs
// the window's message loop. Returns 0 in every case.
DWORD WINAPI splashThread(LPVOID unused);

LRESULT CALLBACK splashWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Waits until the splash window is ready (true) or the splash thread has
// ended without one (false): it looks at the two flags every 100 ms, and at
// once when the splash thread sets one. It waits as long as a message box of
// the splash thread is open, because the window follows only once the user
// has closed it.
bool waitForSplashWindow();
