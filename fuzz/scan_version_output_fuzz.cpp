// Any text as the output of java -version: the scan reads only inside the
// text, leaves the numbers alone when it finds nothing, and finds something
// exactly when " version" (any case) starts below the length minus 22.
#include "javafind/version_text.h"

#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string>

namespace {

bool markerBelowBound(const std::string& text)
{
    const char* marker = " version";
    for (size_t p = 0; p + 22 < text.size(); ++p) {
        size_t i = 0;
        while (i < 8) {
            char c = text[p + i];
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
            if (c != marker[i])
                break;
            ++i;
        }
        if (i == 8)
            return true;
    }
    return false;
}

bool plausible(int n)
{
    return n >= -9 && n <= 99;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);

    const int untouched = -1000;
    int major = untouched, minor = untouched, micro = untouched, update = untouched;
    bool found = scanVersionOutput(text, major, minor, micro, update);
    if (found != markerBelowBound(text))
        abort();
    if (found) {
        if (!plausible(major) || !plausible(minor) || !plausible(micro) || !plausible(update))
            abort();
    } else if (major != untouched || minor != untouched || micro != untouched || update != untouched) {
        abort();
    }
    return 0;
}
