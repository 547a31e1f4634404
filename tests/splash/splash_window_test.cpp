// The splash window of this process, run on its own thread exactly as the
// installation sequence starts it, and read from outside: through its
// device context and its window and class data. The tests share the one
// splash this process can have and run in the order written; the last one
// closes it.
#include "splash/progress.h"
#include "splash/splash_window.h"
#include "support/splash_picture.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string>
#include <vector>

namespace {

const char* const steps[] = { "TMP", "XJAVA", "SEARCHING", "XJAR", "LAUNCHING" };

// What the splash thread saw. A hook on that thread, set before it runs,
// sees the first paint (sent by UpdateWindow); once the window is up, a
// wrapper around its window procedure sees every paint, also those the
// message loop hands out by itself, which no hook reports after the fact.
struct Observed {
    int paints = 0;
    bool readyAtFirstPaint = true;
    bool visibleAtFirstPaint = false;
    std::string lastPaintedProgress;
    std::string lastPaintedStep;
};
Observed observed;
HANDLE thread = NULL;
DWORD threadId = 0;
WNDPROC splashProcedure = NULL;

LRESULT CALLBACK afterMessage(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPRETSTRUCT* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_PAINT && observed.paints == 0) {
        observed.readyAtFirstPaint = splashReady.load(std::memory_order_acquire);
        observed.visibleAtFirstPaint = IsWindowVisible(call->hwnd) != FALSE;
        observed.paints = 1;
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}

LRESULT CALLBACK countingWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = CallWindowProcA(splashProcedure, window, message, wParam, lParam);
    if (message == WM_PAINT) {
        ++observed.paints;
        // The main thread waits in setStep or setProgress, so these are the painted values.
        observed.lastPaintedProgress = currentProgressText();
        observed.lastPaintedStep = currentStepName();
    }
    return result;
}

// Starts the splash thread once, as the installation sequence does, with a
// hook on it before it runs, and waits for the window.
bool startSplash()
{
    if (thread != NULL)
        return splashReady.load();
    appInstance = GetModuleHandleA(NULL);
    showMode = SW_SHOWNORMAL;
    thread = CreateThread(NULL, 0, splashThread, NULL, CREATE_SUSPENDED, &threadId);
    if (thread == NULL)
        return false;
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROCRET, afterMessage, NULL, threadId);
    ResumeThread(thread);
    if (!waitForSplashWindow())
        return false;
    UnhookWindowsHookEx(hook);
    splashProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(splashWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(countingWndProc)));
    return true;
}

std::string shownDifference(const std::string& progress, const std::string& step)
{
    return imageDifference(splashPicture(GetModuleHandleA(NULL), progress, step), captureWindow(splashWindow));
}

bool updatePending()
{
    RECT pending;
    return GetUpdateRect(splashWindow, &pending, FALSE) != FALSE;
}

} // namespace

// The pixel tests below can tell a wrong bitmap only if no two are alike.
TEST(SplashWindow, EveryStripAndCaptionDiffersFromTheOthers)
{
    const HMODULE self = GetModuleHandleA(NULL);
    std::vector<std::string> names;
    for (int percent = 0; percent <= 100; percent += 10)
        names.push_back("PROGRESS_" + std::to_string(percent));
    for (const char* step : steps)
        names.push_back(std::string("STEP_") + step);
    for (size_t i = 0; i < names.size(); ++i) {
        const Image one = bitmapResource(self, names[i]);
        ASSERT_EQ(one.width, 420) << names[i];
        ASSERT_EQ(one.height, names[i][0] == 'P' ? 30 : 24) << names[i];
        for (size_t j = 0; j < i; ++j)
            EXPECT_NE(one.pixels, bitmapResource(self, names[j]).pixels) << names[i] << " and " << names[j];
    }
    EXPECT_FALSE(bitmapResource(self, "SPLASH").empty());
}

TEST(SplashWindow, IsReadyOnlyAfterItWasShownAndPainted)
{
    ASSERT_FALSE(splashReady.load());
    ASSERT_EQ(splashWindow, (HWND)NULL);
    ASSERT_TRUE(startSplash());
    ASSERT_NE(splashWindow, (HWND)NULL);
    EXPECT_TRUE(IsWindowVisible(splashWindow));
    EXPECT_FALSE(updatePending());
    EXPECT_GE(observed.paints, 1);
    EXPECT_TRUE(observed.visibleAtFirstPaint);
    EXPECT_FALSE(observed.readyAtFirstPaint) << "splashReady was set before the first paint";
    EXPECT_FALSE(splashThreadEnded.load());
    // Once ready, the wait answers at once, every time.
    EXPECT_TRUE(waitForSplashWindow());
}

TEST(SplashWindow, FirstPaintShowsTitleProgressZeroAndFirstStep)
{
    ASSERT_TRUE(startSplash());
    ASSERT_EQ(currentProgressText(), "0");
    ASSERT_EQ(currentStepName(), "TMP");
    EXPECT_EQ(shownDifference("0", "TMP"), "");
}

TEST(SplashWindow, SetProgressAndSetStepHaveRepaintedWhenTheyReturn)
{
    ASSERT_TRUE(startSplash());
    int paintsBefore = observed.paints;
    setProgress(90);
    EXPECT_GT(observed.paints, paintsBefore);
    EXPECT_EQ(observed.lastPaintedProgress, "90");
    EXPECT_FALSE(updatePending());
    EXPECT_EQ(shownDifference("90", "TMP"), "");

    paintsBefore = observed.paints;
    setStep("XJAR");
    EXPECT_GT(observed.paints, paintsBefore);
    EXPECT_EQ(observed.lastPaintedStep, "XJAR");
    EXPECT_FALSE(updatePending());
    EXPECT_EQ(shownDifference("90", "XJAR"), "") << "PROGRESS_90 with STEP_XJAR ORed over it";
}

TEST(SplashWindow, EveryProgressValueAndStepPaintsItsBitmaps)
{
    ASSERT_TRUE(startSplash());
    for (const char* step : steps) {
        setStep(step);
        for (int percent = 0; percent <= 100; percent += 10) {
            setProgress(percent);
            EXPECT_EQ(observed.lastPaintedProgress, std::to_string(percent));
            EXPECT_EQ(shownDifference(std::to_string(percent), step), "") << step << " at " << percent;
        }
    }
    // Values between the tens show the strip below them.
    setStep("SEARCHING");
    setProgress(95);
    EXPECT_EQ(shownDifference("90", "SEARCHING"), "");
    setProgress(9);
    EXPECT_EQ(shownDifference("0", "SEARCHING"), "");
}

TEST(SplashWindow, CaptionOnlyAddsWhiteToTheStrip)
{
    ASSERT_TRUE(startSplash());
    const HMODULE self = GetModuleHandleA(NULL);
    for (const char* step : steps) {
        setStep(step);
        setProgress(40);
        const Image shown = captureWindow(splashWindow);
        const Image strip = bitmapResource(self, "PROGRESS_40");
        const Image caption = bitmapResource(self, "STEP_" + std::string(step));
        ASSERT_FALSE(strip.empty());
        ASSERT_FALSE(caption.empty());
        int white = 0;
        for (int y = 0; y < 30; ++y) {
            for (int x = 0; x < 420; ++x) {
                const bool letter = y >= 6 && caption.at(x, y - 6) == 0xFFFFFF;
                white += letter;
                ASSERT_EQ(shown.at(x, 270 + y), letter ? 0xFFFFFFu : strip.at(x, y)) << step << " at " << x << ", " << y;
            }
        }
        EXPECT_GT(white, 0) << "STEP_" << step << " has no letters";
    }
}

TEST(SplashWindow, StepWithoutBitmapShowsTheStripAlone)
{
    ASSERT_TRUE(startSplash());
    setProgress(60);
    setStep("NOSUCHSTEP");
    EXPECT_EQ(shownDifference("60", ""), "");
    // After the strip alone, the next caption comes back whole.
    setStep("XJAVA");
    EXPECT_EQ(shownDifference("60", "XJAVA"), "");
}

TEST(SplashWindow, RepaintsWhatTheSystemAsksFor)
{
    ASSERT_TRUE(startSplash());
    setStep("LAUNCHING");
    setProgress(70);
    // A part invalidated from outside, as uncovering would, is repainted
    // from the same values; whatever part is asked for, all is drawn.
    RECT part = { 100, 100, 200, 290 };
    InvalidateRect(splashWindow, &part, TRUE);
    UpdateWindow(splashWindow);
    EXPECT_FALSE(updatePending());
    EXPECT_EQ(shownDifference("70", "LAUNCHING"), "");
}

TEST(SplashWindow, IsCentredBorderlessAndHasNoTaskbarButton)
{
    ASSERT_TRUE(startSplash());
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    RECT bounds;
    ASSERT_TRUE(GetWindowRect(splashWindow, &bounds));
    EXPECT_EQ(bounds.right - bounds.left, 420);
    EXPECT_EQ(bounds.bottom - bounds.top, 300);
    // The display this run has, and where the window must stand on it.
    const char* expected = getenv("CORVANELL_EXPECTED_SPLASH");
    ASSERT_NE(expected, nullptr) << "CORVANELL_EXPECTED_SPLASH (\"W H X Y\") is not set";
    int width = 0, height = 0, x = 0, y = 0;
    ASSERT_EQ(sscanf(expected, "%d %d %d %d", &width, &height, &x, &y), 4);
    EXPECT_EQ(screenWidth, width);
    EXPECT_EQ(screenHeight, height);
    EXPECT_EQ(bounds.left, x);
    EXPECT_EQ(bounds.top, y);

    RECT client;
    ASSERT_TRUE(GetClientRect(splashWindow, &client));
    EXPECT_EQ(client.right, 420);
    EXPECT_EQ(client.bottom, 300);

    const LONG style = GetWindowLongA(splashWindow, GWL_STYLE);
    const LONG exStyle = GetWindowLongA(splashWindow, GWL_EXSTYLE);
    // The system adds WS_CLIPSIBLINGS to every top-level window; showing adds WS_VISIBLE.
    EXPECT_EQ(style & ~(WS_CLIPSIBLINGS | WS_VISIBLE), (LONG)WS_POPUP);
    EXPECT_TRUE(style & WS_VISIBLE);
    EXPECT_EQ(exStyle, (LONG)WS_EX_TOOLWINDOW);
    // A tool window without owner and without WS_EX_APPWINDOW gets no taskbar button.
    EXPECT_EQ(GetWindow(splashWindow, GW_OWNER), (HWND)NULL);
    EXPECT_EQ(GetParent(splashWindow), (HWND)NULL);
    EXPECT_EQ(GetWindowTextLengthA(splashWindow), 0);
    EXPECT_EQ(GetMenu(splashWindow), (HMENU)NULL);
}

TEST(SplashWindow, ClassIsRegisteredAsTabled)
{
    ASSERT_TRUE(startSplash());
    char name[64] = "";
    GetClassNameA(splashWindow, name, sizeof name);
    EXPECT_STREQ(name, "splash");
    WNDCLASSEXA info = {};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetClassInfoExA(appInstance, "splash", &info));
    EXPECT_EQ(info.style, 0u);
    EXPECT_EQ(info.lpfnWndProc, (WNDPROC)splashWndProc);
    EXPECT_EQ(info.cbClsExtra, 0);
    EXPECT_EQ(info.cbWndExtra, 0);
    EXPECT_EQ(info.hInstance, appInstance);
    EXPECT_EQ(info.hIcon, LoadIconA(NULL, IDI_APPLICATION));
    EXPECT_EQ(info.hCursor, LoadCursorA(NULL, IDC_ARROW));
    EXPECT_EQ(info.hbrBackground, (HBRUSH)(COLOR_WINDOW + 1));
    EXPECT_EQ(info.lpszMenuName, nullptr);
    EXPECT_EQ((HINSTANCE)GetWindowLongPtrA(splashWindow, GWLP_HINSTANCE), appInstance);
    EXPECT_EQ(GetWindowThreadProcessId(splashWindow, NULL), threadId);
}

TEST(SplashWindow, TitleBitmapIsKeptForTheWindowsLife)
{
    ASSERT_TRUE(startSplash());
    ASSERT_NE(splashBitmap, (HBITMAP)NULL);
    BITMAP title;
    ASSERT_NE(GetObjectA(splashBitmap, sizeof title, &title), 0);
    EXPECT_EQ(title.bmWidth, 420);
    EXPECT_EQ(title.bmHeight, 270);
    const HBITMAP before = splashBitmap;
    for (int percent = 0; percent <= 100; percent += 10)
        setProgress(percent);
    EXPECT_EQ(splashBitmap, before) << "the title picture is loaded once, at creation";
    EXPECT_EQ(shownDifference("100", currentStepName()), "");
}

// Last: closes the window.
TEST(SplashWindow, CloseDestroysTheWindowAndEndsTheThreadWithZero)
{
    ASSERT_TRUE(startSplash());
    const HWND window = splashWindow;
    const HBITMAP title = splashBitmap;
    PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForSingleObject(thread, 60000), WAIT_OBJECT_0);
    DWORD exitCode = 1234;
    ASSERT_TRUE(GetExitCodeThread(thread, &exitCode));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(splashWindow, window) << "splashWindow is never cleared";
    EXPECT_EQ(GetObjectType(title), 0u) << "the title bitmap outlived its window";
    EXPECT_TRUE(splashReady.load());
    EXPECT_TRUE(splashThreadEnded.load());
    EXPECT_TRUE(waitForSplashWindow()) << "a window was there, and the flag is never reset";
}
