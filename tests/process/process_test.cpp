// runProcess, captureProgramOutput and fileExists with real child processes
// (the stand-in Java programs) under Wine.
#include "process/process.h"

#include "support/java_home.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <tlhelp32.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::string testName()
{
    return ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

std::string quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

// A handle leaked by an operation takes one of the lowest free slots of the
// handle table. Freeing a block of slots before the operation and taking the
// same number again afterwards gives the same set of handle values exactly
// when the operation left nothing open in them.
class HandleSlots {
public:
    HandleSlots() { before_ = takeAndFree(); }
    bool unchanged() const { return takeAndFree() == before_; }

private:
    static std::vector<HANDLE> takeAndFree()
    {
        std::vector<HANDLE> taken;
        for (int i = 0; i < 64; ++i)
            taken.push_back(CreateEventA(NULL, FALSE, FALSE, NULL));
        for (HANDLE handle : taken)
            CloseHandle(handle);
        std::sort(taken.begin(), taken.end());
        return taken;
    }
    std::vector<HANDLE> before_;
};

// A folder with a copy of the stand-in java.exe that prints output and
// exits with exitCode; its runs are recorded in runsFile().
class QuietJava {
public:
    QuietJava(const std::string& folder, const std::string& exitCode, const std::string& output = std::string())
        : home_(folder)
    {
        EXPECT_TRUE(makeJavaHome(home_, output, exitCode));
    }
    std::string exe() const { return home_ + "\\bin\\java.exe"; }
    std::string bin() const { return home_ + "\\bin"; }
    std::string runsFile() const { return home_ + "\\bin\\standin-runs.txt"; }

private:
    std::string home_;
};

// The ids of the running processes whose program file is named name.
std::vector<DWORD> processesNamed(const std::string& name)
{
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return ids;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (lstrcmpiA(entry.szExeFile, name.c_str()) == 0)
            ids.push_back(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return ids;
}

} // namespace

TEST(RunProcess, MissingProgramGivesMinusOneAndLeavesNoHandle)
{
    std::string folder = scratchFolder(testName());
    runProcess(quoted(folder + "\\missing.exe"), false);
    HandleSlots slots;
    for (bool showWindow : {false, true}) {
        EXPECT_EQ(runProcess(quoted(folder + "\\missing.exe"), showWindow), -1);
        EXPECT_EQ(runProcess(quoted(folder + "\\no such folder\\java.exe") + " -version", showWindow), -1);
    }
    EXPECT_TRUE(slots.unchanged()) << "a handle was left open";
}

TEST(RunProcess, ClosesTheHandlesOfAChildThatRan)
{
    QuietJava java(scratchFolder(testName()), "0");
    runProcess(quoted(java.exe()), false);
    HandleSlots slots;
    EXPECT_EQ(runProcess(quoted(java.exe()), false), 0);
    EXPECT_EQ(runProcess(quoted(java.exe()), true), 0);
    EXPECT_TRUE(slots.unchanged()) << "a handle was left open";
}

TEST(RunProcess, ReturnsTheExitCodeOnceTheChildHasEnded)
{
    struct Case {
        const char* written;
        int expected;
    };
    const Case cases[] = {
        {"0", 0}, {"1", 1}, {"3", 3}, {"255", 255}, {"70000", 70000},
        {"-2", -2}, {"-1", -1}, {"4294967295", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.written);
        QuietJava java(scratchFolder(testName() + c.written), c.written);
        EXPECT_EQ(runProcess(quoted(java.exe()) + " -version", false), c.expected);
        // The child writes its record before it ends; the record is whole
        // when runProcess comes back, and 259 (still running) never shows.
        std::vector<StandinRun> runs = standinRuns(java.runsFile());
        ASSERT_EQ(runs.size(), 1u);
        EXPECT_EQ(runs[0].commandLine, quoted(java.exe()) + " -version");
    }
}

TEST(RunProcess, ChildGetsTheWholeCommandLineAndTheCurrentFolder)
{
    std::string folder = scratchFolder(testName());
    std::string bin = folder + "\\runtime\\bin";
    ASSERT_TRUE(makeFolders(bin));
    ASSERT_TRUE(CopyFileA(standinJavaw().c_str(), (bin + "\\javaw.exe").c_str(), FALSE));
    ASSERT_TRUE(writeFileBytes(bin + "\\javaw-exitcode.txt", "7"));
    std::string work = folder + "\\work";
    ASSERT_TRUE(makeFolders(work));

    // Far longer than any fixed buffer of a thousand characters.
    std::string start = "C:\\start " + std::string(3000, 'd');
    std::string commandLine = quoted(bin + "\\javaw.exe") + " " + quoted("-Dorig.dir=" + start)
        + " -jar Corvanell.jar";
    int exitCode;
    {
        CurrentFolder here(work);
        exitCode = runProcess(commandLine, true);
    }
    EXPECT_EQ(exitCode, 7);
    std::vector<StandinRun> runs = standinRuns(bin + "\\standin-runs.txt");
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].program, "javaw.exe");
    EXPECT_EQ(runs[0].commandLine, commandLine);
    EXPECT_EQ(runs[0].currentFolder, work);
    EXPECT_EQ(readFileOrEmpty(work + "\\ant.install.log"), "Corvanell demo installer\norig.dir=" + start + "\n");
}

TEST(CaptureProgramOutput, CollectsBothStreamsInOrderOrTheOutputAlone)
{
    QuietJava java(scratchFolder(testName()), "0", "from the error stream\r\n");
    ASSERT_TRUE(writeFileBytes(java.bin() + "\\java-stdout.txt", "first\r\nsecond\r\n"));
    std::string output;
    EXPECT_EQ(captureProgramOutput(java.exe(), "-version", output), 0);
    EXPECT_EQ(output, "first\nsecond\nfrom the error stream\n");

    output.clear();
    EXPECT_EQ(captureProgramOutput(java.exe(), "-version", output, ErrorStream::Discarded), 0);
    EXPECT_EQ(output, "first\nsecond\n");
}

// The program itself is the child, started with its quoted path first on its
// command line and without a console window, its input from the null device.
TEST(CaptureProgramOutput, RunsTheProgramItselfWithoutAConsoleWindow)
{
    QuietJava java(scratchFolder(testName()), "0", "ran\r\n");
    std::string output;
    EXPECT_EQ(captureProgramOutput(java.exe(), "-version", output), 0);
    std::vector<StandinRun> runs = standinRuns(java.runsFile());
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].commandLine, quoted(java.exe()) + " -version");
    EXPECT_EQ(runs[0].console, "no console window");
    EXPECT_EQ(runs[0].parent, "process.helpers.exe");
}

TEST(CaptureProgramOutput, AppendsBehindTextAlreadyThere)
{
    QuietJava java(scratchFolder(testName()), "0", "java version \"1.6.0_20\"\r\nmore\r\n");
    std::string output = "already here\n";
    EXPECT_EQ(captureProgramOutput(java.exe(), "-version", output), 0);
    EXPECT_EQ(output, "already here\njava version \"1.6.0_20\"\nmore\n");
}

// Far more than a pipe holds, in long lines: the pipe is read while the
// child writes. A CR alone, and a CR LF split by nothing, read as written.
TEST(CaptureProgramOutput, LongLinesAndLargeOutputArriveWhole)
{
    for (size_t length : {510u, 511u, 512u, 1022u, 1023u, 5000u, 300000u}) {
        SCOPED_TRACE(length);
        std::string line(length, 'x');
        for (size_t i = 0; i < length; i += 97)
            line[i] = static_cast<char>('a' + i % 26);
        QuietJava java(scratchFolder(testName() + std::to_string(length)), "0", line + "\r\nnext\rline\r\n");
        std::string output;
        EXPECT_EQ(captureProgramOutput(java.exe(), "", output), 0);
        EXPECT_TRUE(output == line + "\nnext\rline\n") << output.size();
    }
}

TEST(CaptureProgramOutput, KeepsNulBytesOfTheOutput)
{
    std::string printed("a\0b\r\n\0\r\nend", 11);
    QuietJava java(scratchFolder(testName()), "0", printed);
    std::string output;
    EXPECT_EQ(captureProgramOutput(java.exe(), "", output), 0);
    EXPECT_EQ(output, std::string("a\0b\n\0\nend", 9));
}

TEST(CaptureProgramOutput, SilentProgramLeavesOutputAndGivesItsExitCode)
{
    for (const char* exitCode : {"0", "1", "3"}) {
        SCOPED_TRACE(exitCode);
        QuietJava java(scratchFolder(testName() + exitCode), exitCode);
        std::string output = "untouched";
        EXPECT_EQ(captureProgramOutput(java.exe(), "-version", output), atoi(exitCode));
        EXPECT_EQ(output, "untouched");
    }
}

TEST(CaptureProgramOutput, MissingProgramGivesMinusOneAndLeavesNoHandle)
{
    std::string folder = scratchFolder(testName());
    std::string output = "before\n";
    captureProgramOutput(folder + "\\nojava.exe", "-version", output);
    HandleSlots slots;
    for (const std::string& program :
         {folder + "\\nojava.exe", folder + "\\with blank\\nojava.exe", std::string("nojava.exe")}) {
        SCOPED_TRACE(program);
        output = "before\n";
        EXPECT_EQ(captureProgramOutput(program, "-version", output), -1);
        EXPECT_EQ(output, "before\n");
    }
    EXPECT_TRUE(slots.unchanged()) << "a handle was left open";
}

TEST(CaptureProgramOutput, LongArgumentsRunWhole)
{
    QuietJava java(scratchFolder(testName()), "0", "done\r\n");
    std::string argument = "-Dlong=" + std::string(1500, 'q') + "end";
    std::string output;
    EXPECT_EQ(captureProgramOutput(java.exe(), argument, output), 0);
    EXPECT_EQ(output, "done\n");
    std::vector<StandinRun> runs = standinRuns(java.runsFile());
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].commandLine, quoted(java.exe()) + " " + argument);
}

// Characters a command interpreter would read as commands or variables are
// plain characters of a path here.
TEST(CaptureProgramOutput, ProgramPathWithAmpersandOrPercentRunsThatProgram)
{
    std::string folder = scratchFolder(testName());
    for (const char* name : {"a&b", "100%", "%PATH%", "p q", "x&y z", "(1)", "a^b"}) {
        SCOPED_TRACE(name);
        QuietJava java(folder + "\\" + name, "0", "ran\r\n");
        std::string output;
        EXPECT_EQ(captureProgramOutput(java.exe(), "-version", output), 0);
        EXPECT_EQ(output, "ran\n");
        std::vector<StandinRun> runs = standinRuns(java.runsFile());
        ASSERT_EQ(runs.size(), 1u);
        EXPECT_EQ(runs[0].commandLine, quoted(java.exe()) + " -version");
    }
}

// A program that never ends is ended at the time limit and counts as
// failed; what it printed before is kept.
TEST(CaptureProgramOutput, ProgramThatNeverEndsIsEndedAtTheLimit)
{
    std::string home = scratchFolder(testName());
    ASSERT_TRUE(makeJavaHome(home, "java version \"1.8.0_202\"\r\n"));
    ASSERT_TRUE(writeFileBytes(home + "\\bin\\java-hangs.txt", ""));
    std::string hangs = home + "\\bin\\hangs.exe";
    ASSERT_TRUE(MoveFileA((home + "\\bin\\java.exe").c_str(), hangs.c_str()));
    std::string output;
    DWORD started = GetTickCount();
    EXPECT_EQ(captureProgramOutput(hangs, "-version", output, ErrorStream::Merged, 2000), -1);
    DWORD took = GetTickCount() - started;
    EXPECT_GE(took, 2000u);
    EXPECT_EQ(output, "java version \"1.8.0_202\"\n");
    EXPECT_EQ(standinRuns(home + "\\bin\\standin-runs.txt").size(), 1u);
    EXPECT_TRUE(processesNamed("hangs.exe").empty()) << "the program is still running";
}

TEST(FileExists, FileFolderAndMissingPath)
{
    std::string folder = scratchFolder(testName());
    ASSERT_TRUE(writeFileBytes(folder + "\\file.txt", "x"));
    ASSERT_TRUE(writeFileBytes(folder + "\\empty", ""));
    ASSERT_TRUE(makeFolders(folder + "\\sub folder"));
    struct Case {
        std::string path;
        bool exists;
    };
    const Case cases[] = {
        {folder + "\\file.txt", true},
        {folder + "\\empty", true},
        {folder, true},
        {folder + "\\sub folder", true},
        {folder + "\\missing.txt", false},
        {folder + "\\missing\\file.txt", false},
        {folder + "\\file.txt\\below", false},
        {"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(fileExists(c.path), c.exists);
    }
}
