// The texts and numbers behind the splash display, free of Win32: built for
// Windows with the display's own tests and for the host with the sanitizers.
#include "splash/progress_values.h"

#include <gtest/gtest.h>

#include <string>

TEST(ProgressValues, RoundedDownToTensAndClamped)
{
    struct Case { int percent; int rounded; const char* text; };
    const Case cases[] = {
        {0, 0, "0"}, {9, 0, "0"}, {10, 10, "10"}, {19, 10, "10"}, {95, 90, "90"}, {100, 100, "100"},
        {-1, 0, "0"}, {-2147483647 - 1, 0, "0"}, {101, 100, "100"}, {2147483647, 100, "100"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(roundedProgress(c.percent), c.rounded) << c.percent;
        EXPECT_EQ(progressTextFor(c.percent), c.text) << c.percent;
    }
}

TEST(ProgressValues, StepNameIsCutToWhatTheDisplayHolds)
{
    EXPECT_EQ(storedStepName("SEARCHING"), "SEARCHING");
    EXPECT_EQ(storedStepName("ABCDEFGHIJK"), "ABCDEFGHIJK");
    EXPECT_EQ(storedStepName("ABCDEFGHIJKL"), "ABCDEFGHIJK");
    EXPECT_EQ(storedStepName(""), "");
    EXPECT_EQ(storedStepName(nullptr), "");
}

TEST(ProgressValues, SweepDelayIsAnEleventhOfTheDuration)
{
    EXPECT_EQ(sweepDelayMs(1000), 90);
    EXPECT_EQ(sweepDelayMs(10), 0);
    EXPECT_EQ(sweepDelayMs(0), 0);
    EXPECT_EQ(sweepDelayMs(-1000), 0);
    EXPECT_EQ(sweepDelayMs(2147483647), 2147483647 / 11);
}
