#include "launcher/sequence_text.h"

#include <gtest/gtest.h>

namespace {

// A generator that hands out a fixed run of values.
const int* nextValue = nullptr;
int fixedValues()
{
    return *nextValue++;
}

} // namespace

TEST(SequenceText, OneTrailingBackslashIsRemoved)
{
    EXPECT_EQ(withoutTrailingBackslash("C:\\"), "C:");
    EXPECT_EQ(withoutTrailingBackslash("D:\\Downloads"), "D:\\Downloads");
    EXPECT_EQ(withoutTrailingBackslash("D:\\Downloads\\"), "D:\\Downloads");
    EXPECT_EQ(withoutTrailingBackslash("C:\\\\"), "C:\\");  // only one
    EXPECT_EQ(withoutTrailingBackslash("\\"), "");
    EXPECT_EQ(withoutTrailingBackslash(""), "");
}

TEST(SequenceText, WorkFolderIsTheTemporaryFolderAndFiveLetters)
{
    const int values[] = {0, 25, 26, 32767, 51};
    nextValue = values;
    EXPECT_EQ(workFolderPath("C:\\Temp", fixedValues), "C:\\Temp\\Corvanell-azahz");
    nextValue = values;
    // Nothing is trimmed: a trailing backslash gives two in a row.
    EXPECT_EQ(workFolderPath("C:\\Temp\\", fixedValues), "C:\\Temp\\\\Corvanell-azahz");
}

TEST(SequenceText, InstallerCommandLine)
{
    EXPECT_EQ(installerCommandLine("jre\\bin\\javaw.exe", "D:\\Downloads"),
              "\"jre\\bin\\javaw.exe\" \"-Dorig.dir=D:\\Downloads\" -jar Corvanell.jar");
    EXPECT_EQ(installerCommandLine("C:\\Program Files\\Java\\jre6\\bin\\javaw.exe", "C:"),
              "\"C:\\Program Files\\Java\\jre6\\bin\\javaw.exe\" \"-Dorig.dir=C:\" -jar Corvanell.jar");
}

TEST(SequenceText, JavaNotFoundEndings)
{
    EXPECT_EQ(javaNotFoundText(true),
              "This version of Corvanell requires java 1.6.0_00 or greater, but your java is too old.\n");
    EXPECT_EQ(javaNotFoundText(false), "This version of Corvanell requires java 1.6.0_00 or greater, but java "
                                       "could not be found on your computer.\n");
}
