// The least a program can do to show a 420 x 300 window: register a class,
// create a popup window, show and paint it, then signal the named event given
// as its argument and end. The baseline of the start-up benchmark.
#include <windows.h>

#include <stdio.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand)
{
    char eventName[128] = "";
    sscanf(commandLine, "%127s", eventName);

    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    windowClass.lpszClassName = "plain";
    if (RegisterClassExA(&windowClass) == 0)
        return 1;
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, "plain", "", WS_POPUP, 750, 390, 420, 300, NULL, NULL,
                                  instance, NULL);
    if (window == NULL)
        return 1;
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, eventName);
    if (ready != NULL)
        SetEvent(ready);
    return 0;
}
