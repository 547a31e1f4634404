#include "splash/splash_window.h"

#include "splash/gdi_handles.h"
#include "splash/progress.h"

#include <stdio.h>
#include <string>

HINSTANCE appInstance = NULL;
int showMode = SW_SHOWNORMAL;
std::atomic<bool> splashReady(false);
std::atomic<bool> splashThreadEnded(false);
HBITMAP splashBitmap = NULL;

namespace {

// Set, after either flag, to wake the waiting sequence at once.
const HANDLE splashSignal = CreateEventA(NULL, TRUE, FALSE, NULL);

const char* const className = "splash";
const int windowWidth = 420;
const int windowHeight = 300;

// One layer of the picture. A bitmap is copied whole, at its own size. When
// it is missing, copied layers are filled with the window's ground colour in
// their place (rows top to top + missingHeight) so that nothing stale shows
// through; a missing ORed layer draws nothing, as an all-black caption would.
struct Layer {
    HBITMAP bitmap;
    int x;
    int y;
    int missingHeight;
    DWORD rasterOperation;
};

void drawLayer(HDC target, MemoryDc& memory, const Layer& layer)
{
    BITMAP size;
    if (layer.bitmap == NULL || GetObjectA(layer.bitmap, sizeof size, &size) == 0) {
        if (layer.rasterOperation == SRCCOPY) {
            RECT area = { layer.x, layer.y, layer.x + windowWidth, layer.y + layer.missingHeight };
            FillRect(target, &area, GetSysColorBrush(COLOR_WINDOW));
        }
        return;
    }
    memory.select(layer.bitmap);
    BitBlt(target, layer.x, layer.y, size.bmWidth, size.bmHeight, memory.get(), 0, 0, layer.rasterOperation);
}

HBITMAP loadOwnBitmap(const char* name)
{
    return LoadBitmapA(GetModuleHandleA(NULL), name);
}

void paint(HWND window)
{
    // The values are read after BeginPaint has validated the window: a
    // change stored before any invalidation that this paint swallows is then
    // painted by it.
    PaintDc target(window);
    // Loaded afresh for every paint: the step and progress may have changed.
    char stripName[20];
    char captionName[20];
    snprintf(stripName, sizeof stripName, "PROGRESS_%s", currentProgressText().c_str());
    snprintf(captionName, sizeof captionName, "STEP_%s", currentStepName().c_str());
    OwnedBitmap strip(loadOwnBitmap(stripName));
    OwnedBitmap caption(loadOwnBitmap(captionName));

    MemoryDc memory(target.get());
    // Every paint draws the whole window, whatever part needed repainting.
    const Layer layers[] = {
        { splashBitmap, 0, 0, 270, SRCCOPY },
        { strip.get(), 0, 270, 30, SRCCOPY },
        { caption.get(), 0, 276, 24, SRCPAINT },
    };
    for (const Layer& layer : layers)
        drawLayer(target.get(), memory, layer);
}

void centre(HWND window)
{
    RECT bounds;
    GetWindowRect(window, &bounds);
    // Signed division: on a screen narrower than the window it lands left of 0.
    const int x = (GetSystemMetrics(SM_CXSCREEN) - (bounds.right - bounds.left)) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - (bounds.bottom - bounds.top)) / 2;
    SetWindowPos(window, HWND_TOP, x, y, 0, 0, SWP_NOSIZE);
}

void warn(HWND owner, const char* text, const char* caption)
{
    MessageBoxA(owner, text, caption, MB_OK | MB_ICONWARNING);
}

DWORD endWithoutWindow(const char* text)
{
    warn(NULL, text, "Error!");
    splashThreadEnded.store(true, std::memory_order_release);
    SetEvent(splashSignal);
    return 0;
}

} // namespace

LRESULT CALLBACK splashWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        splashBitmap = loadOwnBitmap("SPLASH");
        if (splashBitmap == NULL)
            warn(window, "Could not load splash bitmap!", "Error");
        centre(window);
        return 0;
    case WM_PAINT:
        paint(window);
        return 0;
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        if (splashBitmap != NULL)
            DeleteObject(splashBitmap);
        splashBitmap = NULL;
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

DWORD WINAPI splashThread(LPVOID unused)
{
    (void)unused;
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = 0;
    windowClass.lpfnWndProc = splashWndProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = appInstance;
    windowClass.hIcon = LoadIconA(NULL, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorA(NULL, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    windowClass.lpszMenuName = NULL;
    windowClass.lpszClassName = className;
    windowClass.hIconSm = LoadIconA(NULL, IDI_APPLICATION);
    if (RegisterClassExA(&windowClass) == 0)
        return endWithoutWindow("Window Registration Failed!");

    // Stored at once; WM_CREATE (centring, the title picture) has run by now.
    splashWindow = CreateWindowExA(WS_EX_TOOLWINDOW, className, "", WS_POPUP, 0, 0, windowWidth, windowHeight,
                                   NULL, NULL, appInstance, NULL);
    if (splashWindow == NULL)
        return endWithoutWindow("Window Creation Failed!");

    ShowWindow(splashWindow, showMode);
    UpdateWindow(splashWindow);
    splashReady.store(true, std::memory_order_release);
    SetEvent(splashSignal);

    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    splashThreadEnded.store(true, std::memory_order_release);
    SetEvent(splashSignal);
    return 0;
}

bool waitForSplashWindow()
{
    for (;;) {
        if (splashReady.load(std::memory_order_acquire))
            return true;
        if (splashThreadEnded.load(std::memory_order_acquire))
            return splashReady.load(std::memory_order_acquire);
        // Looks again every 100 ms at the latest, at once when signalled.
        WaitForSingleObject(splashSignal, 100);
    }
}
