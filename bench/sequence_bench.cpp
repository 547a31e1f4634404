// Whole-run benchmark: a successful run of the launcher with release-sized
// payloads, timed against its parts measured alone: the two payloads written
// as file copies, the runtime package's own run, the probe of the unpacked
// runtime, and the three one-second pacing sweeps. The installer's own run
// and the removal of the unpacked runtime are timed too, and shown apart.
//
// usage: sequence_bench.exe LAUNCHER RUNTIME_PACKAGE INSTALLER_ARCHIVE WORK_FOLDER [RUNS]
#include "javafind/jvm.h"
#include "process/process.h"
#include "splash/progress.h"

#include "bench_clock.h"

#include <windows.h>

#include <algorithm>
#include <stdio.h>
#include <stdlib.h>
#include <string>
#include <vector>

namespace {

std::string environmentWithTmp(const std::string& tmp)
{
    std::string block;
    char* strings = GetEnvironmentStringsA();
    for (const char* entry = strings; *entry != '\0'; entry += strlen(entry) + 1) {
        if (_strnicmp(entry, "TMP=", 4) != 0 && _strnicmp(entry, "JAVA_HOME=", 10) != 0
            && _strnicmp(entry, "JRE_HOME=", 9) != 0)
            block += std::string(entry) + '\0';
    }
    FreeEnvironmentStringsA(strings);
    block += "TMP=" + tmp + '\0';
    return block + '\0';
}

double timeLauncher(const std::string& launcher, const std::string& tmp, const std::string& start)
{
    std::string line = "\"" + launcher + "\"";
    std::vector<char> text(line.begin(), line.end());
    text.push_back('\0');
    std::string environment = environmentWithTmp(tmp);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    double begin = nowMs();
    if (!CreateProcessA(NULL, text.data(), NULL, NULL, FALSE, 0, &environment[0], start.c_str(), &startup,
                        &process)) {
        fprintf(stderr, "cannot start the launcher\n");
        exit(1);
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    double ms = nowMs() - begin;
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (code != 0) {
        fprintf(stderr, "the launcher ended with %lu\n", code);
        exit(1);
    }
    return ms;
}

double timeRun(const std::string& commandLine, bool showWindow)
{
    double begin = nowMs();
    runProcess(commandLine, showWindow);
    return nowMs() - begin;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 5) {
        fprintf(stderr, "usage: sequence_bench LAUNCHER RUNTIME_PACKAGE INSTALLER_ARCHIVE WORK_FOLDER [RUNS]\n");
        return 2;
    }
    std::string launcher = argv[1], package = argv[2], archive = argv[3], work = argv[4];
    int runs = argc > 5 ? atoi(argv[5]) : 5;
    std::string tmp = work + "\\tmp", start = work + "\\start", parts = work + "\\parts";
    CreateDirectoryA(tmp.c_str(), NULL);
    CreateDirectoryA(start.c_str(), NULL);
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof system);
    std::string removeRuntime = "\"" + std::string(system) + "\\cmd.exe\" /c rd /s /q \"" + parts + "\\jre\"";

    std::vector<double> whole, copies, package_run, probe, pacing, installer, removal;
    for (int i = 0; i < runs; ++i) {
        whole.push_back(timeLauncher(launcher, tmp, start));

        CreateDirectoryA(parts.c_str(), NULL);
        SetCurrentDirectoryA(parts.c_str());
        copies.push_back(timeCopy(package, parts + "\\jre.exe") + timeCopy(archive, parts + "\\Corvanell.jar"));
        package_run.push_back(timeRun("\"" + parts + "\\jre.exe\"", false));
        JVM runtime;
        double begin = nowMs();
        runtime.setHome("jre");
        probe.push_back(nowMs() - begin);
        if (!runtime.isValid()) {
            fprintf(stderr, "the unpacked runtime does not probe\n");
            return 1;
        }
        begin = nowMs();
        for (int sweep = 0; sweep < 3; ++sweep)
            animateProgress(1000);
        pacing.push_back(nowMs() - begin);
        installer.push_back(timeRun("\"jre\\bin\\javaw.exe\" \"-Dorig.dir=" + start + "\" -jar Corvanell.jar", true));
        SetCurrentDirectoryA(work.c_str());
        DeleteFileA((parts + "\\jre.exe").c_str());
        DeleteFileA((parts + "\\Corvanell.jar").c_str());
        DeleteFileA((parts + "\\ant.install.log").c_str());
        removal.push_back(timeRun(removeRuntime, false));
        RemoveDirectoryA(parts.c_str());
        printf("run %d: whole %.0f ms; copies %.0f, package %.0f, probe %.0f, pacing %.0f, installer %.0f, "
               "removal %.0f ms\n",
               i + 1, whole.back(), copies.back(), package_run.back(), probe.back(), pacing.back(),
               installer.back(), removal.back());
    }
    double named = median(copies) + median(package_run) + median(probe) + median(pacing);
    double all = named + median(installer) + median(removal);
    printf("median whole run %.0f ms\n", median(whole));
    printf("parts: copies %.0f + package %.0f + probe %.0f + pacing %.0f = %.0f ms; launcher adds %.0f ms (%.1f %%)\n",
           median(copies), median(package_run), median(probe), median(pacing), named, median(whole) - named,
           (median(whole) - named) * 100.0 / named);
    printf("with the installer run %.0f ms and the runtime removal %.0f ms: %.0f ms; launcher adds %.0f ms (%.1f %%)\n",
           median(installer), median(removal), all, median(whole) - all, (median(whole) - all) * 100.0 / all);
    return 0;
}
