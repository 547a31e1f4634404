#include "process/process.h"

#include "process/handles.h"

#include <windows.h>

#include <string.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <vector>

#ifndef _WIN64
static_assert(sizeof(STARTUPINFOA) == 68, "STARTUPINFOA is 68 bytes in a 32-bit program");
#endif

int runProcess(const std::string& commandLine, bool showWindow)
{
    DWORD exitCode = static_cast<DWORD>(-1);
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION created;
    ZeroMemory(&created, sizeof created);

    // CreateProcessA may write into the command line, so it gets its own
    // copy of any length.
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    DWORD flags = showWindow ? 0 : CREATE_NO_WINDOW;
    if (!CreateProcessA(NULL, line.data(), NULL, NULL, TRUE, flags, NULL, NULL, &startup, &created))
        return -1;

    // Declared process first, so the thread handle is closed first.
    OwnedHandle process(created.hProcess);
    OwnedHandle thread(created.hThread);
    WaitForSingleObject(process.get(), INFINITE);
    GetExitCodeProcess(process.get(), &exitCode);
    return static_cast<int>(exitCode);
}

namespace {

// Reads one piece of at most 511 characters with fgets and appends it.
// The buffer is filled with line feeds first: fgets writes no further than
// its terminating NUL, so the last NUL in the buffer ends the piece, and a
// NUL byte the command printed is kept rather than cutting the piece short.
bool appendPiece(FILE* stream, std::string& output)
{
    char piece[512];
    memset(piece, '\n', sizeof piece);
    if (fgets(piece, sizeof piece, stream) == NULL)
        return false;
    size_t length = sizeof piece - 1;
    while (length > 0 && piece[length] != '\0')
        --length;
    output.append(piece, length);
    return true;
}

} // namespace

int captureCommandOutput(const std::string& commandLine, std::string& output)
{
    // A growable command: no length limit of its own, the interpreter's
    // own limit is the only one. The interpreter takes its text after /c,
    // removes the first and the last double quote when they are not a single
    // quoted program name, and then runs the rest. The outer pair added here
    // is always the pair it removes, so a quoted program path in the
    // caller's command keeps its quotes: a path holding "&" or a blank then
    // names that program and no other.
    std::string command = "\"" + commandLine + " 2>&1\"";
    CommandPipe pipe(_popen(command.c_str(), "rt"));
    if (!pipe.isOpen())
        return -1;
    while (appendPiece(pipe.get(), output)) {
    }
    return pipe.close();
}

bool fileExists(const std::string& path)
{
    struct _stat status;
    return _stat(path.c_str(), &status) == 0;
}
