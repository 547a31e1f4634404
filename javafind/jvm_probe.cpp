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
    std::string command = "\"" + javaExe() + "\" -version";
    std::string output;
    if (captureCommandOutput(command, output) != 0) {
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
