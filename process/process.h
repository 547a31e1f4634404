// Child processes and the existence test. None of these functions prints
// anything; the caller decides what to show.
#pragma once

#include <string>

// Starts commandLine (program first, named by its full path) as a child
// process, waits until it has ended and returns its exit code; -1 when it
// cannot be started. A false showWindow keeps a console program from getting
// a console window.
int runProcess(const std::string& commandLine, bool showWindow);

// How long a program whose output is captured may run: one that has not
// ended by then is ended and counts as failed, so that a broken runtime
// cannot hold the launcher behind its splash.
const unsigned long captureTimeLimitMs = 60000;

// Where the captured program's error stream goes.
enum class ErrorStream {
    Merged,    // into the same pipe as its output, in the order written
    Discarded, // to the null device
};

// Runs program, named by its full path and started as it is (no command
// interpreter, no search), with arguments after its quoted path on its
// command line. It runs without a console window and with its input from
// the null device. Everything it prints is appended to output, CR LF read
// as LF. Returns its exit code; -1 when it cannot be started or has not
// ended within timeLimitMs (it is then ended).
int captureProgramOutput(const std::string& program, const std::string& arguments, std::string& output,
                         ErrorStream errors = ErrorStream::Merged, unsigned long timeLimitMs = captureTimeLimitMs);

// The full path of path, resolved against the current directory the way a
// program started by that path is found; empty when it cannot be formed.
std::string fullPath(const std::string& path);

// The full path of a program of the system folder (cmd.exe, where.exe).
std::string systemProgram(const char* name);

// True when path exists, as a file or as a folder.
bool fileExists(const std::string& path);
