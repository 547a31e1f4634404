// The Java search, run for real in a process of its own (find_jvm_driver)
// with its own environment, against homes made of the stand-in runtime, the
// prefix's real registry and the where.exe of the prefix's system folder
// (the test fixture, which records its runs like the stand-ins).
#include "support/java_home.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char* const opening = "Searching for a JVM\n";
const char* const priorityHeading = " - trying priority hint: ";
const char* const javaHomeHeading = " - trying JAVA_HOME: ";
const char* const jreHomeHeading = " - trying JRE_HOME: ";
const char* const registryHeading = " - trying the registry: ";
const char* const hintHeading = " - trying hint: ";
const char* const pathHeading =
    " - Looking on PATH (possibly yielding a pseudo, but passable, JAVA_HOME such as /usr): ";
const char* const runtimeKey = "SOFTWARE\\JavaSoft\\Java Runtime Environment";
const char* const kitKey = "SOFTWARE\\JavaSoft\\Java Development Kit";
const char* const newRuntimeKey = "SOFTWARE\\JavaSoft\\JRE";
const char* const newKitKey = "SOFTWARE\\JavaSoft\\JDK";

// What a real runtime prints for -version, three lines.
std::string versionOutput(const std::string& version)
{
    return withCrLf("java version \"" + version + "\"\nJava(TM) SE Runtime Environment (build " + version
                    + "-b08)\nJava HotSpot(TM) Client VM (build 25.202-b08, mixed mode)\n");
}

// One argument as the C run-time's command-line parser reads it back.
std::string quoteArgument(const std::string& text)
{
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (char c : text) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + "\"";
}

struct SearchArguments {
    bool checkVersion = true;
    std::string minimum = "1.6.0_00";
    bool requireJre = false;
    bool requireJdk = false;
    std::string priorityHint;
    std::string hint;
    bool verbose = true;
};

struct SearchEnvironment {
    std::optional<std::string> javaHome;
    std::optional<std::string> jreHome;
    std::vector<std::string> pathFolders;   // in front of the system folders
    std::optional<std::string> comspec;     // names another command interpreter
    std::vector<std::string> more;          // further variables, NAME=value
};

struct Outcome {
    ChildRun run;
    std::map<std::string, std::string> result;
    std::vector<StandinRun> probes;   // runs of java.exe
    std::vector<StandinRun> lookups;  // runs of where.exe
    bool found() const { return result.count("found") && result.at("found") == "1"; }
};

// The registry view of the search's own kind (the test program is of the
// same kind as the driver), and the other one.
const REGSAM ownView = 0;
#ifdef _WIN64
const REGSAM otherView = KEY_WOW64_32KEY;
#else
const REGSAM otherView = KEY_WOW64_64KEY;
#endif

// True where the registry has two views: a 64-bit program, or a 32-bit one
// on 64-bit Windows.
bool registryHasTwoViews()
{
#ifdef _WIN64
    return true;
#else
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
#endif
}

class Registry {
public:
    Registry() { clear(); }
    ~Registry() { clear(); }

    static void clear()
    {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\JavaSoft");
        HKEY software = NULL;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_ALL_ACCESS | otherView, &software) == ERROR_SUCCESS) {
            RegDeleteTreeA(software, "JavaSoft");
            RegCloseKey(software);
        }
    }

    // Creates key\subkey in a view with the value valueName holding bytes of
    // the given type (no value when bytes is none).
    static void set(const std::string& key, const std::string& subkey, const char* valueName,
                    std::optional<std::string> bytes, DWORD type = REG_SZ, REGSAM view = ownView)
    {
        HKEY created = NULL;
        std::string path = key + (subkey.empty() ? "" : "\\" + subkey);
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, NULL, 0, KEY_ALL_ACCESS | view, NULL, &created,
                                  NULL),
                  ERROR_SUCCESS);
        if (bytes) {
            EXPECT_EQ(RegSetValueExA(created, valueName, 0, type, reinterpret_cast<const BYTE*>(bytes->data()),
                                     static_cast<DWORD>(bytes->size())),
                      ERROR_SUCCESS);
        }
        RegCloseKey(created);
    }

    // Creates key\subkey with "JavaHome" holding bytes of the given type
    // (no value when bytes is none).
    static void add(const char* key, const std::string& subkey, std::optional<std::string> bytes,
                    DWORD type = REG_SZ)
    {
        set(key, subkey, "JavaHome", bytes, type);
    }

    // A "JavaHome" text with its terminating zero, as REG_SZ values hold it.
    static void addHome(const char* key, const std::string& subkey, const std::string& home, REGSAM view = ownView)
    {
        set(key, subkey, "JavaHome", home + std::string(1, '\0'), REG_SZ, view);
    }
};

class Search : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = scratchFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        record = folder + "\\probes.txt";
    }

    // A home with a stand-in java.exe printing version, optionally a javac.exe.
    std::string home(const std::string& name, const std::string& version, bool withJavac = false)
    {
        std::string path = folder + "\\" + name;
        EXPECT_TRUE(makeJavaHome(path, versionOutput(version), "0", withJavac));
        return path;
    }

    // The search's own environment: the test's, with the variables it reads
    // set as the case says.
    std::string searchEnvironment(const SearchEnvironment& environment) const
    {
        std::vector<std::string> variables;
        if (environment.javaHome)
            variables.push_back("JAVA_HOME=" + *environment.javaHome);
        if (environment.jreHome)
            variables.push_back("JRE_HOME=" + *environment.jreHome);
        std::string path;
        for (const std::string& entry : environment.pathFolders)
            path += entry + ";";
        variables.push_back("PATH=" + path + "C:\\windows\\system32;C:\\windows");
        variables.push_back("COMSPEC=" + environment.comspec.value_or("C:\\windows\\system32\\cmd.exe"));
        variables.push_back("CORVANELL_STANDIN_RECORD=" + record);
        variables.insert(variables.end(), environment.more.begin(), environment.more.end());

        return environmentWith({"JAVA_HOME", "JRE_HOME", "PATH", "COMSPEC", "CORVANELL_STANDIN_RECORD"}, variables);
    }

    Outcome search(const SearchArguments& arguments, const SearchEnvironment& environment = SearchEnvironment(),
                   const std::string& where = std::string())
    {
        std::string block = searchEnvironment(environment);

        std::string summary = folder + "\\summary.txt";
        DeleteFileA(summary.c_str());
        DeleteFileA(record.c_str());
        std::string line = quoteArgument(requiredEnv("CORVANELL_FIND_JVM_DRIVER")) + " " + quoteArgument(summary)
            + " " + (arguments.checkVersion ? "1" : "0") + " " + quoteArgument(arguments.minimum) + " "
            + (arguments.requireJre ? "1" : "0") + " " + (arguments.requireJdk ? "1" : "0") + " "
            + quoteArgument(arguments.priorityHint) + " " + quoteArgument(arguments.hint) + " "
            + (arguments.verbose ? "1" : "0");
        Outcome outcome;
        outcome.run = runChild(line, where.empty() ? folder : where, block);
        EXPECT_TRUE(outcome.run.finished);
        EXPECT_EQ(outcome.run.exitCode, 0u) << outcome.run.err;
        std::istringstream text(readFileOrEmpty(summary));
        for (std::string entry; std::getline(text, entry);)
            outcome.result[entry.substr(0, entry.find('='))] = entry.substr(entry.find('=') + 1);
        for (const StandinRun& run : standinRuns(record)) {
            if (run.program == "where.exe")
                outcome.lookups.push_back(run);
            else
                outcome.probes.push_back(run);
        }
        return outcome;
    }

    std::string folder;
    std::string record;
};

std::string tried(const std::string& heading, const std::string& value, bool yes)
{
    return heading + (value.empty() ? "" : "(" + value + ") ") + (yes ? "yes\n" : "no\n");
}

SearchArguments verboseWithHints(const std::string& priorityHint, const std::string& hint)
{
    SearchArguments arguments;
    arguments.priorityHint = priorityHint;
    arguments.hint = hint;
    return arguments;
}

} // namespace

TEST_F(Search, NothingAnywhereGivesSixNoesAndFalse)
{
    Registry registry;
    Outcome outcome = search(SearchArguments());
    EXPECT_EQ(outcome.run.out, std::string(opening) + priorityHeading + "no\n" + javaHomeHeading + "no\n"
                                   + jreHomeHeading + "no\n" + registryHeading + "no\n" + hintHeading + "no\n"
                                   + pathHeading + "no\n");
    EXPECT_EQ(outcome.run.err, "");
    EXPECT_FALSE(outcome.found());
    // No candidate at all: the record is as it was made.
    EXPECT_EQ(outcome.result["home"], "");
    EXPECT_EQ(outcome.result["version"], "1.0.0_0");
    EXPECT_EQ(outcome.result["valid"], "0");
    EXPECT_TRUE(outcome.probes.empty());

    SearchArguments quiet;
    quiet.verbose = false;
    outcome = search(quiet);
    EXPECT_EQ(outcome.run.out, "");
    EXPECT_EQ(outcome.run.err, "");
    EXPECT_FALSE(outcome.found());
}

// Each source alone holds an acceptable runtime, and every later source holds
// one too: after the "yes" nothing more is probed or written.
TEST_F(Search, EachSourceAloneAcceptsAndEndsTheSearch)
{
    Registry registry;
    std::string accepted = home("accepted", "1.8.0_202");
    std::string later = home("later", "1.8.0_202");
    std::string pathHome = home("onpath", "1.8.0_202");

    struct Case {
        const char* source;
        SearchArguments arguments;
        SearchEnvironment environment;
        bool registry;
        std::string expectedOut;
    };
    SearchEnvironment onlyPath;
    onlyPath.pathFolders = {pathHome + "\\bin"};
    SearchEnvironment javaHome = onlyPath;
    javaHome.javaHome = accepted;
    javaHome.jreHome = later;
    SearchEnvironment jreHome = onlyPath;
    jreHome.jreHome = accepted;

    const std::vector<Case> cases = {
        {"priority hint", verboseWithHints(accepted, later), javaHome, true,
         std::string(opening) + tried(priorityHeading, accepted, true)},
        {"JAVA_HOME", verboseWithHints("", later), javaHome, true,
         std::string(opening) + tried(priorityHeading, "", false) + tried(javaHomeHeading, accepted, true)},
        {"JRE_HOME", verboseWithHints("", later), jreHome, true,
         std::string(opening) + tried(priorityHeading, "", false) + tried(javaHomeHeading, "", false)
             + tried(jreHomeHeading, accepted, true)},
        {"registry", verboseWithHints("", later), onlyPath, true,
         std::string(opening) + tried(priorityHeading, "", false) + tried(javaHomeHeading, "", false)
             + tried(jreHomeHeading, "", false) + registryHeading + "yes\n"},
        {"hint", verboseWithHints("", accepted), onlyPath, false,
         std::string(opening) + tried(priorityHeading, "", false) + tried(javaHomeHeading, "", false)
             + tried(jreHomeHeading, "", false) + tried(registryHeading, "", false) + tried(hintHeading, accepted, true)},
        {"PATH", SearchArguments(), onlyPath, false,
         std::string(opening) + tried(priorityHeading, "", false) + tried(javaHomeHeading, "", false)
             + tried(jreHomeHeading, "", false) + tried(registryHeading, "", false) + tried(hintHeading, "", false)
             + tried(pathHeading, pathHome, true)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        Registry::clear();
        if (c.registry)
            Registry::addHome(runtimeKey, "1.8.0_202", accepted);
        Outcome outcome = search(c.arguments, c.environment);
        EXPECT_TRUE(outcome.found());
        EXPECT_EQ(outcome.run.out, c.expectedOut);
        EXPECT_EQ(outcome.run.err, c.registry && std::string(c.source) == "registry" ? "path: " + accepted + "\n" : "");
        std::string expectedHome = std::string(c.source) == "PATH" ? pathHome : accepted;
        EXPECT_EQ(outcome.result["home"], expectedHome);
        ASSERT_EQ(outcome.probes.size(), 1u) << "only the accepted home is probed";
        EXPECT_NE(outcome.probes[0].commandLine.find(expectedHome + "\\bin\\java.exe"), std::string::npos)
            << outcome.probes[0].commandLine;
    }
}

// Every source holds a candidate that is turned down, until PATH: the whole
// trace on both streams.
TEST_F(Search, TraceThroughEverySource)
{
    Registry registry;
    std::string old = home("old", "1.5.0_22");
    std::string missing = folder + "\\nothing here";
    std::string pathHome = home("onpath", "1.6.0_00");
    Registry::addHome(kitKey, "1.5.0_22", old);

    SearchEnvironment environment;
    environment.javaHome = old;
    environment.jreHome = missing;
    environment.pathFolders = {pathHome + "\\bin"};
    Outcome outcome = search(verboseWithHints("jre", missing), environment);
    EXPECT_EQ(outcome.run.out, std::string(opening) + tried(priorityHeading, "jre", false)
                                   + tried(javaHomeHeading, old, false) + tried(jreHomeHeading, missing, false)
                                   + registryHeading + "no\n" + tried(hintHeading, missing, false)
                                   + tried(pathHeading, pathHome, true));
    EXPECT_EQ(outcome.run.err, "path: " + old + "\\jre\n");
    EXPECT_TRUE(outcome.found());
    EXPECT_EQ(outcome.result["home"], pathHome);
    EXPECT_EQ(outcome.result["version"], "1.6.0_0");
}

TEST_F(Search, AcceptanceRule)
{
    Registry registry;
    std::string runtime = home("runtime", "1.6.0_45");
    std::string kit = home("kit", "1.6.0_45", true);
    struct Case {
        const char* what;
        std::string candidate;
        bool checkVersion;
        std::string minimum;
        bool requireJre;
        bool requireJdk;
        bool accepted;
    };
    const Case cases[] = {
        {"older, version checked", runtime, true, "1.6.0_46", false, false, false},
        {"older, version not checked", runtime, false, "1.6.0_46", false, false, true},
        {"equal", runtime, true, "1.6.0_45", false, false, true},
        {"newer", runtime, true, "1.5.0_99", false, false, true},
        {"older by the minor number", runtime, true, "1.7.0_00", false, false, false},
        {"runtime, a runtime required", runtime, true, "1.6.0_00", true, false, true},
        {"kit, a runtime required", kit, true, "1.6.0_00", true, false, false},
        {"kit, a kit required", kit, true, "1.6.0_00", false, true, true},
        {"runtime, a kit required", runtime, true, "1.6.0_00", false, true, false},
        {"both kinds required, runtime", runtime, true, "1.6.0_00", true, true, false},
        {"both kinds required, kit", kit, false, "1.6.0_00", true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SearchArguments arguments = verboseWithHints(c.candidate, "");
        arguments.checkVersion = c.checkVersion;
        arguments.minimum = c.minimum;
        arguments.requireJre = c.requireJre;
        arguments.requireJdk = c.requireJdk;
        Outcome outcome = search(arguments);
        EXPECT_EQ(outcome.found(), c.accepted);
        EXPECT_EQ(outcome.run.out.substr(0, strlen(opening) + strlen(priorityHeading) + c.candidate.size() + 3
                                                + (c.accepted ? 4 : 3)),
                  std::string(opening) + tried(priorityHeading, c.candidate, c.accepted));
        // A candidate turned down for its kind is still left in the record.
        EXPECT_EQ(outcome.result["valid"], "1");
    }
}

TEST_F(Search, KitRequiredMovesOnFromARuntimeWithoutJavac)
{
    Registry registry;
    std::string runtime = home("runtime", "1.8.0_202");
    std::string kit = home("kit", "1.8.0_202", true);
    SearchEnvironment environment;
    environment.javaHome = runtime;
    environment.jreHome = kit;
    SearchArguments arguments;
    arguments.requireJdk = true;
    Outcome outcome = search(arguments, environment);
    EXPECT_TRUE(outcome.found());
    EXPECT_EQ(outcome.run.out, std::string(opening) + tried(priorityHeading, "", false)
                                   + tried(javaHomeHeading, runtime, false) + tried(jreHomeHeading, kit, true));
    EXPECT_EQ(outcome.result["home"], kit);
    EXPECT_EQ(outcome.result["jdk"], "1");
}

// The registry: which key decides, which subkey, and what "JavaHome" gives.
TEST_F(Search, RegistryKeysAndValues)
{
    Registry registry;
    std::string runtime = home("runtime", "1.8.0_202");
    std::string kitJre = home("kit\\jre", "1.8.0_202");
    std::string kit = folder + "\\kit";

    struct Case {
        const char* what;
        void (*fill)(const std::string& runtime, const std::string& kit);
        std::string expectedErr;   // the path line, or nothing
        bool accepted;
    };
    const std::vector<Case> cases = {
        {"both keys with subkeys: the kit wins, with \\jre",
         [](const std::string& r, const std::string& k) {
             Registry::addHome(runtimeKey, "1.8.0_202", r);
             Registry::addHome(kitKey, "1.8.0_202", k);
         },
         "path: " + kitJre + "\n", true},
        {"only the runtime key: its last subkey, no suffix",
         [](const std::string& r, const std::string&) {
             Registry::addHome(runtimeKey, "1.9.0", r);        // last in enumeration order
             Registry::addHome(runtimeKey, "1.10.0", "C:\\nowhere\\ten");
             Registry::addHome(runtimeKey, "1.1.0", "C:\\nowhere\\one");
         },
         "path: " + runtime + "\n", true},
        {"kit key without subkeys beside runtime subkeys: no candidate",
         [](const std::string& r, const std::string&) {
             Registry::addHome(runtimeKey, "1.8.0_202", r);
             Registry::add(kitKey, "", std::nullopt);
         },
         "", false},
        {"subkey without JavaHome: no candidate",
         [](const std::string&, const std::string&) { Registry::add(runtimeKey, "1.8.0_202", std::nullopt); }, "",
         false},
        {"JavaHome as a DWORD: its bytes up to the first zero",
         [](const std::string&, const std::string&) {
             Registry::add(runtimeKey, "1.8.0_202", std::string("DCBA", 4), REG_DWORD);
         },
         "path: DCBA\n", false},
        {"JavaHome without a terminating zero, shorter than the area",
         [](const std::string& r, const std::string&) { Registry::add(runtimeKey, "1.8.0_202", r, REG_BINARY); },
         "path: " + runtime + "\n", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Registry::clear();
        c.fill(runtime, kit);
        Outcome outcome = search(SearchArguments());
        EXPECT_EQ(outcome.run.err, c.expectedErr);
        std::string expected = std::string(opening) + tried(priorityHeading, "", false)
            + tried(javaHomeHeading, "", false) + tried(jreHomeHeading, "", false) + registryHeading
            + (c.accepted ? "yes\n" : "no\n");
        if (!c.accepted)
            expected += tried(hintHeading, "", false) + tried(pathHeading, "", false);
        EXPECT_EQ(outcome.run.out, expected);
        EXPECT_EQ(outcome.found(), c.accepted);
    }
}

// "JavaHome" at the edge of the 1024-byte area it is read into.
TEST_F(Search, RegistryValueAtTheEdgeOfItsArea)
{
    Registry registry;
    struct Case {
        const char* what;
        const char* key;
        std::string bytes;
        bool candidate;
        std::string home;
    };
    const std::string text1022 = "C:\\" + std::string(1019, 'a');
    const std::string text1023 = "C:\\" + std::string(1020, 'b');
    const std::string text1024 = "C:\\" + std::string(1021, 'c');
    const std::string text1020 = "C:\\" + std::string(1017, 'd');
    const std::string text1019 = "C:\\" + std::string(1016, 'e');
    const std::vector<Case> cases = {
        {"1,023 bytes with its zero", runtimeKey, text1022 + '\0', true, text1022},
        {"1,024 bytes with its zero", runtimeKey, text1023 + '\0', true, text1023},
        {"1,024 bytes, no zero", runtimeKey, text1024, false, ""},
        {"1,025 bytes: too long to read", runtimeKey, text1024 + '\0', false, ""},
        {"kit, 1,019 characters and \\jre fit", kitKey, text1019 + '\0', true, text1019 + "\\jre"},
        {"kit, 1,020 characters and \\jre do not fit", kitKey, text1020 + '\0', false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Registry::clear();
        Registry::add(c.key, "1.8.0_202", c.bytes, REG_SZ);
        SearchArguments quiet;
        Outcome outcome = search(quiet);
        EXPECT_EQ(outcome.run.err, c.candidate ? "path: " + c.home + "\n" : "");
        EXPECT_FALSE(outcome.found());
        if (c.candidate)
            EXPECT_EQ(outcome.result["home"], c.home);
        else
            EXPECT_EQ(outcome.result["home"], "");
    }
}

TEST_F(Search, PathFirstLineOnly)
{
    Registry registry;
    std::string first = home("first", "1.5.0_22");   // too old, and only this one is probed
    std::string second = home("second", "1.8.0_202");
    SearchEnvironment environment;
    environment.pathFolders = {first + "\\bin", second + "\\bin"};
    Outcome outcome = search(SearchArguments(), environment);
    EXPECT_FALSE(outcome.found());
    EXPECT_NE(outcome.run.out.find(tried(pathHeading, first, false)), std::string::npos) << outcome.run.out;
    ASSERT_EQ(outcome.probes.size(), 1u);
    EXPECT_EQ(outcome.result["home"], first);
    EXPECT_EQ(outcome.result["version"], "1.5.0_22");
}

TEST_F(Search, PathJavaInADriveRootGivesNoCandidate)
{
    Registry registry;
    // C:\java.exe: the first cut leaves "C:", the second finds no backslash.
    ASSERT_TRUE(CopyFileA(standinJava().c_str(), "C:\\java.exe", FALSE));
    SearchEnvironment environment;
    environment.pathFolders = {"C:\\"};
    Outcome outcome = search(SearchArguments(), environment);
    DeleteFileA("C:\\java.exe");
    EXPECT_FALSE(outcome.found());
    EXPECT_EQ(outcome.run.out.substr(outcome.run.out.size() - strlen(pathHeading) - 3),
              std::string(pathHeading) + "no\n");
    EXPECT_TRUE(outcome.probes.empty());
}

// The probe and the lookup are the programs themselves, started by the
// search with no command interpreter between and without a console window.
TEST_F(Search, ProbeAndLookupRunWithoutInterpreterOrConsoleWindow)
{
    Registry registry;
    std::string pathHome = home("onpath", "1.8.0_202");
    SearchEnvironment environment;
    environment.pathFolders = {pathHome + "\\bin"};
    // An interpreter that would leave its mark if it ever ran.
    std::string sentinel = folder + "\\interpreter.exe";
    ASSERT_TRUE(CopyFileA(requiredEnv("CORVANELL_SENTINEL").c_str(), sentinel.c_str(), FALSE));
    environment.comspec = sentinel;
    Outcome outcome = search(SearchArguments(), environment);
    EXPECT_TRUE(outcome.found());
    EXPECT_FALSE(pathExists(sentinel + ".ran"));
    ASSERT_EQ(outcome.lookups.size(), 1u);
    EXPECT_EQ(outcome.lookups[0].commandLine, "\"C:\\windows\\system32\\where.exe\" java");
    ASSERT_EQ(outcome.probes.size(), 1u);
    EXPECT_EQ(outcome.probes[0].commandLine, "\"" + pathHome + "\\bin\\java.exe\" -version");
    for (const StandinRun& run : {outcome.lookups[0], outcome.probes[0]}) {
        SCOPED_TRACE(run.program);
        EXPECT_EQ(run.parent, "find_jvm_driver.exe");
        EXPECT_EQ(run.console, "no console window");
    }
}

// What a command interpreter would have read in a home (variables, command
// separators) are plain characters of the folder's name.
TEST_F(Search, HomeIsTakenLiterally)
{
    Registry registry;
    for (const char* name : {"%CORVANELL_ELSEWHERE%", "a&b", "x^y"}) {
        SCOPED_TRACE(name);
        std::string literal = home(name, "1.8.0_202");
        std::string elsewhere = home(std::string("elsewhere") + name[0], "1.8.0_202");
        SearchEnvironment environment;
        environment.javaHome = literal;
        environment.more = {"CORVANELL_ELSEWHERE=" + elsewhere};
        Outcome outcome = search(SearchArguments(), environment);
        EXPECT_TRUE(outcome.found());
        EXPECT_EQ(outcome.result["home"], literal);
        ASSERT_EQ(outcome.probes.size(), 1u);
        EXPECT_EQ(outcome.probes[0].commandLine, "\"" + literal + "\\bin\\java.exe\" -version");
    }
}

// A variable that is defined but empty names no home: \bin\java.exe at the
// root of the current drive is never run.
TEST_F(Search, EmptyEnvironmentVariableIsNotProbed)
{
    Registry registry;
    ASSERT_TRUE(makeFolders("C:\\bin"));
    ASSERT_TRUE(CopyFileA(requiredEnv("CORVANELL_SENTINEL").c_str(), "C:\\bin\\java.exe", FALSE));
    std::string started = "C:\\corvanell-empty-home";
    ASSERT_TRUE(makeFolders(started));
    SearchEnvironment environment;
    environment.javaHome = "";
    environment.jreHome = "";
    Outcome outcome = search(SearchArguments(), environment, started);
    bool ran = pathExists("C:\\bin\\java.exe.ran");
    DeleteFileA("C:\\bin\\java.exe.ran");
    DeleteFileA("C:\\bin\\java.exe");
    RemoveDirectoryA("C:\\bin");
    RemoveDirectoryA(started.c_str());
    EXPECT_FALSE(ran);
    EXPECT_FALSE(outcome.found());
    EXPECT_EQ(outcome.run.out, std::string(opening) + tried(priorityHeading, "", false) + javaHomeHeading + "() no\n"
                                   + jreHomeHeading + "() no\n" + tried(registryHeading, "", false)
                                   + tried(hintHeading, "", false) + tried(pathHeading, "", false));
    EXPECT_TRUE(outcome.probes.empty());
}

// A runtime whose java.exe never ends is ended after a minute; its source
// says "no" and the search goes on.
TEST_F(Search, RuntimeThatNeverEndsIsEndedAndTheSearchGoesOn)
{
    Registry registry;
    std::string broken = home("broken", "1.8.0_202");
    ASSERT_TRUE(writeFileBytes(broken + "\\bin\\java-hangs.txt", ""));
    std::string good = home("good", "1.8.0_202");
    SearchEnvironment environment;
    environment.javaHome = broken;
    environment.jreHome = good;
    Outcome outcome = search(SearchArguments(), environment);
    EXPECT_TRUE(outcome.found());
    EXPECT_EQ(outcome.run.out, std::string(opening) + tried(priorityHeading, "", false)
                                   + tried(javaHomeHeading, broken, false) + tried(jreHomeHeading, good, true));
    EXPECT_EQ(outcome.result["home"], good);
    EXPECT_EQ(outcome.probes.size(), 2u);
}

// The lookup cannot be started (the system folder's where.exe is gone for
// the while): the two failure lines, also with verbose false.
TEST_F(Search, PathCommandThatCannotStartReportsAlsoWhenQuiet)
{
    Registry registry;
    const std::string failure =
        "Failed to run the command to locate 'java' on PATH\nCommand run was: where java 2>nul\n";
    const std::string where = "C:\\windows\\system32\\where.exe";
    const std::string away = where + ".away";
    ASSERT_TRUE(MoveFileA(where.c_str(), away.c_str()));
    std::vector<Outcome> outcomes;
    for (bool verbose : {false, true}) {
        SearchArguments arguments;
        arguments.verbose = verbose;
        outcomes.push_back(search(arguments));
    }
    ASSERT_TRUE(MoveFileA(away.c_str(), where.c_str()));
    for (bool verbose : {false, true}) {
        SCOPED_TRACE(verbose);
        const Outcome& outcome = outcomes[verbose ? 1 : 0];
        EXPECT_FALSE(outcome.found());
        EXPECT_EQ(outcome.run.err, failure);
        EXPECT_EQ(outcome.run.out, verbose ? std::string(opening) + tried(priorityHeading, "", false)
                                                 + tried(javaHomeHeading, "", false) + tried(jreHomeHeading, "", false)
                                                 + tried(registryHeading, "", false) + tried(hintHeading, "", false)
                                                 + pathHeading + "no\n"
                                           : std::string());
        EXPECT_TRUE(outcome.lookups.empty());
    }
}

// The record after the search is the accepted candidate as its probe left
// it, also when an invalid one was probed before and when the same runtime
// is reachable twice.
TEST_F(Search, ResultIsTheAcceptedCandidate)
{
    Registry registry;
    std::string kit = home("kit", "1.7.0_80", true);
    std::string broken = folder + "\\broken";
    ASSERT_TRUE(makeJavaHome(broken, "Error: could not open jvm.cfg\r\n", "1"));

    SearchEnvironment environment;
    environment.javaHome = broken;
    environment.jreHome = kit;
    Outcome outcome = search(verboseWithHints("", kit), environment);
    EXPECT_TRUE(outcome.found());
    EXPECT_EQ(outcome.result["home"], kit);
    EXPECT_EQ(outcome.result["valid"], "1");
    EXPECT_EQ(outcome.result["jdk"], "1");
    EXPECT_EQ(outcome.result["version"], "1.7.0_80");
    EXPECT_EQ(outcome.probes.size(), 2u);

    // The same runtime through JAVA_HOME and PATH, too old at first sight.
    SearchEnvironment twice;
    twice.javaHome = kit;
    twice.pathFolders = {kit + "\\bin"};
    SearchArguments arguments;
    arguments.minimum = "1.8.0_00";
    outcome = search(arguments, twice);
    EXPECT_FALSE(outcome.found());
    EXPECT_EQ(outcome.probes.size(), 2u);
    EXPECT_EQ(outcome.result["home"], kit);
    EXPECT_EQ(outcome.result["valid"], "1");
}

TEST_F(Search, RelativePriorityHintResolvesAgainstTheCurrentFolder)
{
    Registry registry;
    home("jre", "1.6.0_00");
    Outcome outcome = search(verboseWithHints("jre", ""));
    EXPECT_TRUE(outcome.found());
    EXPECT_EQ(outcome.run.out, std::string(opening) + tried(priorityHeading, "jre", true));
    EXPECT_EQ(outcome.result["home"], "jre");
}

// Beyond the keys of Java 8 and older in the search's own view: the same keys
// in the other view, and the keys of Java 9 and newer in both, tried only
// when the old keys give nothing acceptable, within the registry source.
TEST_F(Search, RegistryKeysOfNewerRuntimesAndTheOtherView)
{
    Registry registry;
    std::string seventeen = home("jdk-17", "17.0.1");
    std::string newest = home("jdk-21", "21.0.3");
    std::string old = home("jre1.5", "1.5.0_22");
    std::string good = home("jre1.8", "1.8.0_202");
    struct Case {
        const char* what;
        void (*fill)(const std::string& seventeen, const std::string& newest, const std::string& old,
                     const std::string& good);
        std::string expectedErr;   // the path lines
        std::string home;          // accepted, or empty for none
        size_t probes;
        bool needsTwoViews;
    };
    const std::vector<Case> cases = {
        {"JRE key with CurrentVersion 17: the subkey it names, not the last one",
         [](const std::string& a, const std::string& b, const std::string&, const std::string&) {
             Registry::addHome(newRuntimeKey, "17", a);
             Registry::addHome(newRuntimeKey, "21", b);
             Registry::set(newRuntimeKey, "", "CurrentVersion", std::string("17", 3));
         },
         "path: " + seventeen + "\n", seventeen, 1, false},
        {"JDK key without CurrentVersion: its last subkey, no \\jre",
         [](const std::string& a, const std::string& b, const std::string&, const std::string&) {
             Registry::addHome(newKitKey, "17.0.1", a);
             Registry::addHome(newKitKey, "21.0.3", b);
         },
         "path: " + newest + "\n", newest, 1, false},
        {"CurrentVersion naming a missing subkey: the last one",
         [](const std::string& a, const std::string&, const std::string&, const std::string&) {
             Registry::addHome(newRuntimeKey, "17", a);
             Registry::set(newRuntimeKey, "", "CurrentVersion", std::string("99", 3));
         },
         "path: " + seventeen + "\n", seventeen, 1, false},
        {"a runtime in the other view only",
         [](const std::string&, const std::string&, const std::string&, const std::string& g) {
             Registry::addHome(runtimeKey, "1.8.0_202", g, otherView);
         },
         "path: " + good + "\n", good, 1, true},
        {"old keys too old, a new key good: both path lines",
         [](const std::string& a, const std::string&, const std::string& o, const std::string&) {
             Registry::addHome(runtimeKey, "1.5.0_22", o);
             Registry::addHome(newRuntimeKey, "17", a);
         },
         "path: " + old + "\npath: " + seventeen + "\n", seventeen, 2, false},
        {"old keys good: nothing more is read",
         [](const std::string& a, const std::string&, const std::string&, const std::string& g) {
             Registry::addHome(runtimeKey, "1.8.0_202", g);
             Registry::addHome(runtimeKey, "1.8.0_202", a, otherView);
             Registry::addHome(newRuntimeKey, "17", a);
         },
         "path: " + good + "\n", good, 1, false},
        {"the same home in both views and layouts is probed once",
         [](const std::string&, const std::string&, const std::string& o, const std::string&) {
             Registry::addHome(runtimeKey, "1.5.0_22", o);
             Registry::addHome(runtimeKey, "1.5.0_22", o, otherView);
             Registry::addHome(newRuntimeKey, "1.5", o);
         },
         "path: " + old + "\n", "", 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.needsTwoViews && !registryHasTwoViews())
            continue;   // one registry: there is no other view to hold it
        Registry::clear();
        c.fill(seventeen, newest, old, good);
        Outcome outcome = search(SearchArguments());
        EXPECT_EQ(outcome.run.err, c.expectedErr);
        std::string expected = std::string(opening) + tried(priorityHeading, "", false)
            + tried(javaHomeHeading, "", false) + tried(jreHomeHeading, "", false) + registryHeading
            + (c.home.empty() ? "no\n" : "yes\n");
        if (c.home.empty())
            expected += tried(hintHeading, "", false) + tried(pathHeading, "", false);
        EXPECT_EQ(outcome.run.out, expected);
        EXPECT_EQ(outcome.found(), !c.home.empty());
        if (!c.home.empty()) {
            EXPECT_EQ(outcome.result["home"], c.home);
        }
        EXPECT_EQ(outcome.probes.size(), c.probes);
    }

    // The silent second search sees the same: an old runtime found only in a
    // new key makes it true without a version check.
    Registry::clear();
    Registry::addHome(newKitKey, "1.5", old);
    SearchArguments quiet;
    quiet.checkVersion = false;
    quiet.verbose = false;
    Outcome outcome = search(quiet);
    EXPECT_TRUE(outcome.found());
    EXPECT_EQ(outcome.result["home"], old);
    EXPECT_EQ(outcome.run.out, "");
    EXPECT_EQ(outcome.run.err, "");
}
