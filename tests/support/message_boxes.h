// Message boxes of another thread or process, found, read and dismissed the
// way a user would see and close them. The waits keep serving the calling
// thread's own windows, so a box may be owned by one of them. Plain Win32, no test framework: a
// separate Windows program can use them as well (see message_box_tool.cpp).
#pragma once

#include <windows.h>
#include <string>

struct MessageBoxInfo {
    HWND box = NULL;
    HWND owner = NULL;          // null for a box without owner
    std::string ownerClass;     // class name of the owner, empty without one
    std::string caption;
    std::string text;
    std::string icon;           // "warning", "error", "information", "question", "none" or "unknown"
};

// The first visible message box (dialog class "#32770") of a process, or of
// one thread when threadId is not 0, waiting up to timeoutMs for one to
// appear. Null when none did.
HWND waitForMessageBox(DWORD processId, DWORD threadId, DWORD timeoutMs);

// Reads the caption, the text, the owner and which standard icon it shows.
MessageBoxInfo readMessageBox(HWND box);

// Presses the box's OK button and waits up to timeoutMs for the box to go.
bool pressOk(HWND box, DWORD timeoutMs = 10000);

// "caption=...\ntext=...\nowner=...\nowner_class=...\nicon=...\n"
std::string describeMessageBox(const MessageBoxInfo& info);
