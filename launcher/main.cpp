// Entry point of the launcher.
#include "launcher/console.h"
#include "launcher/extract_mode.h"
#include "launcher/modes.h"

#include <windows.h>
#include <string>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showCommand)
{
    (void)instance;
    (void)previousInstance;
    (void)showCommand;
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
    // The installation sequence (splash window, work folder, Java search,
    // installer run) is not part of the launcher yet: a normal start ends here.
    return 0;
}
