// The splash thread when things go wrong, each case in a process of its own
// (ctest runs one test per process): the title bitmap is missing from this
// program's resources, the class cannot be registered, the window cannot be
// created. The message boxes are read and closed from outside, by the
// message box tool running as a separate process.
#include "splash/progress.h"
#include "splash/splash_window.h"
#include "support/splash_picture.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

HANDLE thread = NULL;
DWORD threadId = 0;

HANDLE createSuspendedSplash()
{
    EXPECT_FALSE(splashReady.load()) << "each case needs a process of its own";
    EXPECT_FALSE(splashThreadEnded.load());
    appInstance = GetModuleHandleA(NULL);
    showMode = SW_SHOWNORMAL;
    thread = CreateThread(NULL, 0, splashThread, NULL, CREATE_SUSPENDED, &threadId);
    return thread;
}

// The tool's "key=value" lines.
std::map<std::string, std::string> fields(const std::string& out)
{
    std::map<std::string, std::string> result;
    size_t start = 0;
    while (start < out.size()) {
        size_t end = out.find('\n', start);
        if (end == std::string::npos)
            end = out.size();
        std::string line = out.substr(start, end - start);
        size_t equals = line.find('=');
        if (equals != std::string::npos)
            result[line.substr(0, equals)] = line.substr(equals + 1);
        start = end + 1;
    }
    return result;
}

// Runs the message box tool on this process: it waits for a box, prints it
// and presses OK.
std::map<std::string, std::string> answerBoxFromOutside()
{
    const std::string tool = requiredEnv("CORVANELL_MESSAGE_BOX_TOOL");
    ChildRun run = runChild("\"" + tool + "\" " + std::to_string(GetCurrentProcessId()) + " 120000", "");
    EXPECT_TRUE(run.started);
    EXPECT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    return fields(run.out);
}

std::string ownerText(HWND owner)
{
    char text[32];
    snprintf(text, sizeof text, "%p", static_cast<void*>(owner));
    return text;
}

void expectEndedWithoutWindow()
{
    ASSERT_EQ(WaitForSingleObject(thread, 60000), WAIT_OBJECT_0);
    DWORD exitCode = 1234;
    ASSERT_TRUE(GetExitCodeThread(thread, &exitCode));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_TRUE(splashThreadEnded.load());
    EXPECT_FALSE(splashReady.load());
    EXPECT_EQ(splashWindow, (HWND)NULL);
    // The installation sequence's wait ends and says there is no window.
    EXPECT_FALSE(waitForSplashWindow());
}

// Makes the creation of windows of class "splash" fail on the hooked thread.
LRESULT CALLBACK refuseSplashWindows(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND) {
        const CBT_CREATEWNDA* create = reinterpret_cast<const CBT_CREATEWNDA*>(lParam);
        const char* name = create->lpcs->lpszClass;
        if (!IS_INTRESOURCE(name) && strcmp(name, "splash") == 0)
            return 1;
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}

} // namespace

TEST(SplashFailure, MissingTitleBitmapIsReportedThenTheWindowComesUp)
{
    ASSERT_NE(createSuspendedSplash(), (HANDLE)NULL);
    ResumeThread(thread);
    // The tool runs while the box holds the window's creation up.
    std::map<std::string, std::string> box = answerBoxFromOutside();
    EXPECT_EQ(box["caption"], "Error");
    EXPECT_EQ(box["text"], "Could not load splash bitmap!");
    EXPECT_EQ(box["icon"], "warning");
    EXPECT_EQ(box["owner_class"], "splash") << "owned by the window being created";

    ASSERT_TRUE(waitForSplashWindow());
    EXPECT_EQ(box["owner"], ownerText(splashWindow));
    EXPECT_TRUE(IsWindowVisible(splashWindow));
    EXPECT_EQ(splashBitmap, (HBITMAP)NULL);

    // The title area shows the window ground; strip and caption as usual.
    const HMODULE self = GetModuleHandleA(NULL);
    ASSERT_TRUE(bitmapResource(self, "SPLASH").empty()) << "this program must be built without SPLASH";
    EXPECT_EQ(imageDifference(splashPicture(self, "0", "TMP"), captureWindow(splashWindow)), "");
    setStep("XJAR");
    setProgress(80);
    EXPECT_EQ(imageDifference(splashPicture(self, "80", "XJAR"), captureWindow(splashWindow)), "");
    // A strip this program lacks shows the ground under the caption.
    ASSERT_TRUE(bitmapResource(self, "PROGRESS_50").empty()) << "this program must be built without PROGRESS_50";
    setProgress(50);
    EXPECT_EQ(imageDifference(splashPicture(self, "50", "XJAR"), captureWindow(splashWindow)), "");
}

TEST(SplashFailure, ClassRegistrationFailureIsReportedAndEndsTheThread)
{
    // A class of that name is already there, so registering it fails.
    WNDCLASSEXA taken = {};
    taken.cbSize = sizeof taken;
    taken.lpfnWndProc = DefWindowProcA;
    taken.hInstance = GetModuleHandleA(NULL);
    taken.lpszClassName = "splash";
    ASSERT_NE(RegisterClassExA(&taken), 0);
    ASSERT_NE(createSuspendedSplash(), (HANDLE)NULL);
    ResumeThread(thread);
    std::map<std::string, std::string> box = answerBoxFromOutside();
    EXPECT_EQ(box["caption"], "Error!");
    EXPECT_EQ(box["text"], "Window Registration Failed!");
    EXPECT_EQ(box["icon"], "warning");
    EXPECT_EQ(box["owner"], "none");
    expectEndedWithoutWindow();
}

TEST(SplashFailure, WindowCreationFailureIsReportedAndEndsTheThread)
{
    ASSERT_NE(createSuspendedSplash(), (HANDLE)NULL);
    ASSERT_NE(SetWindowsHookExA(WH_CBT, refuseSplashWindows, NULL, threadId), (HHOOK)NULL);
    ResumeThread(thread);
    std::map<std::string, std::string> box = answerBoxFromOutside();
    EXPECT_EQ(box["caption"], "Error!");
    EXPECT_EQ(box["text"], "Window Creation Failed!");
    EXPECT_EQ(box["icon"], "warning");
    EXPECT_EQ(box["owner"], "none");
    expectEndedWithoutWindow();
}
