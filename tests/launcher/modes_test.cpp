#include "launcher/modes.h"

#include <gtest/gtest.h>

TEST(LaunchMode, WholeTextMustMatchAKeywordByteForByte)
{
    struct Case { const char* text; LaunchMode mode; };
    const Case cases[] = {
        {"-x", LaunchMode::Extract},
        {"-extract", LaunchMode::Extract},
        {"--extract", LaunchMode::Extract},
        {"-text", LaunchMode::DeprecatedText},
        {"text", LaunchMode::DeprecatedText},
        {"", LaunchMode::Install},
        // Case counts.
        {"-X", LaunchMode::Install}, {"-Extract", LaunchMode::Install}, {"-TEXT", LaunchMode::Install},
        // Other spellings.
        {"/x", LaunchMode::Install}, {"/extract", LaunchMode::Install}, {"extract", LaunchMode::Install},
        {"--x", LaunchMode::Install}, {"---extract", LaunchMode::Install}, {"x", LaunchMode::Install},
        // Nothing is trimmed and nothing may follow.
        {"-x ", LaunchMode::Install}, {" -x", LaunchMode::Install}, {"-x foo", LaunchMode::Install},
        {"-extract -x", LaunchMode::Install}, {"-text ", LaunchMode::Install}, {"-x\t", LaunchMode::Install},
        // Quotes stay part of the text.
        {"\"-x\"", LaunchMode::Install}, {"\"-extract\"", LaunchMode::Install},
    };
    for (const Case& c : cases)
        EXPECT_EQ(launchModeFor(c.text), c.mode) << "text [" << c.text << "]";
}

TEST(LaunchMode, AnEmbeddedNulEndsNoKeyword)
{
    EXPECT_EQ(launchModeFor(std::string("-x\0y", 4)), LaunchMode::Install);
}
