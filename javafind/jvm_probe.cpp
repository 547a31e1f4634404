// The probe: what an installation's java.exe says about its version, and
// whether the home holds a compiler.
#include "javafind/jvm.h"

#include "javafind/version_text.h"
#include "process/process.h"

void JVM::setHome(const std::string& path)
{
    valid = true;
    home = path;
    probeVersion();
    detectJdk();
}

void JVM::probeVersion()
{
    // java.exe itself, by the full path that the home names from the current
    // directory: no command interpreter between, so nothing in the home is
    // expanded or run as a command, and no console window appears.
    std::string program = fullPath(javaExe());
    std::string output;
    if (program.empty() || captureProgramOutput(program, "-version", output) != 0) {
        valid = false;
        return;
    }
    if (!scanVersionOutput(output, major, minor, micro, update))
        valid = false;
}

void JVM::detectJdk()
{
    jdk = fileExists(home + "\\bin\\javac.exe");
}
