// Helpers shared by the Windows test programs: environment, files and
// child processes run the way a real parent runs them.
#pragma once

#include <windows.h>
#include <string>
#include <vector>

// A variable the test run sets; the test fails when it is missing.
std::string requiredEnv(const char* name);

// Makes folder the current directory for the life of the object.
class CurrentFolder {
public:
    explicit CurrentFolder(const std::string& folder);
    ~CurrentFolder();
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

private:
    std::string saved_;
};

// A fresh, empty folder for one test under the test run's root.
std::string scratchFolder(const std::string& name);

bool readFileBytes(const std::string& path, std::string& bytes);
std::string readFileOrEmpty(const std::string& path);
bool writeFileBytes(const std::string& path, const std::string& bytes);
bool pathExists(const std::string& path);
bool isFolder(const std::string& path);
// Names in a folder, "." and ".." left out, sorted.
std::vector<std::string> folderEntries(const std::string& folder);
// Removes a folder and everything in it.
void removeTree(const std::string& path);

struct ChildRun {
    bool started = false;
    bool finished = false;   // false when it ran past the time limit (and was killed)
    DWORD exitCode = 0;
    std::string out;         // standard output, as the child wrote it
    std::string err;         // standard error
    // When it ran past the time limit: the programs of its process tree that
    // were still running then, as "name (pid, parent pid)" lines, so that a
    // hang names the program it waited for.
    std::string stillRunning;
};

// Starts commandLine (as CreateProcessA takes it: program and arguments in
// one text) in folder, with its output and error streams on pipes, and
// waits for it. environment is a complete environment block ("A=1\0B=2\0\0")
// or empty for the parent's.
ChildRun runChild(const std::string& commandLine, const std::string& folder,
                  const std::string& environment = std::string(),
                  DWORD timeoutMs = 120000);

// The same with the program named apart from the command line, so that the
// command line's first word can be anything at all.
ChildRun runChildProgram(const std::string& program, const std::string& commandLine,
                         const std::string& folder, const std::string& environment = std::string(),
                         DWORD timeoutMs = 120000);

// A child started with its output and error streams on pipes, read on
// threads of their own while the test deals with it (its message boxes, for
// one). finish() waits for its end; a child still running when the object
// goes is killed.
class RunningChild {
public:
    RunningChild() = default;
    ~RunningChild();
    RunningChild(const RunningChild&) = delete;
    RunningChild& operator=(const RunningChild&) = delete;

    bool start(const std::string& program, const std::string& commandLine, const std::string& folder,
               const std::string& environment);
    // The same with wide texts and a wide environment block, for names the
    // ANSI code page cannot hold.
    bool start(const std::wstring& program, const std::wstring& commandLine, const std::wstring& folder,
               const std::wstring& environment);
    DWORD processId() const { return processId_; }
    // Waits up to timeoutMs for the end (killing it then) and collects all.
    ChildRun finish(DWORD timeoutMs = 120000);

private:
    bool startWith(const std::wstring& program, const std::wstring& commandLine, const std::wstring& folder,
                   const void* environment, bool wideEnvironment);

    struct State;
    State* state_ = nullptr;
    DWORD processId_ = 0;
};

// The environment of this process with the given variables taken out (names
// in any case) and the given "NAME=value" entries added, as a block.
std::string environmentWith(const std::vector<std::string>& removed, const std::vector<std::string>& added);

// "A=1", "B=2" -> environment block.
std::string environmentBlock(const std::vector<std::string>& variables);

// The same as environmentWith for a wide environment block.
std::wstring wideEnvironmentWith(const std::vector<std::wstring>& removed, const std::vector<std::wstring>& added);

// Conversions between ANSI and wide texts.
std::wstring widen(const std::string& text);
std::string narrow(const std::wstring& text);
