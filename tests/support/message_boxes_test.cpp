// The message box helper on boxes of every kind the launcher shows and a few
// it does not, each opened on a thread of this program and read both from
// here and from the message box tool in a process of its own.
#include "support/message_boxes.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>

namespace {

struct Box {
    const char* text;
    const char* caption;
    UINT style;
    bool owned;
    const char* icon;
};

struct Shown {
    Box box;
    std::atomic<HWND> owner;
    int result;
};

HWND makeOwner();

// Shows the box on a thread of its own, owned (as the splash's box is) by a
// window of that thread.
DWORD WINAPI showBox(LPVOID parameter)
{
    Shown* shown = static_cast<Shown*>(parameter);
    HWND owner = shown->box.owned ? makeOwner() : NULL;
    shown->owner = owner;
    shown->result = MessageBoxA(owner, shown->box.text, shown->box.caption, shown->box.style);
    if (owner != NULL)
        DestroyWindow(owner);
    return 0;
}

HWND makeOwner()
{
    // Registered once; later calls fail harmlessly.
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.lpszClassName = "box-owner";
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, "box-owner", "owner", WS_POPUP | WS_VISIBLE, 10, 10, 50, 50, NULL, NULL,
                           GetModuleHandleA(NULL), NULL);
}

const Box boxes[] = {
    { "Could not load splash bitmap!", "Error", MB_OK | MB_ICONWARNING, true, "warning" },
    { "Window Registration Failed!", "Error!", MB_OK | MB_ICONWARNING, false, "warning" },
    { "A plain note\nover two lines", "Corvanell", MB_OK, false, "none" },
    { "Stop", "E", MB_OK | MB_ICONERROR, true, "error" },
    { "Info", "I", MB_OK | MB_ICONINFORMATION, false, "information" },
    { "Ask", "Q", MB_OK | MB_ICONQUESTION, false, "question" },
};

} // namespace

TEST(MessageBoxes, AreFoundReadAndClosedFromThisProcess)
{
    for (const Box& box : boxes) {
        SCOPED_TRACE(box.text);
        Shown shown = { box, {NULL}, -1 };
        DWORD threadId = 0;
        HANDLE thread = CreateThread(NULL, 0, showBox, &shown, 0, &threadId);
        ASSERT_NE(thread, (HANDLE)NULL);
        HWND found = waitForMessageBox(GetCurrentProcessId(), threadId, 60000);
        ASSERT_NE(found, (HWND)NULL);
        MessageBoxInfo info = readMessageBox(found);
        EXPECT_EQ(info.caption, box.caption);
        EXPECT_EQ(info.text, box.text);
        EXPECT_EQ(info.owner, shown.owner.load());
        EXPECT_EQ(info.owner != NULL, box.owned);
        EXPECT_EQ(info.ownerClass, box.owned ? "box-owner" : "");
        EXPECT_EQ(info.icon, box.icon);
        EXPECT_TRUE(pressOk(found));
        ASSERT_EQ(WaitForSingleObject(thread, 60000), WAIT_OBJECT_0);
        EXPECT_EQ(shown.result, IDOK);
        CloseHandle(thread);
    }
}

TEST(MessageBoxes, AnotherThreadsBoxIsNotTaken)
{
    Shown shown = { boxes[2], {NULL}, -1 };
    DWORD threadId = 0;
    HANDLE thread = CreateThread(NULL, 0, showBox, &shown, 0, &threadId);
    HWND found = waitForMessageBox(GetCurrentProcessId(), threadId, 60000);
    ASSERT_NE(found, (HWND)NULL);
    EXPECT_EQ(waitForMessageBox(GetCurrentProcessId(), GetCurrentThreadId(), 300), (HWND)NULL);
    EXPECT_EQ(waitForMessageBox(GetCurrentProcessId() ^ 0x40000000, 0, 300), (HWND)NULL);  // no such process
    EXPECT_TRUE(pressOk(found));
    WaitForSingleObject(thread, 60000);
    CloseHandle(thread);
}

TEST(MessageBoxes, TheToolReadsAndClosesABoxOfAnotherProcess)
{
    const std::string tool = requiredEnv("CORVANELL_MESSAGE_BOX_TOOL");
    for (const Box& box : boxes) {
        SCOPED_TRACE(box.text);
        Shown shown = { box, {NULL}, -1 };
        HANDLE thread = CreateThread(NULL, 0, showBox, &shown, 0, NULL);
        ChildRun run = runChild("\"" + tool + "\" " + std::to_string(GetCurrentProcessId()), "");
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 0u) << run.err;
        char ownerText[32];
        snprintf(ownerText, sizeof ownerText, "%p", static_cast<void*>(shown.owner.load()));
        std::string expected = std::string("caption=") + box.caption + "\ntext=" + box.text + "\nowner="
            + (box.owned ? ownerText : "none") + "\nowner_class=" + (box.owned ? "box-owner" : "") + "\nicon="
            + box.icon + "\n";
        EXPECT_EQ(run.out, expected);
        ASSERT_EQ(WaitForSingleObject(thread, 60000), WAIT_OBJECT_0);
        EXPECT_EQ(shown.result, IDOK);
        CloseHandle(thread);
    }

    // No box at all: the tool gives up and says so.
    ChildRun none = runChild("\"" + tool + "\" " + std::to_string(GetCurrentProcessId()) + " 300", "");
    EXPECT_EQ(none.exitCode, 1u);
    EXPECT_EQ(none.out, "");
}
