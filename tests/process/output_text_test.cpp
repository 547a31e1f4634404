// Line ends of captured output, free of Win32: built for Windows with the
// runner's tests and for the host with the sanitizers.
#include "process/output_text.h"

#include <gtest/gtest.h>

#include <string>

TEST(OutputText, CrLfPairsBecomeLineFeedsAndEveryOtherByteStays)
{
    struct Case { std::string text; std::string expected; };
    const Case cases[] = {
        {"", ""},
        {"one\r\ntwo\r\n", "one\ntwo\n"},
        {"lf only\n", "lf only\n"},
        {"a lone\rcarriage return", "a lone\rcarriage return"},
        {"\r\r\n", "\r\n"},          // only the CR right before the LF goes
        {"\r\n\r\n", "\n\n"},
        {"ends in CR\r", "ends in CR\r"},
        {"\n\r", "\n\r"},            // LF CR is no pair
        {std::string("nul\0\r\nkept", 10), std::string("nul\0\nkept", 9)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(withLineFeeds(c.text), c.expected) << c.text;
}
