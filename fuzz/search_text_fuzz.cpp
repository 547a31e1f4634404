// Fuzz target: the Java search's text operations, and the line-end reading
// of captured output, on any bytes. Each result must be a prefix of what it
// was built from (with "\jre" for a kit), fit the area it is bounded by, and
// never come from bytes beyond the input.
#include "javafind/search_text.h"
#include "process/output_text.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>

namespace {

void check(bool condition)
{
    if (!condition)
        abort();
}

bool startsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const bool kit = (data[0] & 1) != 0;
    // The value exactly as many bytes as the registry returned, in a heap
    // block of that size, so that a read past it is caught.
    std::vector<char> value(data + 1, data + size);
    const size_t read = value.size();
    std::optional<std::string> home = registryHome(value.data(), read, kit);
    if (home) {
        check(home->size() < registryTextRoom);
        std::string text = kit ? home->substr(0, home->size() - 4) : *home;
        if (kit)
            check(home->compare(home->size() - 4, 4, "\\jre") == 0);
        check(text.size() <= read);
        check(text.empty() || memcmp(text.data(), value.data(), text.size()) == 0);
        check(text.find('\0') == std::string::npos);
    }

    std::string line(value.begin(), value.end());
    std::string cString = line.substr(0, line.find('\0'));
    std::optional<std::string> parent = parentDirectory(cString.c_str());
    check(parent.has_value() == (cString.find('\\') != std::string::npos));
    if (parent) {
        check(startsWith(cString, *parent));
        check(cString[parent->size()] == '\\');
        check(cString.find('\\', parent->size() + 1) == std::string::npos);
    }
    std::optional<std::string> pathHome = homeFromPathLine(cString);
    if (pathHome)
        check(parent && startsWith(*parent, *pathHome));

    std::string first = firstLine(line);
    check(startsWith(line, first));
    check(first.size() < pathLineRoom);
    check(first.find('\0') == std::string::npos);
    check(first.find('\n') == std::string::npos || first.find('\n') == first.size() - 1);

    // Only CR LF pairs lose their CR: the text read back with every LF
    // turned into CR LF wherever the input had CR LF gives the input again.
    std::string lines = withLineFeeds(line);
    check(lines.size() <= line.size());
    size_t at = 0;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\r' && i + 1 < line.size() && line[i + 1] == '\n')
            continue;
        check(at < lines.size() && lines[at] == line[i]);
        ++at;
    }
    check(at == lines.size());

    std::optional<std::string> key = versionKeyPath("SOFTWARE\\JavaSoft\\Java Development Kit", cString);
    if (key)
        check(key->size() < registryTextRoom);
    return 0;
}
