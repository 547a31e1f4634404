#include "process/process.h"

#include "process/handles.h"
#include "process/output_text.h"

#include <windows.h>

#include <sys/stat.h>
#include <sys/types.h>
#include <vector>

#ifndef _WIN64
static_assert(sizeof(STARTUPINFOA) == 68, "STARTUPINFOA is 68 bytes in a 32-bit program");
#endif

namespace {

// CreateProcessA may write into the command line, so it gets its own copy
// of any length.
std::vector<char> writableCopy(const std::string& text)
{
    std::vector<char> copy(text.begin(), text.end());
    copy.push_back('\0');
    return copy;
}

// Reads what the pipe holds now, without waiting for more. False when
// nothing was there (or the pipe is closed and empty).
bool readWhatIsThere(HANDLE pipe, std::string& collected)
{
    bool any = false;
    char buffer[4096];
    for (;;) {
        DWORD available = 0;
        if (!PeekNamedPipe(pipe, NULL, 0, NULL, &available, NULL) || available == 0)
            return any;
        DWORD got = 0;
        DWORD wanted = available < sizeof buffer ? available : static_cast<DWORD>(sizeof buffer);
        if (!ReadFile(pipe, buffer, wanted, &got, NULL) || got == 0)
            return any;
        collected.append(buffer, got);
        any = true;
    }
}

// How long to wait for the child between two looks at the pipe.
const DWORD pipePollMs = 10;

} // namespace

int runProcess(const std::string& commandLine, bool showWindow)
{
    DWORD exitCode = static_cast<DWORD>(-1);
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION created;
    ZeroMemory(&created, sizeof created);

    std::vector<char> line = writableCopy(commandLine);
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

int captureProgramOutput(const std::string& program, const std::string& arguments, std::string& output,
                         ErrorStream errors, unsigned long timeLimitMs)
{
    OutputPipe pipe;
    if (!pipe.isOpen())
        return -1;
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, NULL, TRUE};
    OwnedHandle nul(CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                                OPEN_EXISTING, 0, NULL));
    if (!nul.isOpen())
        return -1;

    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nul.get();
    startup.hStdOutput = pipe.writeEnd();
    startup.hStdError = errors == ErrorStream::Merged ? pipe.writeEnd() : nul.get();
    PROCESS_INFORMATION created;
    ZeroMemory(&created, sizeof created);

    // The program is named twice: as the file to run, so that nothing is
    // searched for, and first on its command line, quoted, as a child
    // expects to find itself there.
    std::vector<char> line = writableCopy("\"" + program + "\"" + (arguments.empty() ? "" : " " + arguments));
    if (!CreateProcessA(program.c_str(), line.data(), NULL, NULL, TRUE, CREATE_NO_WINDOW, NULL, NULL, &startup,
                        &created))
        return -1;
    OwnedHandle process(created.hProcess);
    OwnedHandle thread(created.hThread);
    pipe.closeWriteEnd();
    nul.reset();

    // The pipe is read while the child runs, so that a child printing more
    // than the pipe holds never waits on a full pipe, and the wait for the
    // child never blocks on a read.
    std::string collected;
    DWORD started = GetTickCount();
    bool ended = false;
    while (!ended) {
        if (readWhatIsThere(pipe.readEnd(), collected))
            continue;
        ended = WaitForSingleObject(process.get(), pipePollMs) == WAIT_OBJECT_0;
        if (!ended && GetTickCount() - started >= timeLimitMs)
            break;
    }
    DWORD exitCode = static_cast<DWORD>(-1);
    if (ended) {
        // What the child wrote before it ended is in the pipe by now.
        readWhatIsThere(pipe.readEnd(), collected);
        GetExitCodeProcess(process.get(), &exitCode);
    } else {
        TerminateProcess(process.get(), exitCode);
        WaitForSingleObject(process.get(), INFINITE);
    }
    output += withLineFeeds(collected);
    return ended ? static_cast<int>(exitCode) : -1;
}

std::string fullPath(const std::string& path)
{
    if (path.empty())
        return std::string();
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        DWORD length = GetFullPathNameA(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), NULL);
        if (length == 0)
            return std::string();
        if (length < buffer.size())
            return std::string(buffer.data(), length);
        buffer.resize(length);
    }
}

std::string systemProgram(const char* name)
{
    char folder[MAX_PATH];
    UINT length = GetSystemDirectoryA(folder, sizeof folder);
    std::string path = length > 0 && length < sizeof folder ? std::string(folder, length)
                                                             : std::string("C:\\Windows\\System32");
    return path + "\\" + name;
}

bool fileExists(const std::string& path)
{
    struct _stat status;
    return _stat(path.c_str(), &status) == 0;
}
