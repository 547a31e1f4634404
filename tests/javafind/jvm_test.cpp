// The JVM record's defaults, version text reading, comparison and copying.
#include "javafind/jvm.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Numbers {
    int major, minor, micro, update;
};

Numbers numbersOf(const JVM& jvm)
{
    return {jvm.getMajor(), jvm.getMinor(), jvm.getMicro(), jvm.getUpdate()};
}

bool operator==(const Numbers& a, const Numbers& b)
{
    return a.major == b.major && a.minor == b.minor && a.micro == b.micro && a.update == b.update;
}

std::ostream& operator<<(std::ostream& out, const Numbers& n)
{
    return out << n.major << "." << n.minor << "." << n.micro << "_" << n.update;
}

JVM parsed(const std::string& text)
{
    JVM jvm;
    jvm.parseVersion(text);
    return jvm;
}

} // namespace

TEST(JVM, DefaultRecord)
{
    JVM jvm;
    EXPECT_EQ(numbersOf(jvm), (Numbers{1, 0, 0, 0}));
    EXPECT_FALSE(jvm.isValid());
    EXPECT_FALSE(jvm.isJdk());
    EXPECT_TRUE(jvm.isJre());
    EXPECT_EQ(jvm.javaExe(), "\\bin\\java.exe");
    EXPECT_EQ(jvm.javawExe(), "\\bin\\javaw.exe");
    EXPECT_EQ(jvm.compare(JVM()), 0);
}

TEST(JVM, ParseVersion)
{
    struct Case {
        const char* text;
        Numbers expected;
    };
    const Case cases[] = {
        {"1.6.0_00", {1, 6, 0, 0}},
        {"1.6.0", {1, 6, 0, 0}},
        {"1.6", {1, 6, 0, 0}},
        {"1.6.0_5", {1, 6, 0, 5}},
        {"1.10.0_05", {1, 10, 0, 5}},
        {"1.6.0_381", {1, 6, 0, 38}},
        {"11.0.2", {1, 0, 2, 0}},
        {"1.6.0_20", {1, 6, 0, 20}},
        {"1.6.0_", {1, 6, 0, 0}},
        {"1.6.1_9x", {1, 6, 1, 9}},
        {"1.10", {1, 10, 0, 0}},
        {"1.10.3", {1, 10, 3, 0}},
        {"1.10.3_", {1, 10, 3, 0}},
        {"1.10.3_7", {1, 10, 3, 7}},
        {"9.0.4", {9, 0, 4, 0}},
        {"1.6.0_-5", {1, 6, 0, -5}},
        {"1.6.0_ 7", {1, 6, 0, 7}},
        {"x.y.z_ab", {0, 0, 0, 0}},
        {"abc", {0, 0, 0, 0}},
        {"1.", {1, 0, 0, 0}},
        {"1", {1, 0, 0, 0}},
        {"", {0, 0, 0, 0}},
        {"1.6.0_00 and a tail of further text", {1, 6, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("text \"") + c.text + "\"");
        EXPECT_EQ(numbersOf(parsed(c.text)), c.expected);
        // Every number is assigned, whatever the record held before.
        JVM reused = parsed("9.9.9_99");
        reused.parseVersion(c.text);
        EXPECT_EQ(numbersOf(reused), c.expected);
    }
}

TEST(JVM, Compare)
{
    struct Case {
        const char* mine;
        const char* theirs;
        int expected;
    };
    const Case cases[] = {
        {"1.6.0_00", "1.6.0", 0},
        {"1.6.0_00", "1.6.0_01", -1},
        {"1.6.0_00", "1.5.0_22", 1},
        {"1.6.0_20", "1.6.0_19", 1},
        {"1.6.1_00", "1.6.0_99", 1},
        {"1.10.0_0", "1.9.9_99", 1},
        {"1.10.0_05", "1.10.0_5", 0},
        {"2.0.0_00", "1.99.9_99", 1},
        {"1.6.0_-1", "1.6.0_00", -1},
        {"9.0.4", "1.21.0_3", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.mine) + " against " + c.theirs);
        JVM mine = parsed(c.mine);
        JVM theirs = parsed(c.theirs);
        EXPECT_EQ(mine.compare(theirs), c.expected);
        EXPECT_EQ(theirs.compare(mine), -c.expected);
        EXPECT_EQ(mine.compare(mine), 0);
    }
}

TEST(JVM, CopyTakesEveryNumber)
{
    JVM original = parsed("1.8.0_38");
    JVM copy(original);
    EXPECT_EQ(numbersOf(copy), (Numbers{1, 8, 0, 38}));
    EXPECT_EQ(copy.compare(original), 0);
    EXPECT_EQ(copy.isValid(), original.isValid());
    EXPECT_EQ(copy.isJdk(), original.isJdk());
    EXPECT_EQ(copy.javaExe(), original.javaExe());

    JVM assigned;
    assigned = original;
    EXPECT_EQ(numbersOf(assigned), (Numbers{1, 8, 0, 38}));
    // The copy is independent of its source.
    assigned.parseVersion("1.4.2_19");
    EXPECT_EQ(numbersOf(original), (Numbers{1, 8, 0, 38}));
    EXPECT_EQ(original.compare(assigned), 1);
}
