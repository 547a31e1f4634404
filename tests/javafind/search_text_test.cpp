#include "javafind/search_text.h"

#include <gtest/gtest.h>

TEST(SearchText, ParentDirectoryCutsAtTheLastBackslash)
{
    EXPECT_EQ(parentDirectory("C:\\Java\\bin\\java.exe"), std::optional<std::string>("C:\\Java\\bin"));
    EXPECT_EQ(parentDirectory("C:\\"), std::optional<std::string>("C:"));
    EXPECT_EQ(parentDirectory("\\"), std::optional<std::string>(""));
    EXPECT_EQ(parentDirectory("a\\\\b"), std::optional<std::string>("a\\"));
    EXPECT_EQ(parentDirectory("C:/Java/bin/java.exe"), std::nullopt);  // only backslashes count
    EXPECT_EQ(parentDirectory("java.exe"), std::nullopt);
    EXPECT_EQ(parentDirectory(""), std::nullopt);
    EXPECT_EQ(parentDirectory(nullptr), std::nullopt);
}

TEST(SearchText, HomeFromPathLineIsTwoFoldersUp)
{
    struct Case { const char* line; std::optional<std::string> home; };
    const Case cases[] = {
        {"C:\\Program Files\\Java\\jre6\\bin\\java.exe\n", std::string("C:\\Program Files\\Java\\jre6")},
        {"C:\\jre\\bin\\java.exe", std::string("C:\\jre")},
        {"C:\\bin\\java.exe\n", std::string("C:")},
        {"C:\\java.exe\n", std::nullopt},   // one backslash
        {"java.exe\n", std::nullopt},       // none
        {"\n", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(homeFromPathLine(c.line), c.home) << c.line;
}

TEST(SearchText, VersionKeyPathMustFitItsArea)
{
    const std::string key = "SOFTWARE\\JavaSoft\\Java Runtime Environment";  // 42 characters
    EXPECT_EQ(versionKeyPath(key, "1.8"), std::optional<std::string>(key + "\\1.8"));
    EXPECT_EQ(versionKeyPath(key, std::string(980, 'x'))->size(), 1023u);
    EXPECT_EQ(versionKeyPath(key, std::string(981, 'x')), std::nullopt);
}

TEST(SearchText, RegistryHomeTakesOnlyWhatWasRead)
{
    char area[registryTextRoom] = {};
    memcpy(area, "C:\\jdk\0junk", 11);
    EXPECT_EQ(registryHome(area, 11, false), std::optional<std::string>("C:\\jdk"));
    EXPECT_EQ(registryHome(area, 11, true), std::optional<std::string>("C:\\jdk\\jre"));
    EXPECT_EQ(registryHome(area, 3, false), std::optional<std::string>("C:\\"));   // no zero among 3 bytes read
    EXPECT_EQ(registryHome(area, 0, false), std::optional<std::string>(""));
    EXPECT_EQ(registryHome(nullptr, 0, true), std::optional<std::string>("\\jre"));  // an empty value

    // A DWORD 0x41424344 is the bytes D C B A.
    char dword[registryTextRoom] = {'D', 'C', 'B', 'A'};
    EXPECT_EQ(registryHome(dword, 4, false), std::optional<std::string>("DCBA"));

    char full[registryTextRoom];
    memset(full, 'a', sizeof full);
    EXPECT_EQ(registryHome(full, sizeof full, false), std::nullopt);      // no zero anywhere
    full[1023] = '\0';
    EXPECT_EQ(registryHome(full, sizeof full, false)->size(), 1023u);
    EXPECT_EQ(registryHome(full, sizeof full, true), std::nullopt);       // "\jre" would not fit
    full[1019] = '\0';
    EXPECT_EQ(registryHome(full, sizeof full, true)->size(), 1023u);
    EXPECT_EQ(registryHome(full, 5000, false)->size(), 1019u);            // never past the area
}

TEST(SearchText, FirstLineIsReadUpTo511Characters)
{
    struct Case { std::string text; std::string line; };
    const std::string long600 =
        "C:\\a\\" + std::string(300, 'p') + "\\" + std::string(290, 'q') + "\\bin\\java.exe\n";
    const Case cases[] = {
        {"C:\\jre\\bin\\java.exe\nD:\\jdk\\bin\\java.exe\n", "C:\\jre\\bin\\java.exe\n"},
        {std::string(510, 'a') + "\n", std::string(510, 'a') + "\n"},   // 511 with its line feed
        {std::string(511, 'a') + "\n", std::string(511, 'a')},           // the line feed does not fit
        {long600, long600.substr(0, 511)},
        {"", ""},
        {"C:\\jre\\bin\\java.exe", "C:\\jre\\bin\\java.exe"},            // no line feed at all
        {std::string("C:\\jre\0\\bin\n", 11), "C:\\jre"},               // a NUL byte ends the line
    };
    for (const Case& c : cases)
        EXPECT_EQ(firstLine(c.text), c.line);
    // The 600-character line cut at 511 still names a home two folders up.
    EXPECT_EQ(homeFromPathLine(long600.substr(0, 511)), std::optional<std::string>("C:\\a"));
}
