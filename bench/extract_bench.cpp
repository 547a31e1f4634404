// Extraction benchmark: times "Corvanell.exe -x" against CopyFileA of the
// same archive, several runs each, and watches the launcher's private memory.
//
// usage: extract_bench.exe LAUNCHER ARCHIVE WORK_FOLDER [RUNS]
#include "bench_clock.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <stdio.h>
#include <stdlib.h>
#include <string>
#include <vector>

namespace {

struct ExtractRun {
    double ms = 0;
    SIZE_T peakPrivate = 0;  // largest private commit seen while it ran
    DWORD exitCode = 0;
};

ExtractRun timeExtraction(const std::string& launcher, const std::string& folder)
{
    ExtractRun run;
    std::string target = folder + "\\Corvanell.jar";
    DeleteFileA(target.c_str());
    std::string line = "\"" + launcher + "\" -x";
    std::vector<char> text(line.begin(), line.end());
    text.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    double start = nowMs();
    if (!CreateProcessA(NULL, text.data(), NULL, NULL, FALSE, 0, NULL, folder.c_str(), &startup, &process)) {
        fprintf(stderr, "cannot start %s\n", launcher.c_str());
        exit(1);
    }
    // Private bytes are sampled while the launcher runs: they exclude the
    // mapped image, whose pages the chunks are written from.
    while (WaitForSingleObject(process.hProcess, 5) == WAIT_TIMEOUT) {
        PROCESS_MEMORY_COUNTERS_EX counters = {};
        if (GetProcessMemoryInfo(process.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                 sizeof counters))
            run.peakPrivate = std::max(run.peakPrivate, std::max(counters.PrivateUsage, counters.PeakPagefileUsage));
    }
    run.ms = nowMs() - start;
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return run;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        fprintf(stderr, "usage: extract_bench LAUNCHER ARCHIVE WORK_FOLDER [RUNS]\n");
        return 2;
    }
    std::string launcher = argv[1], archive = argv[2], folder = argv[3];
    int runs = argc > 4 ? atoi(argv[4]) : 5;

    std::vector<double> extract, copy;
    SIZE_T peak = 0;
    timeCopyAndRemove(archive, folder + "\\copy.jar");  // warm the page cache for both
    for (int i = 0; i < runs; ++i) {
        ExtractRun run = timeExtraction(launcher, folder);
        if (run.exitCode != 0) {
            fprintf(stderr, "extraction failed with exit code %lu\n", run.exitCode);
            return 1;
        }
        extract.push_back(run.ms);
        peak = std::max(peak, run.peakPrivate);
        copy.push_back(timeCopyAndRemove(archive, folder + "\\copy.jar"));
        printf("run %d: extract %.0f ms, copy %.0f ms, launcher private %.1f MB\n", i + 1, run.ms, copy.back(),
               run.peakPrivate / 1048576.0);
    }
    DeleteFileA((folder + "\\Corvanell.jar").c_str());
    printf("median extract %.0f ms, median CopyFileA %.0f ms, ratio %.3f\n", median(extract), median(copy),
           median(extract) / median(copy));
    printf("launcher peak private memory %.1f MB\n", peak / 1048576.0);
    return 0;
}
