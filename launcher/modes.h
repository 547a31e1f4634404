// What the launcher does for a given command-line text.
#pragma once

#include <string>

enum class LaunchMode {
    Extract,        // write Corvanell.jar into the current directory, nothing else
    DeprecatedText, // print the "-text" note, then run the installation
    Install,        // the normal run
};

// The whole text after the program name must match a keyword byte for byte:
// case counts and nothing is trimmed.
LaunchMode launchModeFor(const std::string& commandLine);

// The note printed for the old "-text" keyword, without its line end.
extern const char* const deprecatedTextNote;
