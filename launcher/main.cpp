// Entry point of the launcher.
#include "launcher/extract_mode.h"
#include "launcher/install_sequence.h"
#include "launcher/modes.h"
#include "process/console.h"

#include <windows.h>
#include <string>

namespace {

// Lets DLLs load only from the system folder, so that no DLL planted beside
// the launcher (a downloads folder) is ever loaded. Called first thing.
void restrictDllSearch()
{
    typedef BOOL(WINAPI * SetDefaultDllDirectoriesFunction)(DWORD);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    SetDefaultDllDirectoriesFunction setDefaultDllDirectories = kernel == NULL ? NULL
        : reinterpret_cast<SetDefaultDllDirectoriesFunction>(
              reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (setDefaultDllDirectories != NULL)
        setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Older systems: at least keep the current directory out of the search.
    SetDllDirectoryA("");
}

} // namespace

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
