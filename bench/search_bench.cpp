// Java search benchmark: a search in which only PATH holds a runtime, timed
// against the two child runs it cannot do without, the probe of the found
// home and the "where java" command, each timed alone.
//
// usage: search_bench.exe HOME [RUNS]   (HOME holds bin\java.exe)
#include "javafind/find_jvm.h"
#include "javafind/jvm.h"
#include "process/process.h"

#include "bench_clock.h"

#include <windows.h>

#include <algorithm>
#include <stdio.h>
#include <stdlib.h>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: search_bench HOME [RUNS]\n");
        return 2;
    }
    std::string home = argv[1];
    int runs = argc > 2 ? atoi(argv[2]) : 9;
    // Only PATH leads to the runtime.
    _putenv("JAVA_HOME=");
    _putenv("JRE_HOME=");
    _putenv(("PATH=" + home + "\\bin;C:\\windows\\system32;C:\\windows").c_str());
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\JavaSoft");

    JVM minimum;
    minimum.parseVersion("1.6.0_00");
    std::vector<double> search, probe, where;
    for (int i = 0; i < runs; ++i) {
        JVM result;
        double start = nowMs();
        bool found = findJVM(result, true, minimum, false, false, "", "", false);
        search.push_back(nowMs() - start);
        if (!found) {
            fprintf(stderr, "the search found nothing on PATH\n");
            return 1;
        }

        JVM alone;
        start = nowMs();
        alone.setHome(home);
        probe.push_back(nowMs() - start);

        start = nowMs();
        std::string found;
        captureProgramOutput(systemProgram("where.exe"), "java", found, ErrorStream::Discarded);
        where.push_back(nowMs() - start);
    }
    double parts = median(probe) + median(where);
    printf("median search %.1f ms; probe alone %.1f ms, where alone %.1f ms, sum %.1f ms\n", median(search),
           median(probe), median(where), parts);
    printf("search beyond its child runs: %.1f ms (%.1f %%)\n", median(search) - parts,
           (median(search) - parts) * 100.0 / parts);
    return 0;
}
