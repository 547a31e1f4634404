// Runs one Java search in a process of its own, so that a test can read its
// trace from the real standard output and error streams, and writes what the
// result record holds afterwards to a file.
//
// usage: find_jvm_driver SUMMARY_FILE CHECK_VERSION MINIMUM REQUIRE_JRE REQUIRE_JDK
//                        PRIORITY_HINT HINT VERBOSE
// (booleans as 0 or 1; MINIMUM a version text such as 1.6.0_00)
#include "javafind/find_jvm.h"
#include "process/console.h"

#include <stdio.h>
#include <stdlib.h>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 9) {
        fprintf(stderr, "usage: find_jvm_driver SUMMARY CHECK MINIMUM JRE JDK PRIORITY HINT VERBOSE\n");
        return 2;
    }
    useRawConsoleStreams();
    JVM minimum;
    minimum.parseVersion(argv[3]);
    JVM result;
    bool found = findJVM(result, atoi(argv[2]) != 0, minimum, atoi(argv[4]) != 0, atoi(argv[5]) != 0, argv[6],
                         argv[7], atoi(argv[8]) != 0);
    fflush(stdout);

    std::string java = result.javaExe();
    const std::string suffix = "\\bin\\java.exe";
    std::string home = java.substr(0, java.size() - suffix.size());
    FILE* summary = fopen(argv[1], "wb");
    if (summary == NULL)
        return 3;
    fprintf(summary, "found=%d\nhome=%s\nvalid=%d\njdk=%d\nversion=%d.%d.%d_%d\n", found ? 1 : 0, home.c_str(),
            result.isValid() ? 1 : 0, result.isJdk() ? 1 : 0, result.getMajor(), result.getMinor(),
            result.getMicro(), result.getUpdate());
    fclose(summary);
    return 0;
}
