// runProcess's showWindow: with false a console child gets no console
// window, with true it shares its parent's. captureProgramOutput never gives
// its child a console window. The test program first gives itself a console
// with a window, keeping its own output streams: a child that got its
// parent's console would then report that window.
#include "process/process.h"

#include "support/java_home.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

TEST(RunProcess, ConsoleChildGetsNoConsoleWindowWhenHidden)
{
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    FreeConsole();
    ASSERT_TRUE(AllocConsole());
    SetStdHandle(STD_OUTPUT_HANDLE, out);
    SetStdHandle(STD_ERROR_HANDLE, err);
    ASSERT_TRUE(GetConsoleWindow() != NULL);

    std::string home = scratchFolder("console_window");
    ASSERT_TRUE(makeJavaHome(home, "", "0"));
    std::string java = "\"" + home + "\\bin\\java.exe\"";
    EXPECT_EQ(runProcess(java + " hidden", false), 0);
    EXPECT_EQ(runProcess(java + " shown", true), 0);
    std::string output;
    int captured = captureProgramOutput(home + "\\bin\\java.exe", "captured", output);
    DWORD error = GetLastError();
    EXPECT_EQ(captured, 0) << "last error " << error << ", output: " << output;

    // Checked while the console is still attached: after FreeConsole, Wine
    // no longer passes this program's output on, and a failure would go
    // unseen.
    std::vector<StandinRun> runs = standinRuns(home + "\\bin\\standin-runs.txt");
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0].commandLine, java + " hidden");
    EXPECT_EQ(runs[0].console, "no console window");
    EXPECT_EQ(runs[1].commandLine, java + " shown");
    EXPECT_EQ(runs[1].console, "console window");
    EXPECT_EQ(runs[2].commandLine, java + " captured");
    EXPECT_EQ(runs[2].console, "no console window");
}
