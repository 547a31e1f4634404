// Text operations of the output capture, free of Win32 so that they can be
// tested and fuzzed anywhere.
#pragma once

#include <string>

// The text with every CR LF pair turned into a single LF, as a text-mode
// read gives it; a CR on its own stays.
std::string withLineFeeds(const std::string& text);
