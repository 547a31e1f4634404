// The probe: setHome on home folders built from the stand-in programs, each
// java.exe run for real through the command interpreter.
#include "javafind/jvm.h"

#include "support/java_home.h"
#include "support/test_support.h"
#include "version_examples.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string testName()
{
    return ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

void expectNumbers(const JVM& jvm, int major, int minor, int micro, int update)
{
    EXPECT_EQ(jvm.getMajor(), major);
    EXPECT_EQ(jvm.getMinor(), minor);
    EXPECT_EQ(jvm.getMicro(), micro);
    EXPECT_EQ(jvm.getUpdate(), update);
}

// The runs of the java.exe in home, as it recorded them.
std::vector<StandinRun> javaRuns(const std::string& home)
{
    return standinRuns(home + "\\bin\\standin-runs.txt");
}

// The probe ran home's java.exe once, with -version.
void expectProbedOnce(const std::string& home)
{
    std::vector<StandinRun> runs = javaRuns(home);
    ASSERT_EQ(runs.size(), 1u);
    std::string expected = "\"" + home + "\\bin\\java.exe\" -version";
    EXPECT_EQ(runs[0].commandLine.substr(0, expected.size()), expected) << runs[0].commandLine;
    EXPECT_EQ(runs[0].commandLine.find_first_not_of(' ', expected.size()), std::string::npos)
        << runs[0].commandLine;
}

} // namespace

TEST(Probe, WorkedExamples)
{
    std::string folder = scratchFolder(testName());
    int row = 0;
    for (const VersionExample& example : versionExamples) {
        SCOPED_TRACE(example.output);
        std::string home = folder + "\\jre" + std::to_string(++row);
        ASSERT_TRUE(makeJavaHome(home, withCrLf(example.output)));
        JVM jvm;
        jvm.setHome(home);
        EXPECT_TRUE(jvm.isValid());
        expectNumbers(jvm, example.major, example.minor, example.micro, example.update);
        EXPECT_FALSE(jvm.isJdk());
        EXPECT_TRUE(jvm.isJre());
        EXPECT_EQ(jvm.javaExe(), home + "\\bin\\java.exe");
        EXPECT_EQ(jvm.javawExe(), home + "\\bin\\javaw.exe");
        expectProbedOnce(home);
    }
}

TEST(Probe, OtherShapes)
{
    std::string folder = scratchFolder(testName());
    int row = 0;
    for (const ShapeExample& example : shapeExamples) {
        SCOPED_TRACE(example.name);
        std::string home = folder + "\\jre" + std::to_string(++row);
        // Written as they are: the bound counts what arrives through the pipe.
        ASSERT_TRUE(makeJavaHome(home, example.output));
        JVM jvm;
        jvm.setHome(home);
        EXPECT_EQ(jvm.isValid(), example.found);
        if (example.found)
            expectNumbers(jvm, example.major, example.minor, example.micro, example.update);
        else
            expectNumbers(jvm, 1, 0, 0, 0);
        expectProbedOnce(home);
    }
}

TEST(Probe, NonZeroExitMakesThePerfectVersionLineInvalid)
{
    std::string folder = scratchFolder(testName());
    for (const char* exitCode : {"1", "2", "-1", "0"}) {
        SCOPED_TRACE(exitCode);
        std::string home = folder + "\\exit" + exitCode;
        ASSERT_TRUE(makeJavaHome(home, withCrLf(versionExamples[0].output), exitCode));
        JVM jvm;
        jvm.setHome(home);
        bool zero = std::string(exitCode) == "0";
        EXPECT_EQ(jvm.isValid(), zero);
        if (zero)
            expectNumbers(jvm, 1, 6, 0, 20);
        else
            expectNumbers(jvm, 1, 0, 0, 0);
    }
}

TEST(Probe, CompilerMarksAKitWhateverTheProbeSays)
{
    std::string folder = scratchFolder(testName());
    struct Case {
        const char* name;
        const char* exitCode;
        bool javac;
        bool valid;
    };
    const Case cases[] = {
        {"kit", "0", true, true},
        {"kit failing", "1", true, false},
        {"runtime", "0", false, true},
        {"runtime failing", "1", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string home = folder + "\\" + c.name;
        ASSERT_TRUE(makeJavaHome(home, withCrLf(versionExamples[1].output), c.exitCode, c.javac));
        JVM jvm;
        jvm.setHome(home);
        EXPECT_EQ(jvm.isValid(), c.valid);
        EXPECT_EQ(jvm.isJdk(), c.javac);
        EXPECT_EQ(jvm.isJre(), !c.javac);
    }

    // A javac.exe with no java.exe beside it, and a folder named javac.exe.
    std::string javacOnly = folder + "\\javac only\\bin";
    ASSERT_TRUE(makeFolders(javacOnly));
    ASSERT_TRUE(CopyFileA(standinJavac().c_str(), (javacOnly + "\\javac.exe").c_str(), FALSE));
    JVM jvm;
    jvm.setHome(folder + "\\javac only");
    EXPECT_FALSE(jvm.isValid());
    EXPECT_TRUE(jvm.isJdk());

    std::string folderKit = folder + "\\folder kit";
    ASSERT_TRUE(makeJavaHome(folderKit, withCrLf(versionExamples[1].output)));
    ASSERT_TRUE(makeFolders(folderKit + "\\bin\\javac.exe"));
    jvm.setHome(folderKit);
    EXPECT_TRUE(jvm.isValid());
    EXPECT_TRUE(jvm.isJdk());
}

TEST(Probe, FailingProbeAfterAGoodOneKeepsTheNumbers)
{
    std::string folder = scratchFolder(testName());
    std::string good = folder + "\\good";
    std::string failing = folder + "\\failing";
    ASSERT_TRUE(makeJavaHome(good, withCrLf(versionExamples[1].output), "0", true));
    ASSERT_TRUE(makeJavaHome(failing, withCrLf(versionExamples[11].output), "1"));

    JVM jvm;
    jvm.setHome(good);
    EXPECT_TRUE(jvm.isValid());
    EXPECT_TRUE(jvm.isJdk());
    expectNumbers(jvm, 1, 8, 0, 38);

    for (const std::string& home : {failing, folder + "\\missing"}) {
        SCOPED_TRACE(home);
        jvm.setHome(home);
        EXPECT_FALSE(jvm.isValid());
        EXPECT_FALSE(jvm.isJdk());
        EXPECT_EQ(jvm.javaExe(), home + "\\bin\\java.exe");
        expectNumbers(jvm, 1, 8, 0, 38);
    }

    // Probing the good one again makes the record valid again.
    jvm.setHome(good);
    EXPECT_TRUE(jvm.isValid());
    EXPECT_EQ(javaRuns(good).size(), 2u);
}

TEST(Probe, ParseVersionLeavesWhatTheProbeFound)
{
    std::string home = scratchFolder(testName()) + "\\jdk";
    ASSERT_TRUE(makeJavaHome(home, withCrLf(versionExamples[0].output), "0", true));
    JVM jvm;
    jvm.setHome(home);
    ASSERT_TRUE(jvm.isValid());
    jvm.parseVersion("1.4");
    expectNumbers(jvm, 1, 4, 0, 0);
    EXPECT_TRUE(jvm.isValid());
    EXPECT_TRUE(jvm.isJdk());
    EXPECT_EQ(jvm.javaExe(), home + "\\bin\\java.exe");

    JVM copy(jvm);
    EXPECT_EQ(copy.compare(jvm), 0);
    EXPECT_TRUE(copy.isValid());
    EXPECT_TRUE(copy.isJdk());
    EXPECT_EQ(copy.javawExe(), home + "\\bin\\javaw.exe");
}

TEST(Probe, HomesOfEveryShapeOfPath)
{
    std::string folder = scratchFolder(testName());
    const char* const names[] = {
        "Program Files\\Java\\jre6",
        "Program Files (x86)\\Java\\jre 1.8.0",
        "a&b",
        "x & y",
        "100%",
        "50% off %",
        "caret^here",
        "with;semicolon,comma",
    };
    for (const char* name : names) {
        SCOPED_TRACE(name);
        std::string home = folder + "\\" + name;
        ASSERT_TRUE(makeJavaHome(home, withCrLf(versionExamples[8].output)));
        JVM jvm;
        jvm.setHome(home);
        EXPECT_TRUE(jvm.isValid());
        expectNumbers(jvm, 1, 11, 0, 2);
        expectProbedOnce(home);
    }
}

TEST(Probe, TrailingBackslashDoublesTheSeparator)
{
    std::string home = scratchFolder(testName()) + "\\jre";
    ASSERT_TRUE(makeJavaHome(home, withCrLf(versionExamples[3].output), "0", true));
    JVM jvm;
    jvm.setHome(home + "\\");
    EXPECT_EQ(jvm.javaExe(), home + "\\\\bin\\java.exe");
    EXPECT_EQ(jvm.javawExe(), home + "\\\\bin\\javaw.exe");
    EXPECT_TRUE(jvm.isValid());
    expectNumbers(jvm, 1, 7, 0, 80);
    EXPECT_TRUE(jvm.isJdk());
}

TEST(Probe, RelativeHomeIsResolvedAgainstTheCurrentFolder)
{
    std::string folder = scratchFolder(testName());
    ASSERT_TRUE(makeJavaHome(folder + "\\work\\jre", withCrLf(versionExamples[2].output), "0", true));
    ASSERT_TRUE(makeJavaHome(folder + "\\jre", withCrLf(versionExamples[0].output)));
    struct Case {
        const char* home;
        bool valid;
        bool jdk;
    };
    const Case cases[] = {
        {"jre", true, true},
        {".\\jre", true, true},
        {"..\\work\\jre", true, true},
        {"..\\jre", true, false},
        {"missing", false, false},
    };
    CurrentFolder here(folder + "\\work");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.home);
        JVM jvm;
        jvm.setHome(c.home);
        EXPECT_EQ(jvm.isValid(), c.valid);
        EXPECT_EQ(jvm.isJdk(), c.jdk);
        EXPECT_EQ(jvm.javaExe(), std::string(c.home) + "\\bin\\java.exe");
    }
    JVM jvm;
    jvm.setHome("jre");
    expectNumbers(jvm, 1, 8, 0, 39);
    jvm.setHome("..\\jre");
    expectNumbers(jvm, 1, 6, 0, 20);
}

TEST(Probe, BadOutputMakesTheRecordInvalid)
{
    std::string folder = scratchFolder(testName());
    std::string binary;
    for (int i = 0; i < 4096; ++i)
        binary += static_cast<char>((i * 7919 + 13) % 256);
    struct Case {
        const char* name;
        std::string output;
    };
    const Case cases[] = {
        {"no version word", "Error occurred during initialization of VM\r\nCould not reserve enough space\r\n"},
        {"binary garbage", binary},
        {"empty", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string home = folder + "\\" + c.name;
        ASSERT_TRUE(makeJavaHome(home, c.output));
        JVM jvm;
        jvm.setHome(home);
        EXPECT_FALSE(jvm.isValid());
        expectNumbers(jvm, 1, 0, 0, 0);
        EXPECT_FALSE(jvm.isJdk());
        expectProbedOnce(home);
    }
}

TEST(Probe, VeryLongHomesAreInvalid)
{
    std::string folder = scratchFolder(testName());
    for (size_t length : {1000u, 5000u}) {
        SCOPED_TRACE(length);
        std::string home = folder;
        while (home.size() < length)
            home += "\\abcdefghijklmnopqrstuvwxyz0123456789";
        home.resize(length);
        JVM jvm;
        jvm.setHome(home);
        EXPECT_FALSE(jvm.isValid());
        EXPECT_FALSE(jvm.isJdk());
        expectNumbers(jvm, 1, 0, 0, 0);
        EXPECT_EQ(jvm.javaExe(), home + "\\bin\\java.exe");
    }
}
