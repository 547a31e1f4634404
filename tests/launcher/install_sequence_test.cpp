// The whole launcher, end to end: the real Corvanell.exe (and variants)
// started with an environment of the test's own, its trace read from pipes,
// its message boxes read and dismissed, its files inspected. The stand-in
// javaw.exe records how it was run and what the splash window showed.
#include "support/java_home.h"
#include "support/message_boxes.h"
#include "support/splash_lookup.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <time.h>

#include <string>
#include <vector>

namespace {

const char* const tempFolderCaption = "Failed to create the temp folder.";
const char* const tempFolderText =
    "Failed to create the temp folder.\n"
    "Please set the environment variable TMP to a folder you have permission to write to.";
const char* const javaMissingCaption = "Installation Failed: Couldn't find java";
const char* const javaMissingStart = "This version of Corvanell requires java 1.6.0_00 or greater, but ";
const char* const installerErrorCaption = "Installation Error";
const char* const installerErrorText =
    "The installation exited with an error. Java may not be installed properly, or the installation may have "
    "been interrupted partway through. Please try again.";
const char* const pathHeading =
    " - Looking on PATH (possibly yielding a pseudo, but passable, JAVA_HOME such as /usr): ";
const DWORD allBitsSet = 0xFFFFFFFFu;

std::string inQuotes(const std::string& text)
{
    return "\"" + text + "\"";
}

std::string noRuntimeTrace(const std::string& javaHomePart = "")
{
    return "Searching for a JVM\n - trying priority hint: (jre) no\n - trying JAVA_HOME: " + javaHomePart
        + "no\n - trying JRE_HOME: no\n - trying the registry: no\n - trying hint: no\n" + pathHeading + "no\n";
}

bool isWorkFolderName(const std::string& name)
{
    if (name.size() != 15 || name.compare(0, 10, "Corvanell-") != 0)
        return false;
    for (size_t i = 10; i < 15; ++i) {
        if (name[i] < 'a' || name[i] > 'z')
            return false;
    }
    return true;
}

// The work folder name a run seeded at second t draws, with the same C
// run-time generator the launcher uses.
std::string workFolderNameFor(time_t t)
{
    srand(static_cast<unsigned int>(t));
    std::string name = "Corvanell-";
    for (int i = 0; i < 5; ++i)
        name += static_cast<char>('a' + rand() % 26);
    return name;
}

struct SplashState {
    bool exists = false;
    bool visible = false;
};

// Two paths name the same folder: the same volume and file index.
bool sameFolder(const std::wstring& one, const std::wstring& other)
{
    BY_HANDLE_FILE_INFORMATION info[2] = {};
    const std::wstring* paths[2] = {&one, &other};
    for (int i = 0; i < 2; ++i) {
        HANDLE folder = CreateFileW(paths[i]->c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
        if (folder == INVALID_HANDLE_VALUE)
            return false;
        bool read = GetFileInformationByHandle(folder, &info[i]) != 0;
        CloseHandle(folder);
        if (!read)
            return false;
    }
    return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber
        && info[0].nFileIndexHigh == info[1].nFileIndexHigh && info[0].nFileIndexLow == info[1].nFileIndexLow;
}

// The text a wide text becomes in the ANSI code page; usedDefault tells
// whether a character had to be replaced.
std::string ansiOf(const std::wstring& text, bool& replaced)
{
    BOOL usedDefault = FALSE;
    char buffer[1024] = {};
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), -1, buffer, sizeof buffer, NULL, &usedDefault);
    replaced = usedDefault != FALSE;
    return buffer;
}

SplashState splashOf(DWORD processId)
{
    HWND window = findSplashWindowOf(processId);
    SplashState state;
    state.exists = window != NULL;
    state.visible = state.exists && IsWindowVisible(window);
    return state;
}

class Installation : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = scratchFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        tmp = folder + "\\tmp";
        start = folder + "\\start";
        records = folder + "\\records";
        for (const std::string& made : {tmp, start, records})
            ASSERT_TRUE(CreateDirectoryA(made.c_str(), NULL));
        // Things of the user's that no run may touch: beside the work
        // folder, and in the folder the launcher is started from.
        for (const std::string& place : {tmp, start}) {
            ASSERT_TRUE(writeFileBytes(place + "\\sentinel.txt", "keep me"));
            ASSERT_TRUE(CreateDirectoryA((place + "\\jre").c_str(), NULL));
            ASSERT_TRUE(writeFileBytes(place + "\\jre\\keep.txt", "keep me too"));
        }
        ASSERT_TRUE(writeFileBytes(start + "\\Corvanell.jar", "the user's own archive"));
        ASSERT_TRUE(writeFileBytes(start + "\\ant.install.log", "the user's own log"));
        launcher = requiredEnv("CORVANELL_LAUNCHER");
    }

    void TearDown() override
    {
        for (const std::string& place : {tmp, start}) {
            EXPECT_EQ(readFileOrEmpty(place + "\\sentinel.txt"), "keep me") << place;
            EXPECT_EQ(readFileOrEmpty(place + "\\jre\\keep.txt"), "keep me too") << place;
        }
        EXPECT_EQ(readFileOrEmpty(start + "\\Corvanell.jar"), "the user's own archive");
        EXPECT_EQ(readFileOrEmpty(start + "\\ant.install.log"), "the user's own log");
    }

    // The environment of one run: "TMP" and the search's variables as the
    // test says, PATH with the system folders only (where finds no java).
    std::string environment(const std::vector<std::string>& extra = {}, bool withTmp = true) const
    {
        std::vector<std::string> added = {
            "PATH=C:\\windows\\system32;C:\\windows",
            "CORVANELL_STANDIN_RECORD=" + records + "\\runs.txt",
            "CORVANELL_STANDIN_SPLASH_RECORD=" + records + "\\splash.txt",
        };
        bool tmpGiven = false;
        for (const std::string& variable : extra)
            tmpGiven = tmpGiven || variable.compare(0, 4, "TMP=") == 0;
        if (withTmp && !tmpGiven)
            added.push_back("TMP=" + tmp);
        added.insert(added.end(), extra.begin(), extra.end());
        return environmentWith({"TMP", "JAVA_HOME", "JRE_HOME", "PATH", "CORVANELL_STANDIN_RECORD",
                                "CORVANELL_STANDIN_SPLASH_RECORD", "CORVANELL_STANDIN_JAVAW_EXITCODE",
                                "CORVANELL_STANDIN_JAVAW_LEAVE"},
                               added);
    }

    bool launch(RunningChild& child, const std::string& program, const std::string& env,
                const std::string& from = std::string())
    {
        return child.start(program, inQuotes(program), from.empty() ? start : from, env);
    }

    // Runs to the end; any message box that shows up fails the test.
    ChildRun runWithoutMessages(const std::string& program, const std::string& env,
                                const std::string& from = std::string())
    {
        RunningChild child;
        EXPECT_TRUE(launch(child, program, env, from));
        ChildRun run = child.finish(60000);
        EXPECT_TRUE(run.finished) << "the launcher did not end (a message box left open?)\nstill running:\n"
                                  << run.stillRunning << "its output:\n" << run.out << run.err
                                  << "programs run:\n" << readFileOrEmpty(records + "\\runs.txt");
        return run;
    }

    // A run that shows one message box: what the box and the splash showed
    // while it was open, and the run after OK was pressed.
    struct RunWithMessage {
        MessageBoxInfo box;
        SplashState splash;
        ChildRun run;
    };

    RunWithMessage runToMessage(const std::string& program, const std::string& env)
    {
        RunWithMessage result;
        RunningChild child;
        EXPECT_TRUE(launch(child, program, env));
        HWND box = waitForMessageBox(child.processId(), 0, 60000);
        EXPECT_NE(box, (HWND)NULL) << "no message box appeared";
        if (box != NULL) {
            result.box = readMessageBox(box);
            result.splash = splashOf(child.processId());
            EXPECT_TRUE(pressOk(box));
        }
        result.run = child.finish(60000);
        EXPECT_TRUE(result.run.finished);
        return result;
    }

    std::vector<StandinRun> runsOf(const std::string& program) const
    {
        std::vector<StandinRun> runs;
        for (const StandinRun& run : standinRuns(records + "\\runs.txt")) {
            if (run.program == program)
                runs.push_back(run);
        }
        return runs;
    }

    std::string splashRecord() const { return readFileOrEmpty(records + "\\splash.txt"); }

    // What the temporary folder holds besides the user's things.
    std::vector<std::string> leftInTmp() const
    {
        std::vector<std::string> left;
        for (const std::string& name : folderEntries(tmp)) {
            if (name != "sentinel.txt" && name != "jre")
                left.push_back(name);
        }
        return left;
    }

    // A home of the stand-in runtime made by the test, javaw.exe included.
    std::string runtimeHome(const std::string& name, const std::string& version, bool withJavaw = true)
    {
        std::string home = folder + "\\" + name;
        EXPECT_TRUE(makeJavaHome(home, withCrLf("java version \"" + version + "\"\nJava(TM) SE Runtime Environment "
                                                "(build " + version + "-b01)\nJava HotSpot(TM) Client VM (build "
                                                "1.0-b01, mixed mode)\n")));
        if (withJavaw) {
            EXPECT_TRUE(CopyFileA(standinJavaw().c_str(), (home + "\\bin\\javaw.exe").c_str(), FALSE));
        }
        return home;
    }

    std::string folder, tmp, start, records, launcher;
};

} // namespace

TEST_F(Installation, DemoPayloadsRunTheInstallerAndLeaveNothingBehind)
{
    ChildRun run = runWithoutMessages(launcher, environment());
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.out, "Searching for a JVM\n - trying priority hint: (jre) yes\n");
    EXPECT_EQ(run.err, "");

    std::vector<StandinRun> installer = runsOf("javaw.exe");
    ASSERT_EQ(installer.size(), 1u);
    std::string workFolder = installer[0].currentFolder;
    ASSERT_EQ(workFolder.substr(0, tmp.size() + 1), tmp + "\\");
    EXPECT_TRUE(isWorkFolderName(workFolder.substr(tmp.size() + 1))) << workFolder;
    // The runtime just unpacked, named by its full path.
    EXPECT_EQ(installer[0].commandLine,
              "\"" + workFolder + "\\jre\\bin\\javaw.exe\" \"-Dorig.dir=" + start + "\" -jar Corvanell.jar");
    EXPECT_EQ(installer[0].parent, "Corvanell.exe");
    EXPECT_EQ(splashRecord(), "hidden\n");
    // The runtime unpacked from the package was probed, once: its java.exe
    // itself, by the same full path, without a console window.
    std::vector<StandinRun> probes = runsOf("java.exe");
    ASSERT_EQ(probes.size(), 1u);
    EXPECT_EQ(probes[0].currentFolder, workFolder);
    EXPECT_EQ(probes[0].commandLine, "\"" + workFolder + "\\jre\\bin\\java.exe\" -version");
    EXPECT_EQ(probes[0].parent, "Corvanell.exe");
    EXPECT_EQ(probes[0].console, "no console window");
    EXPECT_EQ(leftInTmp(), std::vector<std::string>());
}

TEST_F(Installation, StartDirectoryAndTemporaryFolderSpellings)
{
    struct Case {
        const char* what;
        std::string from;
        std::string origDir;
        std::string tmpValue;
    };
    const std::vector<Case> cases = {
        {"a drive root loses its backslash", "C:\\", "C:", tmp},
        {"an ordinary folder stays as it is", start, start, tmp},
        {"TMP with a trailing backslash", start, start, tmp + "\\"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteFileA((records + "\\runs.txt").c_str());
        ChildRun run = runWithoutMessages(launcher, environment({"TMP=" + c.tmpValue}), c.from);
        EXPECT_EQ(run.exitCode, 0u);
        std::vector<StandinRun> installer = runsOf("javaw.exe");
        ASSERT_EQ(installer.size(), 1u);
        EXPECT_EQ(installer[0].commandLine, "\"" + installer[0].currentFolder + "\\jre\\bin\\javaw.exe\" \"-Dorig.dir="
                                                + c.origDir + "\" -jar Corvanell.jar");
        EXPECT_EQ(installer[0].currentFolder.substr(0, tmp.size() + 1), tmp + "\\");
        EXPECT_EQ(leftInTmp(), std::vector<std::string>());
    }
}

TEST_F(Installation, FailingInstallerIsReportedWithoutOwnerWhileTheSplashIsHidden)
{
    struct Case {
        const char* what;
        std::string program;
        std::vector<std::string> variables;
    };
    std::string noJavaw = runtimeHome("nojavaw", "1.8.0_202", false);
    const std::vector<Case> cases = {
        {"installer exit code 1", launcher, {"CORVANELL_STANDIN_JAVAW_EXITCODE=1"}},
        {"a runtime without javaw.exe", requiredEnv("CORVANELL_NOJAVA_LAUNCHER"), {"JAVA_HOME=" + noJavaw}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RunWithMessage outcome = runToMessage(c.program, environment(c.variables));
        const MessageBoxInfo& info = outcome.box;
        const SplashState& splash = outcome.splash;
        const ChildRun& run = outcome.run;

        EXPECT_EQ(info.caption, installerErrorCaption);
        EXPECT_EQ(info.text, installerErrorText);
        EXPECT_EQ(info.owner, (HWND)NULL);
        EXPECT_EQ(info.icon, "none");
        EXPECT_TRUE(splash.exists);
        EXPECT_FALSE(splash.visible);
        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_EQ(leftInTmp(), std::vector<std::string>());
    }
}

TEST_F(Installation, NoSuitableRuntimeIsReportedOverTheSplash)
{
    std::string old = runtimeHome("old", "1.5.0_22");
    struct Case {
        const char* what;
        std::vector<std::string> variables;
        std::string trace;
        std::string ending;
        size_t lookups;   // the second search stops at an older JAVA_HOME
    };
    const std::vector<Case> cases = {
        {"no runtime at all", {}, noRuntimeTrace(), "java could not be found on your computer.\n", 2},
        {"only an older runtime", {"JAVA_HOME=" + old}, noRuntimeTrace("(" + old + ") "), "your java is too old.\n",
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteFileA((records + "\\runs.txt").c_str());
        RunWithMessage outcome = runToMessage(requiredEnv("CORVANELL_NOJAVA_LAUNCHER"), environment(c.variables));
        const MessageBoxInfo& info = outcome.box;
        const SplashState& splash = outcome.splash;
        const ChildRun& run = outcome.run;

        EXPECT_EQ(info.caption, javaMissingCaption);
        EXPECT_EQ(info.text, javaMissingStart + c.ending);
        EXPECT_EQ(info.ownerClass, "splash");
        EXPECT_EQ(info.icon, "none");
        EXPECT_TRUE(splash.visible);
        // The second search, which picks the ending, writes no trace.
        EXPECT_EQ(run.out, c.trace);
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_TRUE(runsOf("javaw.exe").empty());
        // The searches looked on PATH: where.exe of the system folder
        // itself, without a console window.
        std::vector<StandinRun> lookups = runsOf("where.exe");
        ASSERT_EQ(lookups.size(), c.lookups);
        for (const StandinRun& lookup : lookups) {
            EXPECT_EQ(lookup.commandLine, "\"C:\\windows\\system32\\where.exe\" java");
            EXPECT_EQ(lookup.parent, "Corvanell-nojava.exe");
            EXPECT_EQ(lookup.console, "no console window");
        }
        EXPECT_EQ(leftInTmp(), std::vector<std::string>());
    }
}

TEST_F(Installation, WithoutARuntimePackageAnInstalledRuntimeIsUsed)
{
    std::string installed = runtimeHome("installed", "1.7.0_80");
    ChildRun run = runWithoutMessages(requiredEnv("CORVANELL_NOJAVA_LAUNCHER"), environment({"JAVA_HOME=" + installed}));
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.out, "Searching for a JVM\n - trying priority hint: (jre) no\n - trying JAVA_HOME: (" + installed
                           + ") yes\n");
    std::vector<StandinRun> installer = runsOf("javaw.exe");
    ASSERT_EQ(installer.size(), 1u);
    EXPECT_EQ(installer[0].commandLine,
              "\"" + installed + "\\bin\\javaw.exe\" \"-Dorig.dir=" + start + "\" -jar Corvanell.jar");
    EXPECT_EQ(leftInTmp(), std::vector<std::string>());
}

TEST_F(Installation, WorkFolderThatCannotBeMadeEndsTheRun)
{
    struct Case {
        const char* what;
        std::string tmpValue;
        bool collide;
    };
    const std::vector<Case> cases = {
        {"TMP names a missing folder", folder + "\\missing", false},
        {"the work folder exists already", tmp, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // A run seeds its generator with the second it starts in: make the
        // folders of the next few seconds beforehand.
        std::vector<std::string> taken;
        if (c.collide) {
            time_t now = time(NULL);
            for (time_t t = now; t < now + 5; ++t) {
                taken.push_back(workFolderNameFor(t));
                CreateDirectoryA((tmp + "\\" + taken.back()).c_str(), NULL);
            }
        }
        std::vector<std::string> before = folderEntries(tmp);
        RunWithMessage outcome = runToMessage(launcher, environment({"TMP=" + c.tmpValue}));
        const MessageBoxInfo& info = outcome.box;
        const SplashState& splash = outcome.splash;
        const ChildRun& run = outcome.run;

        EXPECT_EQ(info.caption, tempFolderCaption);
        EXPECT_EQ(info.text, tempFolderText);
        EXPECT_EQ(info.ownerClass, "splash");
        EXPECT_TRUE(splash.visible);
        EXPECT_EQ(run.exitCode, allBitsSet);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(folderEntries(tmp), before);
        for (const std::string& name : taken)
            EXPECT_EQ(folderEntries(tmp + "\\" + name), std::vector<std::string>());
        EXPECT_FALSE(pathExists(folder + "\\missing"));
        EXPECT_TRUE(runsOf("java.exe").empty());
        for (const std::string& name : taken)
            RemoveDirectoryA((tmp + "\\" + name).c_str());
    }
}

TEST_F(Installation, WhatTheInstallerLeavesStaysWithTheWorkFolder)
{
    ChildRun run = runWithoutMessages(launcher, environment({"CORVANELL_STANDIN_JAVAW_LEAVE=installer-notes.txt"}));
    EXPECT_EQ(run.exitCode, 0u);
    std::vector<std::string> left = leftInTmp();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_TRUE(isWorkFolderName(left[0]));
    EXPECT_EQ(folderEntries(tmp + "\\" + left[0]), std::vector<std::string>({"installer-notes.txt"}));
}

TEST_F(Installation, ProgramsPlantedBesideTheLauncherNeverRun)
{
    // A downloads folder: the launcher, and a jre.exe, a cmd.exe, a
    // where.exe and a runtime in jre that would leave a sentinel file if
    // they ever ran.
    std::string downloads = folder + "\\downloads";
    ASSERT_TRUE(makeFolders(downloads + "\\jre\\bin"));
    std::string copy = downloads + "\\Corvanell.exe";
    ASSERT_TRUE(CopyFileA(launcher.c_str(), copy.c_str(), FALSE));
    const char* const planted[] = {"jre.exe", "cmd.exe", "where.exe", "jre\\bin\\java.exe", "jre\\bin\\javaw.exe"};
    for (const char* name : planted)
        ASSERT_TRUE(CopyFileA(requiredEnv("CORVANELL_SENTINEL").c_str(), (downloads + "\\" + name).c_str(), FALSE));

    for (const std::string& from : {downloads, start}) {
        SCOPED_TRACE(from);
        DeleteFileA((records + "\\runs.txt").c_str());
        ChildRun run = runWithoutMessages(copy, environment(), from);
        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_EQ(run.out, "Searching for a JVM\n - trying priority hint: (jre) yes\n");
        std::vector<StandinRun> installer = runsOf("javaw.exe");
        ASSERT_EQ(installer.size(), 1u);
        std::string unpacked = "\"" + installer[0].currentFolder + "\\jre\\bin\\javaw.exe\" ";
        EXPECT_EQ(installer[0].commandLine.substr(0, unpacked.size()), unpacked);
        for (const char* name : planted)
            EXPECT_FALSE(pathExists(downloads + "\\" + name + ".ran")) << name;
        EXPECT_EQ(leftInTmp(), std::vector<std::string>());
    }
}

TEST_F(Installation, EmptyOrMissingTmpUsesThePlatformTemporaryFolder)
{
    // The platform's temporary folder, as this test program sees it too.
    char path[MAX_PATH + 1];
    DWORD length = GetTempPathA(sizeof path, path);
    ASSERT_GT(length, 1u);
    std::string temp(path, length - 1);
    struct Case {
        const char* what;
        bool defined;
    };
    for (Case c : {Case{"TMP empty", true}, Case{"TMP missing", false}}) {
        SCOPED_TRACE(c.what);
        DeleteFileA((records + "\\runs.txt").c_str());
        std::vector<std::string> variables;
        if (c.defined)
            variables.push_back("TMP=");
        ChildRun run = runWithoutMessages(launcher, environment(variables, false));
        EXPECT_EQ(run.exitCode, 0u);
        std::vector<StandinRun> installer = runsOf("javaw.exe");
        ASSERT_EQ(installer.size(), 1u);
        std::string workFolder = installer[0].currentFolder;
        EXPECT_EQ(workFolder.substr(0, temp.size() + 1), temp + "\\");
        EXPECT_TRUE(isWorkFolderName(workFolder.substr(temp.size() + 1))) << workFolder;
        EXPECT_FALSE(pathExists(workFolder));
    }
}

// A runtime of Java 9 or newer, registered only under JavaSoft\JDK with its
// CurrentVersion, is found by the registry source and runs the installer.
TEST_F(Installation, RuntimeRegisteredUnderTheNewerKeysIsUsed)
{
    std::string installed = runtimeHome("jdk-17", "17.0.1");
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\JavaSoft");
    HKEY key = NULL;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\JavaSoft\\JDK\\17.0.1", 0, NULL, 0, KEY_ALL_ACCESS,
                              NULL, &key, NULL),
              ERROR_SUCCESS);
    RegSetValueExA(key, "JavaHome", 0, REG_SZ, reinterpret_cast<const BYTE*>(installed.c_str()),
                   static_cast<DWORD>(installed.size() + 1));
    RegCloseKey(key);
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\JavaSoft\\JDK", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    RegSetValueExA(key, "CurrentVersion", 0, REG_SZ, reinterpret_cast<const BYTE*>("17.0.1"), 7);
    RegCloseKey(key);

    ChildRun run = runWithoutMessages(requiredEnv("CORVANELL_NOJAVA_LAUNCHER"), environment());
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\JavaSoft");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.out, "Searching for a JVM\n - trying priority hint: (jre) no\n - trying JAVA_HOME: no\n"
                       " - trying JRE_HOME: no\n - trying the registry: yes\n");
    EXPECT_EQ(run.err, "path: " + installed + "\n");
    std::vector<StandinRun> installer = runsOf("javaw.exe");
    ASSERT_EQ(installer.size(), 1u);
    EXPECT_EQ(installer[0].commandLine,
              "\"" + installed + "\\bin\\javaw.exe\" \"-Dorig.dir=" + start + "\" -jar Corvanell.jar");
    EXPECT_EQ(leftInTmp(), std::vector<std::string>());
}

// A splash thread that ends without a window (here: its window class is
// taken) does not hold up the run: it goes on without a splash.
TEST_F(Installation, SplashThreadWithoutAWindowDoesNotHangTheRun)
{
    RunWithMessage outcome = runToMessage(requiredEnv("CORVANELL_TAKEN_CLASS_LAUNCHER"), environment());
    const ChildRun& run = outcome.run;
    EXPECT_EQ(outcome.box.text, "Window Registration Failed!");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.out, "Searching for a JVM\n - trying priority hint: (jre) yes\n");
    EXPECT_EQ(runsOf("javaw.exe").size(), 1u);
    EXPECT_EQ(splashRecord(), "none\n");
    EXPECT_EQ(leftInTmp(), std::vector<std::string>());
}

// TMP and the start folder named with characters the ANSI code page of the
// prefix cannot hold (a Polish letter, a Chinese one, and fullwidth quotes,
// whose nearest fit is a plain double quote). The launcher hands them on in
// their short (8.3) form: the work folder is made under TMP, the run
// succeeds, and the installer's orig.dir names the start folder.
TEST_F(Installation, FoldersNamedOutsideTheAnsiCodePage)
{
    std::wstring base = widen(folder);
    std::wstring wideTmp = base + L"\\Temp \u0141ukasz \u4e2d";
    std::wstring wideStart = base + L"\\Start \u0141ukasz \uff02\u4e2d\uff02";
    ASSERT_TRUE(CreateDirectoryW(wideTmp.c_str(), NULL));
    ASSERT_TRUE(CreateDirectoryW(wideStart.c_str(), NULL));
    bool replaced = false;
    ansiOf(wideTmp, replaced);
    ASSERT_TRUE(replaced) << "the ANSI code page " << GetACP() << " holds the name";
    ansiOf(wideStart, replaced);
    ASSERT_TRUE(replaced) << "the ANSI code page " << GetACP() << " holds the name";

    std::wstring environment = wideEnvironmentWith(
        {L"TMP", L"JAVA_HOME", L"JRE_HOME", L"PATH", L"CORVANELL_STANDIN_RECORD", L"CORVANELL_STANDIN_SPLASH_RECORD",
         L"CORVANELL_STANDIN_JAVAW_EXITCODE", L"CORVANELL_STANDIN_JAVAW_LEAVE"},
        {L"PATH=C:\\windows\\system32;C:\\windows", L"TMP=" + wideTmp,
         L"CORVANELL_STANDIN_RECORD=" + widen(records) + L"\\runs.txt"});
    RunningChild child;
    std::wstring program = widen(launcher);
    ASSERT_TRUE(child.start(program, L"\"" + program + L"\"", wideStart, environment));
    ChildRun run = child.finish(60000);
    EXPECT_TRUE(run.finished) << "the launcher did not end (a message box left open?)";
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.out, "Searching for a JVM\n - trying priority hint: (jre) yes\n");
    EXPECT_EQ(run.err, "");

    std::vector<StandinRun> installer = runsOf("javaw.exe");
    ASSERT_EQ(installer.size(), 1u);
    const std::string& commandLine = installer[0].commandLine;
    const std::string key = "\"-Dorig.dir=";
    std::string::size_type from = commandLine.find(key);
    std::string::size_type to = commandLine.find("\" -jar Corvanell.jar");
    ASSERT_NE(from, std::string::npos) << commandLine;
    ASSERT_NE(to, std::string::npos) << commandLine;
    std::string origDir = commandLine.substr(from + key.size(), to - from - key.size());
    EXPECT_TRUE(sameFolder(widen(origDir), wideStart)) << origDir;
    EXPECT_EQ(origDir.find('"'), std::string::npos) << origDir;

    // The work folder was made in TMP, entered, and removed at the end.
    std::string workFolder = installer[0].currentFolder;
    std::string::size_type cut = workFolder.find_last_of('\\');
    ASSERT_NE(cut, std::string::npos);
    EXPECT_TRUE(isWorkFolderName(workFolder.substr(cut + 1))) << workFolder;
    EXPECT_TRUE(sameFolder(widen(workFolder.substr(0, cut)), wideTmp)) << workFolder;
    EXPECT_FALSE(pathExists(workFolder));
    EXPECT_TRUE(RemoveDirectoryW(wideTmp.c_str())) << "something was left in TMP";
}
