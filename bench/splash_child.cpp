// The splash as the launcher starts it, for the start-up benchmark: starts
// the splash thread, waits for the window, signals the named event given as
// the first argument and ends. With a file name as the second argument it
// first times repaints and writes one line per repaint, in microseconds.
#include "splash/progress.h"
#include "splash/splash_window.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand)
{
    char eventName[128] = "";
    char reportPath[MAX_PATH] = "";
    sscanf(commandLine, "%127s %259s", eventName, reportPath);

    appInstance = instance;
    showMode = showCommand;
    HANDLE thread = CreateThread(NULL, 0, splashThread, NULL, 0, NULL);
    if (thread == NULL || !waitForSplashWindow())
        return 1;
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, eventName);
    if (ready != NULL)
        SetEvent(ready);

    if (reportPath[0] != '\0') {
        FILE* report = fopen(reportPath, "w");
        if (report == NULL)
            return 1;
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        for (int i = 0; i < 300; ++i) {
            LARGE_INTEGER start, end;
            QueryPerformanceCounter(&start);
            setProgress((i % 11) * 10);
            QueryPerformanceCounter(&end);
            fprintf(report, "%.1f\n", (end.QuadPart - start.QuadPart) * 1e6 / frequency.QuadPart);
        }
        fclose(report);
    }
    return 0;
}
