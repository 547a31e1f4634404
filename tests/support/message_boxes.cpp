#include "support/message_boxes.h"

#include "support/window_pixels.h"

#include <stdio.h>
#include <vector>

namespace {

// The text of a message box is the static control with this id, on Windows
// and on Wine; its icon is the one static control with the SS_ICON style.
const int textControlId = 0xFFFF;

struct Search {
    DWORD processId;
    DWORD threadId;
    HWND found;
};

// Serves the calling thread's windows while it waits: a box owned by one of
// them cannot come up (nor go) until the owner's thread answers.
void waitAWhile()
{
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
    MsgWaitForMultipleObjects(0, NULL, FALSE, 20, QS_ALLINPUT);
}

std::string classOf(HWND window)
{
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string textOf(HWND window)
{
    int length = GetWindowTextLengthA(window);
    std::vector<char> text(length + 2, '\0');
    GetWindowTextA(window, text.data(), length + 1);
    return text.data();
}

BOOL CALLBACK considerWindow(HWND window, LPARAM lParam)
{
    Search* search = reinterpret_cast<Search*>(lParam);
    DWORD processId = 0;
    DWORD threadId = GetWindowThreadProcessId(window, &processId);
    if (processId != search->processId || (search->threadId != 0 && threadId != search->threadId))
        return TRUE;
    if (!IsWindowVisible(window) || classOf(window) != "#32770")
        return TRUE;
    search->found = window;
    return FALSE;
}

// A standard icon drawn the way the static control draws it: on its own
// ground, stretched to the control's size.
Image drawIcon(LPCSTR name, const Image& like)
{
    Image result;
    result.width = like.width;
    result.height = like.height;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = like.width;
    info.bmiHeader.biHeight = -like.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = NULL;
    HDC memory = CreateCompatibleDC(NULL);
    HBITMAP section = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    HGDIOBJ previous = SelectObject(memory, section);
    // The top left corner of every standard icon is transparent: it shows the ground.
    DWORD ground = like.pixels[0];
    HBRUSH brush = CreateSolidBrush(RGB((ground >> 16) & 0xFF, (ground >> 8) & 0xFF, ground & 0xFF));
    RECT all = { 0, 0, like.width, like.height };
    FillRect(memory, &all, brush);
    DeleteObject(brush);
    DrawIconEx(memory, 0, 0, LoadIconA(NULL, name), like.width, like.height, 0, NULL, DI_NORMAL);
    GdiFlush();
    const DWORD* pixels = static_cast<const DWORD*>(bits);
    result.pixels.assign(pixels, pixels + like.width * like.height);
    for (DWORD& value : result.pixels)
        value &= 0x00FFFFFF;
    SelectObject(memory, previous);
    DeleteObject(section);
    DeleteDC(memory);
    return result;
}

// Icon handles cannot be compared across processes, so the icon is told by
// its pixels against each standard icon drawn here; "unknown" when none
// matched within five seconds.
std::string iconOf(HWND box)
{
    HWND control = NULL;
    for (HWND child = GetWindow(box, GW_CHILD); child != NULL; child = GetWindow(child, GW_HWNDNEXT)) {
        if (classOf(child) == "Static" && (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON
            && IsWindowVisible(child))
            control = child;
    }
    // A box without icon may keep the control, holding no icon.
    if (control == NULL || SendMessageA(control, STM_GETICON, 0, 0) == 0)
        return "none";
    struct Known { LPCSTR id; const char* name; };
    const Known known[] = {
        { IDI_WARNING, "warning" },
        { IDI_ERROR, "error" },
        { IDI_INFORMATION, "information" },
        { IDI_QUESTION, "question" },
    };
    // Read from the screen, as the box may be in another process: raised
    // above every other window first, and read again until it has painted.
    SetWindowPos(box, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    const DWORD start = GetTickCount();
    do {
        Image shown = captureScreen(control);
        for (const Known& icon : known) {
            if (!shown.empty() && drawIcon(icon.id, shown).pixels == shown.pixels)
                return icon.name;
        }
        waitAWhile();
    } while (GetTickCount() - start < 5000);
    return "unknown";
}

} // namespace

HWND waitForMessageBox(DWORD processId, DWORD threadId, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        Search search = { processId, threadId, NULL };
        EnumWindows(considerWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found != NULL)
            return search.found;
        if (GetTickCount() - start >= timeoutMs)
            return NULL;
        waitAWhile();
    }
}

MessageBoxInfo readMessageBox(HWND box)
{
    MessageBoxInfo info;
    info.box = box;
    info.caption = textOf(box);
    HWND text = GetDlgItem(box, textControlId);
    if (text != NULL)
        info.text = textOf(text);
    info.owner = GetWindow(box, GW_OWNER);
    if (info.owner != NULL)
        info.ownerClass = classOf(info.owner);
    info.icon = iconOf(box);
    return info;
}

bool pressOk(HWND box, DWORD timeoutMs)
{
    HWND button = GetDlgItem(box, IDOK);
    if (button == NULL)
        return false;
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    const DWORD start = GetTickCount();
    while (IsWindow(box)) {
        if (GetTickCount() - start >= timeoutMs)
            return false;
        waitAWhile();
    }
    return true;
}

std::string describeMessageBox(const MessageBoxInfo& info)
{
    char owner[32];
    snprintf(owner, sizeof owner, "%p", static_cast<void*>(info.owner));
    return "caption=" + info.caption + "\ntext=" + info.text + "\nowner=" + (info.owner ? owner : "none")
        + "\nowner_class=" + info.ownerClass + "\nicon=" + info.icon + "\n";
}
