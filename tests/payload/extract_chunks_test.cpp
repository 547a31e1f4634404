// The payload writer against this test program's own resource sets (see
// make_writer_resources.py), with a real window standing in as the splash so
// that every repaint the writer asks for is seen.
#include "payload/extract_chunks.h"
#include "splash/progress.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> paintedProgress;

LRESULT CALLBACK recordingWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        paintedProgress.push_back(currentProgressText());
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class Writer : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = scratchFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        chunks = requiredEnv("CORVANELL_WRITER_CHUNKS");
        ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));

        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = recordingWndProc;
        windowClass.hInstance = GetModuleHandleA(NULL);
        windowClass.lpszClassName = "writer-test";
        RegisterClassA(&windowClass);
        window = CreateWindowExA(WS_EX_TOOLWINDOW, "writer-test", "", WS_POPUP | WS_VISIBLE,
                                 0, 0, 40, 20, NULL, NULL, GetModuleHandleA(NULL), NULL);
        ASSERT_NE(window, (HWND)NULL);
        MSG message;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        paintedProgress.clear();
        splashWindow = window;
    }

    void TearDown() override
    {
        splashWindow = NULL;
        DestroyWindow(window);
        SetCurrentDirectoryA(requiredEnv("CORVANELL_TEST_ROOT").c_str());
    }

    std::string chunk(const std::string& name)
    {
        std::string bytes;
        EXPECT_TRUE(readFileBytes(chunks + "\\" + name + ".bin", bytes)) << name;
        return bytes;
    }

    std::string output(const char* name = "out.bin") { return readFileOrEmpty(folder + "\\" + name); }

    std::string folder;
    std::string chunks;
    HWND window = NULL;
};

// Progress shown after each chunk of n: ((k - 1) * 100 / n) rounded down to tens.
std::vector<std::string> expectedPaints(int n)
{
    std::vector<std::string> paints(1, "0");
    for (int k = 1; k <= n; ++k)
        paints.push_back(std::to_string((k - 1) * 100 / n / 10 * 10));
    return paints;
}

} // namespace

TEST_F(Writer, RunEndsAtTheFirstMissingIndex)
{
    EXPECT_EQ(extractResourceChunks("GAP", "TESTCHUNK", "out.bin"), 0);
    EXPECT_EQ(output(), chunk("GAP_1") + chunk("GAP_2") + chunk("GAP_3"));
}

TEST_F(Writer, NoFirstChunkWritesNothingAndShowsZero)
{
    setProgress(50);
    paintedProgress.clear();
    EXPECT_EQ(extractResourceChunks("NONE", "TESTCHUNK", "out.bin"), 1);
    EXPECT_FALSE(pathExists(folder + "\\out.bin"));
    EXPECT_EQ(currentProgressText(), "0");
    EXPECT_EQ(paintedProgress, std::vector<std::string>({"0"}));
}

TEST_F(Writer, OneChunkPayload)
{
    EXPECT_EQ(extractResourceChunks("ONE", "TESTCHUNK", "out.bin"), 0);
    EXPECT_EQ(output(), chunk("ONE_1"));
    EXPECT_EQ(paintedProgress, std::vector<std::string>({"0", "0"}));
}

TEST_F(Writer, ResourceTypeIsPartOfTheLookup)
{
    EXPECT_EQ(extractResourceChunks("OTHER", "TESTCHUNK", "out.bin"), 1);
    EXPECT_FALSE(pathExists(folder + "\\out.bin"));
    EXPECT_EQ(extractResourceChunks("OTHER", "WRONGTYPE", "out.bin"), 0);
    EXPECT_EQ(output(), chunk("OTHER_1"));
}

TEST_F(Writer, FullSizeLastChunkIsLikeAnyOther)
{
    EXPECT_EQ(extractResourceChunks("FULL", "TESTCHUNK", "out.bin"), 0);
    std::string written = output();
    EXPECT_EQ(written.size(), 2u * 8388608u);
    EXPECT_TRUE(written == chunk("FULL_1") + chunk("FULL_2"));
}

TEST_F(Writer, ProgressAfterEachChunk)
{
    struct Case { const char* base; int n; };
    for (Case c : {Case{"SIX", 6}, Case{"N49", 49}}) {
        SCOPED_TRACE(c.base);
        paintedProgress.clear();
        std::string file = std::string(c.base) + ".bin";
        EXPECT_EQ(extractResourceChunks(c.base, "TESTCHUNK", file.c_str()), 0);
        EXPECT_EQ(paintedProgress, expectedPaints(c.n));
        std::string joined;
        for (int k = 1; k <= c.n; ++k)
            joined += chunk(std::string(c.base) + "_" + std::to_string(k));
        EXPECT_TRUE(output(file.c_str()) == joined);
    }
    // The values the two release payloads show, spelled out.
    EXPECT_EQ(expectedPaints(6), std::vector<std::string>({"0", "0", "10", "30", "50", "60", "80"}));
}

TEST_F(Writer, AppendsToAnExistingFile)
{
    ASSERT_TRUE(writeFileBytes(folder + "\\out.bin", "earlier"));
    EXPECT_EQ(extractResourceChunks("ONE", "TESTCHUNK", "out.bin"), 0);
    EXPECT_EQ(output(), "earlier" + chunk("ONE_1"));
}

TEST_F(Writer, OutputThatCannotBeOpenedIsAFailure)
{
    EXPECT_EQ(extractResourceChunks("ONE", "TESTCHUNK", "no-such-folder\\out.bin"), 1);
    EXPECT_EQ(extractResourceChunks("ONE", "TESTCHUNK", folder.c_str()), 1);  // a folder, not a file
}
