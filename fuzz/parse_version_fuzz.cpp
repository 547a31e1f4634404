// Any text read as a version: every number comes from at most two
// characters through atoi, so each lies within -9..99, and comparison stays
// antisymmetric.
#include "javafind/jvm.h"

#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string>

namespace {

bool plausible(int n)
{
    return n >= -9 && n <= 99;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    JVM jvm;
    jvm.parseVersion(text);
    if (!plausible(jvm.getMajor()) || !plausible(jvm.getMinor()) || !plausible(jvm.getMicro())
        || !plausible(jvm.getUpdate()))
        abort();
    if (jvm.isValid() || jvm.isJdk() || jvm.javaExe() != "\\bin\\java.exe")
        abort();

    JVM requirement;
    requirement.parseVersion("1.6.0_00");
    int forward = jvm.compare(requirement);
    if (forward < -1 || forward > 1 || requirement.compare(jvm) != -forward)
        abort();
    JVM copy(jvm);
    if (copy.compare(jvm) != 0)
        abort();
    return 0;
}
