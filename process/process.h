// Child processes and the existence test. None of these functions prints
// anything; the caller decides what to show.
#pragma once

#include <string>

// Starts commandLine (program first) as a child process, waits until it has
// ended and returns its exit code; -1 when it cannot be started. A false
// showWindow keeps a console program from getting a console window.
int runProcess(const std::string& commandLine, bool showWindow);

// Runs commandLine through the command interpreter with its error stream
// merged into its output, appends everything it prints to output and
// returns the interpreter's exit status; -1 when the pipe cannot be opened.
int captureCommandOutput(const std::string& commandLine, std::string& output);

// True when path exists, as a file or as a folder.
bool fileExists(const std::string& path);
