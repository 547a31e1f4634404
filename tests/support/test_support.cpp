#include "support/test_support.h"

#include <gtest/gtest.h>

#include <tlhelp32.h>

#include <algorithm>
#include <stdlib.h>
#include <string.h>
#include <thread>
#include <wchar.h>

std::string requiredEnv(const char* name)
{
    const char* value = getenv(name);
    if (value == nullptr || *value == '\0') {
        ADD_FAILURE() << "environment variable " << name << " is not set (run the tests through ctest)";
        return std::string();
    }
    return value;
}

CurrentFolder::CurrentFolder(const std::string& folder)
{
    char saved[MAX_PATH];
    DWORD length = GetCurrentDirectoryA(sizeof saved, saved);
    saved_ = std::string(saved, length < sizeof saved ? length : 0);
    EXPECT_TRUE(SetCurrentDirectoryA(folder.c_str())) << folder;
}

CurrentFolder::~CurrentFolder()
{
    SetCurrentDirectoryA(saved_.c_str());
}

std::string scratchFolder(const std::string& name)
{
    std::string root = requiredEnv("CORVANELL_TEST_ROOT") + "\\scratch";
    CreateDirectoryA(root.c_str(), NULL);
    std::string folder = root + "\\" + name;
    removeTree(folder);
    if (!CreateDirectoryA(folder.c_str(), NULL))
        ADD_FAILURE() << "cannot create " << folder;
    return folder;
}

bool readFileBytes(const std::string& path, std::string& bytes)
{
    bytes.clear();
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    char buffer[1 << 16];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(file, buffer, sizeof buffer, &got, NULL) != 0) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(file);
    return ok;
}

std::string readFileOrEmpty(const std::string& path)
{
    std::string bytes;
    readFileBytes(path, bytes);
    return bytes;
}

bool writeFileBytes(const std::string& path, const std::string& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = bytes.empty()
        || (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, NULL) && written == bytes.size());
    return CloseHandle(file) && ok;
}

bool pathExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool isFolder(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::vector<std::string> folderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

void removeTree(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
        return;
    }
    for (const std::string& name : folderEntries(path))
        removeTree(path + "\\" + name);
    RemoveDirectoryA(path.c_str());
}

namespace {

class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() { reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return handle_; }
    HANDLE* out() { reset(); return &handle_; }
    void reset()
    {
        if (handle_ != NULL && handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
        handle_ = NULL;
    }

private:
    HANDLE handle_ = NULL;
};

void drain(HANDLE pipe, std::string* sink)
{
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(pipe, buffer, sizeof buffer, &got, NULL) && got > 0)
        sink->append(buffer, got);
}

} // namespace

std::string environmentBlock(const std::vector<std::string>& variables)
{
    std::string block;
    for (const std::string& variable : variables) {
        block += variable;
        block += '\0';
    }
    block += '\0';
    return block;
}

ChildRun runChild(const std::string& commandLine, const std::string& folder,
                  const std::string& environment, DWORD timeoutMs)
{
    return runChildProgram(std::string(), commandLine, folder, environment, timeoutMs);
}

ChildRun runChildProgram(const std::string& program, const std::string& commandLine,
                         const std::string& folder, const std::string& environment, DWORD timeoutMs)
{
    RunningChild child;
    if (!child.start(program, commandLine, folder, environment))
        return ChildRun();
    return child.finish(timeoutMs);
}

struct RunningChild::State {
    Handle process;
    Handle outRead;
    Handle errRead;
    ChildRun run;
    std::thread outReader;
    std::thread errReader;
};

RunningChild::~RunningChild()
{
    if (state_ != nullptr)
        finish(0);
}

bool RunningChild::start(const std::string& program, const std::string& commandLine, const std::string& folder,
                         const std::string& environment)
{
    return startWith(widen(program), widen(commandLine), widen(folder),
                     environment.empty() ? NULL : environment.data(), false);
}

bool RunningChild::start(const std::wstring& program, const std::wstring& commandLine, const std::wstring& folder,
                         const std::wstring& environment)
{
    return startWith(program, commandLine, folder, environment.empty() ? NULL : environment.data(), true);
}

bool RunningChild::startWith(const std::wstring& program, const std::wstring& commandLine,
                             const std::wstring& folder, const void* environment, bool wideEnvironment)
{
    State* state = new State;
    SECURITY_ATTRIBUTES inherit = { sizeof inherit, NULL, TRUE };
    Handle outWrite, errWrite, nul;
    if (!CreatePipe(state->outRead.out(), outWrite.out(), &inherit, 0)
        || !CreatePipe(state->errRead.out(), errWrite.out(), &inherit, 0)) {
        ADD_FAILURE() << "CreatePipe failed";
        delete state;
        return false;
    }
    SetHandleInformation(state->outRead.get(), HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(state->errRead.get(), HANDLE_FLAG_INHERIT, 0);
    *nul.out() = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                             OPEN_EXISTING, 0, NULL);

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nul.get();
    startup.hStdOutput = outWrite.get();
    startup.hStdError = errWrite.get();
    PROCESS_INFORMATION process = {};
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    BOOL created = CreateProcessW(program.empty() ? NULL : program.c_str(), line.data(), NULL, NULL, TRUE,
                                  wideEnvironment ? CREATE_UNICODE_ENVIRONMENT : 0, const_cast<void*>(environment),
                                  folder.empty() ? NULL : folder.c_str(), &startup, &process);
    outWrite.reset();
    errWrite.reset();
    if (!created) {
        delete state;
        return false;
    }
    CloseHandle(process.hThread);
    *state->process.out() = process.hProcess;
    processId_ = process.dwProcessId;
    state->run.started = true;
    state->outReader = std::thread(drain, state->outRead.get(), &state->run.out);
    state->errReader = std::thread(drain, state->errRead.get(), &state->run.err);
    state_ = state;
    return true;
}

namespace {

// The process rootId and every process descended from it, from one snapshot.
std::string processTree(DWORD rootId)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return "(no process snapshot)\n";
    std::vector<PROCESSENTRY32> all;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        all.push_back(entry);
    CloseHandle(snapshot);
    std::vector<DWORD> tree = { rootId };
    std::string text;
    for (size_t next = 0; next < tree.size(); ++next) {
        for (const PROCESSENTRY32& process : all) {
            if (process.th32ProcessID == tree[next]) {
                text += std::string(process.szExeFile) + " (" + std::to_string(process.th32ProcessID) + ", "
                        + std::to_string(process.th32ParentProcessID) + ")\n";
            } else if (process.th32ParentProcessID == tree[next]
                       && std::find(tree.begin(), tree.end(), process.th32ProcessID) == tree.end()) {
                tree.push_back(process.th32ProcessID);
            }
        }
    }
    return text;
}

} // namespace

ChildRun RunningChild::finish(DWORD timeoutMs)
{
    if (state_ == nullptr)
        return ChildRun();
    State* state = state_;
    state_ = nullptr;
    if (WaitForSingleObject(state->process.get(), timeoutMs) == WAIT_OBJECT_0) {
        state->run.finished = true;
    } else {
        state->run.stillRunning = processTree(processId_);
        TerminateProcess(state->process.get(), 0xDEAD);
        WaitForSingleObject(state->process.get(), 10000);
    }
    GetExitCodeProcess(state->process.get(), &state->run.exitCode);
    state->outReader.join();
    state->errReader.join();
    ChildRun run = state->run;
    delete state;
    return run;
}

std::string environmentWith(const std::vector<std::string>& removed, const std::vector<std::string>& added)
{
    std::vector<std::string> variables;
    char* block = GetEnvironmentStringsA();
    for (const char* entry = block; *entry != '\0'; entry += strlen(entry) + 1) {
        std::string variable = entry;
        std::string name = variable.substr(0, variable.find('=', 1));
        bool keep = true;
        for (const std::string& gone : removed)
            keep = keep && lstrcmpiA(gone.c_str(), name.c_str()) != 0;
        if (keep)
            variables.push_back(variable);
    }
    FreeEnvironmentStringsA(block);
    variables.insert(variables.end(), added.begin(), added.end());
    return environmentBlock(variables);
}

std::wstring wideEnvironmentWith(const std::vector<std::wstring>& removed, const std::vector<std::wstring>& added)
{
    std::vector<std::wstring> variables;
    wchar_t* block = GetEnvironmentStringsW();
    for (const wchar_t* entry = block; *entry != L'\0'; entry += wcslen(entry) + 1) {
        std::wstring variable = entry;
        std::wstring name = variable.substr(0, variable.find(L'=', 1));
        bool keep = true;
        for (const std::wstring& gone : removed)
            keep = keep && lstrcmpiW(gone.c_str(), name.c_str()) != 0;
        if (keep)
            variables.push_back(variable);
    }
    FreeEnvironmentStringsW(block);
    variables.insert(variables.end(), added.begin(), added.end());
    std::wstring result;
    for (const std::wstring& variable : variables) {
        result += variable;
        result += L'\0';
    }
    result += L'\0';
    return result;
}

std::wstring widen(const std::string& text)
{
    if (text.empty())
        return std::wstring();
    int size = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), NULL, 0);
    std::wstring wide(size > 0 ? size : 0, L'\0');
    if (size > 0)
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], size);
    return wide;
}

std::string narrow(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    int size = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), NULL, 0, NULL, NULL);
    std::string result(size > 0 ? size : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &result[0], size, NULL, NULL);
    return result;
}
