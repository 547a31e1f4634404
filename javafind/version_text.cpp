#include "javafind/version_text.h"

#include <stdlib.h>

int versionPiece(const std::string& text, std::string::size_type index, std::string::size_type count)
{
    if (index >= text.size())
        return 0;
    return atoi(text.substr(index, count).c_str());
}

void readVersionText(const std::string& text, int& major, int& minor, int& micro, int& update)
{
    major = versionPiece(text, 0, 1);
    if (text.size() > 3 && text[3] == '.') {
        // One-digit minor number: 1.6.0_00.
        minor = versionPiece(text, 2, 1);
        micro = text.size() >= 5 ? versionPiece(text, 4, 1) : 0;
        update = text.size() >= 7 ? versionPiece(text, 6, 2) : 0;
    } else {
        // Two-digit minor number: 1.10.0_05.
        minor = versionPiece(text, 2, 2);
        micro = text.size() >= 6 ? versionPiece(text, 5, 1) : 0;
        update = text.size() >= 8 ? versionPiece(text, 7, 2) : 0;
    }
}

namespace {

const char* const marker = " version";
const std::string::size_type markerLength = 8;
// Positions up to p + 17 are read behind a match; keeping p below the
// length minus 22 keeps every one of them inside the text.
const long long scanBound = 22;

char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool markerAt(const std::string& text, std::string::size_type p)
{
    for (std::string::size_type i = 0; i < markerLength; ++i) {
        if (lowerAscii(text[p + i]) != marker[i])
            return false;
    }
    return true;
}

} // namespace

bool scanVersionOutput(const std::string& output, int& major, int& minor, int& micro, int& update)
{
    long long limit = static_cast<long long>(output.size()) - scanBound;
    for (long long at = 0; at < limit; ++at) {
        std::string::size_type p = static_cast<std::string::size_type>(at);
        if (!markerAt(output, p))
            continue;
        // p + 8 is the blank behind the word and p + 9 the opening quote.
        if (output[p + 11] == '.') {
            // Dotted layout: 1.8.0_381, 9.0.4.
            major = versionPiece(output, p + 10, 1);
            minor = versionPiece(output, p + 12, 1);
            micro = versionPiece(output, p + 14, 1);
            update = versionPiece(output, p + 16, 2);
        } else {
            // Plain layout, a two-digit feature number: 11.0.2 reads as 1.11.0_2.
            major = 1;
            minor = versionPiece(output, p + 10, 2);
            micro = versionPiece(output, p + 13, 1);
            update = versionPiece(output, p + 15, 2);
        }
        return true;
    }
    return false;
}
