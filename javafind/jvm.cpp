// The record's version rules. Free of operating-system calls; the probe that
// runs a real installation is in jvm_probe.cpp.
#include "javafind/jvm.h"

#include "javafind/version_text.h"

JVM::JVM() : major(1), minor(0), micro(0), update(0), home(), jdk(false), valid(false) {}

void JVM::parseVersion(const std::string& text)
{
    readVersionText(text, major, minor, micro, update);
}

namespace {

int order(int mine, int theirs)
{
    return mine > theirs ? 1 : (mine < theirs ? -1 : 0);
}

} // namespace

int JVM::compare(const JVM& other) const
{
    int result = order(major, other.getMajor());
    if (result == 0)
        result = order(minor, other.getMinor());
    if (result == 0)
        result = order(micro, other.getMicro());
    if (result == 0)
        result = order(update, other.getUpdate());
    return result;
}

std::string JVM::javaExe() const
{
    return home + "\\bin\\java.exe";
}

std::string JVM::javawExe() const
{
    return home + "\\bin\\javaw.exe";
}
