#include "launcher/modes.h"

const char* const deprecatedTextNote =
    "-text is depricated, please use -extract and then run \"java -jar Corvanell.jar text\"";

LaunchMode launchModeFor(const std::string& commandLine)
{
    if (commandLine == "-extract" || commandLine == "--extract" || commandLine == "-x")
        return LaunchMode::Extract;
    if (commandLine == "-text" || commandLine == "text")
        return LaunchMode::DeprecatedText;
    return LaunchMode::Install;
}
