// Step and progress values, with no splash window and with a real window
// that records what each repaint shows and when.
#include "splash/progress.h"
#include "splash/progress_values.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Paint {
    std::string progress;
    std::string step;
    LARGE_INTEGER when;
};
std::vector<Paint> paints;

LRESULT CALLBACK recordingWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        Paint seen;
        seen.progress = currentProgressText();
        seen.step = currentStepName();
        QueryPerformanceCounter(&seen.when);
        paints.push_back(seen);
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

double elapsedMs(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return (to.QuadPart - from.QuadPart) * 1000.0 / frequency.QuadPart;
}

HWND makeRecordingWindow()
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = recordingWndProc;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.lpszClassName = "progress-test";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, "progress-test", "", WS_POPUP | WS_VISIBLE, 0, 0, 40, 20,
                                  NULL, NULL, GetModuleHandleA(NULL), NULL);
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
    paints.clear();
    return window;
}

} // namespace

// Runs first, before any other test has changed the values.
TEST(ProgressDisplay, InitialValuesNameTheFirstStepAndZero)
{
    EXPECT_EQ(splashWindow, (HWND)NULL);
    EXPECT_EQ(currentStepName(), "TMP");
    EXPECT_EQ(currentProgressText(), "0");
}

TEST(ProgressDisplay, SetProgressRoundsDownToTens)
{
    struct Case { int percent; const char* text; };
    const Case cases[] = {
        {0, "0"}, {9, "0"}, {10, "10"}, {19, "10"}, {50, "50"}, {95, "90"}, {99, "90"}, {100, "100"},
        // Outside the range callers use: clamped, never more than three characters.
        {-1, "0"}, {-95, "0"}, {101, "100"}, {123456, "100"},
    };
    for (const Case& c : cases) {
        setProgress(c.percent);
        EXPECT_EQ(currentProgressText(), c.text) << "setProgress(" << c.percent << ")";
    }
}

TEST(ProgressDisplay, SetStepStoresTheNameWithoutAWindow)
{
    for (const char* name : {"XJAVA", "SEARCHING", "XJAR", "LAUNCHING", "", "TMP"}) {
        setStep(name);
        EXPECT_EQ(currentStepName(), name);
    }
    setStep("ABCDEFGHIJKLMNOP");  // longer than the display holds: cut to 11
    EXPECT_EQ(currentStepName(), "ABCDEFGHIJK");
}

TEST(ProgressDisplay, AnimateWithoutAWindowEndsAtHundredAfterElevenPauses)
{
    setProgress(40);
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    animateProgress(1000);
    QueryPerformanceCounter(&end);
    EXPECT_EQ(currentProgressText(), "100");
    EXPECT_GE(elapsedMs(start, end), 11 * 90 - 11);  // Sleep may round each pause down by a tick

    setProgress(40);
    animateProgress(0);
    EXPECT_EQ(currentProgressText(), "100");
}

TEST(ProgressDisplay, RepaintsReachTheWindowBeforeTheCallReturns)
{
    HWND window = makeRecordingWindow();
    ASSERT_NE(window, (HWND)NULL);
    splashWindow = window;

    setStep("XJAR");
    ASSERT_EQ(paints.size(), 1u);
    EXPECT_EQ(paints.back().step, "XJAR");
    setProgress(90);
    ASSERT_EQ(paints.size(), 2u);
    EXPECT_EQ(paints.back().progress, "90");

    struct Case { int duration; double minimumGapMs; };
    for (Case c : {Case{1000, 90 - 1}, Case{10, 0}, Case{0, 0}}) {
        SCOPED_TRACE(c.duration);
        paints.clear();
        animateProgress(c.duration);
        ASSERT_EQ(paints.size(), 11u);
        for (int i = 0; i < 11; ++i) {
            EXPECT_EQ(paints[i].progress, std::to_string(i * 10));
            if (i > 0) {
                EXPECT_GE(elapsedMs(paints[i - 1].when, paints[i].when), c.minimumGapMs);
            }
        }
    }
    splashWindow = NULL;
    DestroyWindow(window);
}
