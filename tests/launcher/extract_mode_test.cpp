// The real Corvanell.exe in extract mode, started the way a parent starts it,
// with its standard output and error on pipes.
#include "support/message_boxes.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char* const banner =
    "----------------------------\n"
    "Extracting java installer...\n"
    "----------------------------\n";
const char* const completion =
    "\n"
    "Extraction complete\n"
    "You can now type java -jar Corvanell.jar to run the installer from the command line\n";
const char* const textNote =
    "-text is depricated, please use -extract and then run \"java -jar Corvanell.jar text\"\n";

std::string inQuotes(const std::string& text)
{
    return "\"" + text + "\"";
}

// A start that is not extract mode runs the installation sequence. With
// "TMP" naming a missing folder that sequence stops early, at the message
// that the work folder cannot be made, which the test dismisses.
struct SequenceRun {
    ChildRun run;
    std::string caption;
};

SequenceRun runUntilTheWorkFolderMessage(const std::string& program, const std::string& commandLine,
                                         const std::string& folder)
{
    SequenceRun result;
    RunningChild child;
    std::string environment = environmentWith({"TMP"}, {"TMP=" + folder + "\\no-such-folder"});
    if (!child.start(program, commandLine, folder, environment)) {
        ADD_FAILURE() << "cannot start " << program;
        return result;
    }
    HWND box = waitForMessageBox(child.processId(), 0, 60000);
    if (box != NULL) {
        result.caption = readMessageBox(box).caption;
        pressOk(box);
    }
    result.run = child.finish(60000);
    return result;
}

const DWORD allBitsSet = 0xFFFFFFFFu;

// What a reader of the launcher's output pipe gets with its first read, and
// whether Corvanell.jar was in the folder at that moment; then the rest.
struct PipeReading {
    std::string first;
    bool archiveThereAtFirst = false;
    std::string all;
    DWORD exitCode = 0;
};

PipeReading readAsItComes(const std::string& commandLine, const std::string& folder)
{
    PipeReading reading;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
    HANDLE readEnd = NULL, writeEnd = NULL;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        ADD_FAILURE() << "CreatePipe failed";
        return reading;
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION process = {};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    BOOL created = CreateProcessA(NULL, line.data(), NULL, NULL, TRUE, 0, NULL, folder.c_str(), &startup, &process);
    CloseHandle(writeEnd);
    if (!created) {
        ADD_FAILURE() << "cannot start " << commandLine;
        CloseHandle(readEnd);
        return reading;
    }
    char buffer[4096];
    DWORD got = 0;
    if (ReadFile(readEnd, buffer, sizeof buffer, &got, NULL)) {
        reading.archiveThereAtFirst = pathExists(folder + "\\Corvanell.jar");
        reading.first.assign(buffer, got);
    }
    reading.all = reading.first;
    while (ReadFile(readEnd, buffer, sizeof buffer, &got, NULL) && got > 0)
        reading.all.append(buffer, got);
    WaitForSingleObject(process.hProcess, 120000);
    GetExitCodeProcess(process.hProcess, &reading.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(readEnd);
    return reading;
}

class ExtractMode : public ::testing::Test {
protected:
    void SetUp() override
    {
        launcher = requiredEnv("CORVANELL_LAUNCHER");
        ASSERT_TRUE(readFileBytes(requiredEnv("CORVANELL_INSTALLER_JAR"), archive));
        ASSERT_FALSE(archive.empty());
        folder = scratchFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }

    std::string jarIn(const std::string& where) { return readFileOrEmpty(where + "\\Corvanell.jar"); }

    std::string launcher;
    std::string archive;
    std::string folder;
};

} // namespace

TEST_F(ExtractMode, EachKeywordWritesTheArchiveAndSixLines)
{
    for (const char* keyword : {"-x", "-extract", "--extract"}) {
        SCOPED_TRACE(keyword);
        std::string here = scratchFolder(std::string("keyword") + keyword);
        ChildRun run = runChild(inQuotes(launcher) + " " + keyword, here);
        ASSERT_TRUE(run.started);
        EXPECT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_EQ(run.out, std::string(banner) + completion);
        EXPECT_EQ(run.err, "");
        EXPECT_TRUE(jarIn(here) == archive) << "Corvanell.jar differs from the packaged archive";
        EXPECT_EQ(folderEntries(here), std::vector<std::string>({"Corvanell.jar"}));
    }
}

TEST_F(ExtractMode, ArchiveOfSeveralChunksComesOutByteForByte)
{
    std::string expected;
    ASSERT_TRUE(readFileBytes(requiredEnv("CORVANELL_MULTICHUNK_JAR"), expected));
    ASSERT_GT(expected.size(), 2u * 8388608u);
    ChildRun run = runChild(inQuotes(requiredEnv("CORVANELL_MULTICHUNK_LAUNCHER")) + " -x", folder);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.out, std::string(banner) + completion);
    std::string written = jarIn(folder);
    EXPECT_EQ(written.size(), expected.size());
    EXPECT_TRUE(written == expected);
}

// How the start-up code cuts the program name off what the parent passed to
// CreateProcess, and what is then matched against the keywords.
TEST_F(ExtractMode, CommandLineAsTheParentPassesIt)
{
    struct Case { std::string commandLine; bool extract; };
    const std::vector<Case> cases = {
        {inQuotes(launcher) + "   -x", true},            // blanks after the program name are skipped
        {inQuotes(launcher) + "\t-x", true},
        {inQuotes(launcher) + " \t \t-extract", true},
        {launcher + " -x", true},                      // unquoted program name without blanks
        {"prog\"ram na\"me -x", true},                 // a quote inside the name switches blanks off
        {"\"a b\"c\" d\" --extract", true},
        {inQuotes(launcher) + " \"-x\"", false},         // quotes kept
        {inQuotes(launcher) + " -x ", false},            // trailing blank kept
        {inQuotes(launcher) + " -x foo", false},
        {inQuotes(launcher) + " -extract -x", false},
        {inQuotes(launcher) + " -X", false},
        {inQuotes(launcher) + " -Extract", false},
        {inQuotes(launcher) + " /x", false},
        {inQuotes(launcher) + " /extract", false},
        {inQuotes(launcher) + " extract", false},
        {inQuotes(launcher) + " --x", false},
        {inQuotes(launcher), false},
        {"\"a b -x\"", false},                         // all of it is the program name
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.commandLine);
        std::string here = scratchFolder("cmdline" + std::to_string(index++));
        if (c.extract) {
            ChildRun run = runChildProgram(launcher, c.commandLine, here);
            ASSERT_TRUE(run.started);
            EXPECT_EQ(run.exitCode, 0u);
            EXPECT_EQ(run.out, std::string(banner) + completion);
            EXPECT_TRUE(jarIn(here) == archive);
            EXPECT_EQ(run.err, "");
        } else {
            SequenceRun sequence = runUntilTheWorkFolderMessage(launcher, c.commandLine, here);
            EXPECT_EQ(sequence.caption, "Failed to create the temp folder.");
            EXPECT_EQ(sequence.run.exitCode, allBitsSet);
            EXPECT_EQ(sequence.run.out, "");
            EXPECT_EQ(sequence.run.err, "");
            EXPECT_FALSE(pathExists(here + "\\Corvanell.jar"));
        }
    }
}

TEST_F(ExtractMode, OldTextKeywordPrintsTheNoteOnStandardError)
{
    struct Case { const char* arguments; bool note; };
    const Case cases[] = {
        {" -text", true}, {" text", true}, {"  text", true},
        {" -TEXT", false}, {" -text ", false}, {" Text", false}, {"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        // The note comes first; then the installation sequence runs as for
        // any other start.
        SequenceRun sequence = runUntilTheWorkFolderMessage(launcher, inQuotes(launcher) + c.arguments, folder);
        EXPECT_EQ(sequence.caption, "Failed to create the temp folder.");
        EXPECT_EQ(sequence.run.exitCode, allBitsSet);
        EXPECT_EQ(sequence.run.err, c.note ? textNote : "");
        EXPECT_EQ(sequence.run.out, "");
        EXPECT_FALSE(pathExists(folder + "\\Corvanell.jar"));
    }
}

TEST_F(ExtractMode, ExistingArchiveIsReplacedWhole)
{
    ASSERT_TRUE(writeFileBytes(folder + "\\Corvanell.jar", std::string(100000, 'o')));
    ChildRun run = runChild(inQuotes(launcher) + " -x", folder);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(jarIn(folder) == archive);
    EXPECT_EQ(folderEntries(folder), std::vector<std::string>({"Corvanell.jar"}));
}

TEST_F(ExtractMode, LauncherWithoutArchiveFailsAfterTheBanner)
{
    std::string nojar = requiredEnv("CORVANELL_NOJAR_LAUNCHER");
    ChildRun run = runChild(inQuotes(nojar) + " -x", folder);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(run.out, banner);
    EXPECT_EQ(folderEntries(folder), std::vector<std::string>());

    ASSERT_TRUE(writeFileBytes(folder + "\\Corvanell.jar", "an earlier archive"));
    run = runChild(inQuotes(nojar) + " -x", folder);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(jarIn(folder), "an earlier archive");
    EXPECT_EQ(folderEntries(folder), std::vector<std::string>({"Corvanell.jar"}));
}

TEST_F(ExtractMode, ReadOnlyFolderFailsAndKeepsTheEarlierArchive)
{
    std::string readOnly = requiredEnv("CORVANELL_TEST_ROOT") + "\\readonly";
    ASSERT_EQ(jarIn(readOnly), "an earlier Corvanell.jar");
    ChildRun run = runChild(inQuotes(launcher) + " -x", readOnly);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(run.out, banner);
    EXPECT_EQ(jarIn(readOnly), "an earlier Corvanell.jar");
    EXPECT_EQ(folderEntries(readOnly), std::vector<std::string>({"Corvanell.jar"}));
}

TEST_F(ExtractMode, FullDiskFailsAndKeepsTheEarlierArchive)
{
    // The disk holds 1 MiB; the archive of this variant is about 16 MiB.
    std::string small = requiredEnv("CORVANELL_TEST_ROOT") + "\\smalldisk";
    removeTree(small + "\\Corvanell.jar");
    ASSERT_TRUE(writeFileBytes(small + "\\Corvanell.jar", "an earlier Corvanell.jar"));
    ChildRun run = runChild(inQuotes(requiredEnv("CORVANELL_MULTICHUNK_LAUNCHER")) + " -x", small);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(run.out, banner);
    EXPECT_EQ(jarIn(small), "an earlier Corvanell.jar");
    EXPECT_EQ(folderEntries(small), std::vector<std::string>({"Corvanell.jar"}));

    // Where the archive fits, it is written.
    removeTree(small + "\\Corvanell.jar");
    run = runChild(inQuotes(launcher) + " -x", small);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(jarIn(small) == archive);
    removeTree(small + "\\Corvanell.jar");
}

// A 64 KiB disk that is full already, holding a 4-byte Corvanell.jar. The
// demo archive (1,535 bytes) is smaller than the C run-time's stream buffer:
// written through a stream, its bytes would reach the disk only in the
// close, whose failed flush Wine's fclose reports as success. The archive
// of the other variant is far larger than that buffer.
TEST_F(ExtractMode, FullDiskIsNeverReportedAsSuccess)
{
    std::string full = requiredEnv("CORVANELL_TEST_ROOT") + "\\fulldisk";
    struct Case {
        const char* what;
        std::string launcher;
    };
    const Case cases[] = {
        {"archive smaller than a stream buffer", launcher},
        {"archive of several chunks", requiredEnv("CORVANELL_MULTICHUNK_LAUNCHER")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(jarIn(full), "old!");
        ChildRun run = runChild(inQuotes(c.launcher) + " -x", full);
        EXPECT_EQ(run.exitCode, 1u);
        EXPECT_EQ(run.out, banner);
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(jarIn(full), "old!");
        EXPECT_EQ(folderEntries(full), std::vector<std::string>({"Corvanell.jar", "space"}));
        EXPECT_EQ(folderEntries(full + "\\space"), std::vector<std::string>({"filler"}));
    }
}

// The banner is flushed before the archive is written: a reader of the pipe
// has it while the archive (about 16 MiB here) is not yet in place, and the
// rest follows once it is.
TEST_F(ExtractMode, BannerReachesThePipeBeforeTheArchiveIsWritten)
{
    PipeReading reading = readAsItComes(inQuotes(requiredEnv("CORVANELL_MULTICHUNK_LAUNCHER")) + " -x", folder);
    EXPECT_EQ(reading.first, banner);
    EXPECT_FALSE(reading.archiveThereAtFirst);
    EXPECT_EQ(reading.all, std::string(banner) + completion);
    EXPECT_EQ(reading.exitCode, 0u);
    EXPECT_EQ(jarIn(folder).size(), 16789012u);
}
