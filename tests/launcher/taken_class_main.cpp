// A launcher whose splash window class is taken before the installation
// sequence starts, so that its splash thread ends without a window.
#include "process/console.h"
#include "launcher/install_sequence.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    WNDCLASSA taken = {};
    taken.lpfnWndProc = DefWindowProcA;
    taken.hInstance = instance;
    taken.lpszClassName = "splash";
    RegisterClassA(&taken);
    useRawConsoleStreams();
    return runInstallationSequence(instance, showCommand);
}
