// Entry point of the launcher.
#include "launcher/console.h"
#include "launcher/extract_mode.h"
#include "launcher/install_sequence.h"
#include "launcher/modes.h"

#include <windows.h>
#include <string>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showCommand)
{
    (void)previousInstance;
    restrictDllSearch();
    useRawConsoleStreams();

    // The start-up code hands over the command line less the program name
    // and the blanks after it; the mode test reads it once, here.
    const std::string text(commandLine != NULL ? commandLine : "");
    switch (launchModeFor(text)) {
    case LaunchMode::Extract:
        return runExtractMode();
    case LaunchMode::DeprecatedText:
        writeError(deprecatedTextNote);
        writeError("\n");
        break;
    case LaunchMode::Install:
        break;
    }
    return runInstallationSequence(instance, showCommand);
}
