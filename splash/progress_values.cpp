#include "splash/progress_values.h"

int roundedProgress(int percent)
{
    if (percent < 0)
        percent = 0;
    if (percent > 100)
        percent = 100;
    return (percent / 10) * 10;
}

std::string progressTextFor(int percent)
{
    return std::to_string(roundedProgress(percent));
}

std::string storedStepName(const char* name)
{
    if (name == nullptr)
        return std::string();
    std::string text(name);
    if (text.size() > maxStepNameLength)
        text.resize(maxStepNameLength);
    return text;
}

int sweepDelayMs(int durationMs)
{
    return durationMs > 0 ? durationMs / 11 : 0;
}
