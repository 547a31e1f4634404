#include "process/output_text.h"

std::string withLineFeeds(const std::string& text)
{
    std::string result;
    result.reserve(text.size());
    for (std::string::size_type i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        result += text[i];
    }
    return result;
}
