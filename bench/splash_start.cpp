// Times the start of a program up to the moment its window is ready: from
// just before CreateProcess until the program signals an event. Runs the
// splash program and the baseline in turn, several times each, and prints
// every time, the medians and their ratio; then has the splash program time
// its repaints and prints their median.
// usage: splash_start SPLASH_EXE BASELINE_EXE REPORT_FILE [RUNS]
#include <windows.h>

#include <algorithm>
#include <stdio.h>
#include <stdlib.h>
#include <string>
#include <vector>

namespace {

double nowMs()
{
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return counter.QuadPart * 1000.0 / frequency.QuadPart;
}

// Milliseconds from CreateProcess to the program's signal, or -1.
double timeStart(const std::string& program, const std::string& arguments)
{
    const std::string eventName = "splash-bench-" + std::to_string(GetCurrentProcessId());
    HANDLE ready = CreateEventA(NULL, TRUE, FALSE, eventName.c_str());
    std::string line = "\"" + program + "\" " + eventName + " " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    const double start = nowMs();
    if (!CreateProcessA(NULL, &line[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
        CloseHandle(ready);
        return -1;
    }
    HANDLE both[] = { ready, process.hProcess };
    DWORD which = WaitForMultipleObjects(2, both, FALSE, 60000);
    const double elapsed = nowMs() - start;
    // The next run starts only when this one has gone.
    WaitForSingleObject(process.hProcess, 60000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(ready);
    return which == WAIT_OBJECT_0 ? elapsed : -1;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0 : (n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        fprintf(stderr, "usage: splash_start SPLASH_EXE BASELINE_EXE REPORT_FILE [RUNS]\n");
        return 2;
    }
    const int runs = argc > 4 ? atoi(argv[4]) : 15;
    // One start of each first, not counted: it brings both into the file cache.
    timeStart(argv[1], "");
    timeStart(argv[2], "");
    std::vector<double> splash, baseline;
    for (int i = 0; i < runs; ++i) {
        // In turn, so that a slow moment of the machine falls on both alike.
        const double s = timeStart(argv[1], "");
        const double b = timeStart(argv[2], "");
        if (s < 0 || b < 0) {
            fprintf(stderr, "run %d: a program did not signal\n", i + 1);
            return 1;
        }
        splash.push_back(s);
        baseline.push_back(b);
        printf("run %2d: splash %7.1f ms  baseline %7.1f ms\n", i + 1, s, b);
    }
    const double s = median(splash);
    const double b = median(baseline);
    printf("median: splash %.1f ms, baseline %.1f ms, ratio %.3f (goal: at most 1.2)\n", s, b, s / b);

    if (timeStart(argv[1], argv[3]) < 0) {
        fprintf(stderr, "the repaint run did not signal\n");
        return 1;
    }
    std::vector<double> repaints;
    FILE* report = fopen(argv[3], "r");
    double value = 0;
    while (report != NULL && fscanf(report, "%lf", &value) == 1)
        repaints.push_back(value);
    if (report != NULL)
        fclose(report);
    if (repaints.empty()) {
        fprintf(stderr, "no repaint times in %s\n", argv[3]);
        return 1;
    }
    std::vector<double> sorted = repaints;
    std::sort(sorted.begin(), sorted.end());
    printf("repaint (setProgress, %u times): median %.0f us, fastest %.0f us, 90th percentile %.0f us\n",
           static_cast<unsigned>(repaints.size()), median(repaints), sorted.front(),
           sorted[sorted.size() * 9 / 10]);
    fflush(stdout);
    return 0;
}
