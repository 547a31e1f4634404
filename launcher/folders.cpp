#include "launcher/folders.h"

#include "launcher/sequence_text.h"

#include <windows.h>

#include <optional>
#include <vector>

namespace {

std::wstring fromAnsi(const std::string& text)
{
    if (text.empty())
        return std::wstring();
    int size = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), NULL, 0);
    if (size <= 0)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], size);
    return wide;
}

// The ANSI text of a wide text with flags as WideCharToMultiByte takes them.
std::string toAnsi(const std::wstring& text, DWORD flags)
{
    if (text.empty())
        return std::string();
    int size = WideCharToMultiByte(CP_ACP, flags, text.data(), static_cast<int>(text.size()), NULL, 0, NULL, NULL);
    if (size <= 0)
        return std::string();
    std::string narrow(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, flags, text.data(), static_cast<int>(text.size()), &narrow[0], size, NULL, NULL);
    return narrow;
}

// The ANSI text only when it reads back as the very same characters: no
// character replaced by a default one or by a nearest fit (which can turn a
// fullwidth quote into a plain one inside a quoted argument).
std::optional<std::string> exactAnsi(const std::wstring& text)
{
    // A UTF-8 code page holds everything; it takes no best-fit flag.
    DWORD flags = GetACP() == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    if (flags != 0 && !text.empty()
        && WideCharToMultiByte(CP_ACP, flags, text.data(), static_cast<int>(text.size()), NULL, 0, NULL,
                               &usedDefault)
            <= 0)
        return std::nullopt;
    std::string narrow = toAnsi(text, flags);
    if (usedDefault || fromAnsi(narrow) != text)
        return std::nullopt;
    return narrow;
}

std::optional<std::wstring> shortForm(const std::wstring& path)
{
    DWORD size = GetShortPathNameW(path.c_str(), NULL, 0);
    if (size == 0)
        return std::nullopt;
    std::vector<wchar_t> buffer(size);
    DWORD length = GetShortPathNameW(path.c_str(), buffer.data(), size);
    if (length == 0 || length >= size)
        return std::nullopt;
    return std::wstring(buffer.data(), length);
}

// Reads a text through a call that takes a buffer and its room and returns
// the length (without terminator) or the room it needs; empty on failure.
template <typename Read>
std::wstring readGrowing(Read read)
{
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (;;) {
        DWORD length = read(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return std::wstring();
        if (length < buffer.size())
            return std::wstring(buffer.data(), length);
        buffer.resize(length + 1);
    }
}

std::wstring fullWidePath(const std::wstring& path)
{
    if (path.empty())
        return std::wstring();
    return readGrowing([&path](wchar_t* buffer, DWORD room) {
        return GetFullPathNameW(path.c_str(), room, buffer, NULL);
    });
}

} // namespace

std::string ansiPath(const std::wstring& path)
{
    if (std::optional<std::string> exact = exactAnsi(path))
        return *exact;
    if (std::optional<std::wstring> shortPath = shortForm(path)) {
        if (std::optional<std::string> exact = exactAnsi(*shortPath))
            return *exact;
    }
    return toAnsi(path, 0);
}

std::string currentFolder()
{
    return ansiPath(readGrowing([](wchar_t* buffer, DWORD room) { return GetCurrentDirectoryW(room, buffer); }));
}

std::string temporaryFolder()
{
    std::wstring tmp = readGrowing([](wchar_t* buffer, DWORD room) {
        return GetEnvironmentVariableW(L"TMP", buffer, room);
    });
    if (!tmp.empty())
        return ansiPath(fullWidePath(tmp));
    std::wstring platform = readGrowing([](wchar_t* buffer, DWORD room) { return GetTempPathW(room, buffer); });
    if (platform.empty())
        return std::string();
    return withoutTrailingBackslash(ansiPath(platform));
}

std::string ownFolder()
{
    // GetModuleFileNameW returns the room itself when the path was cut.
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (;;) {
        DWORD length = GetModuleFileNameW(NULL, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return std::string();
        if (length < buffer.size()) {
            std::wstring path(buffer.data(), length);
            std::wstring::size_type cut = path.find_last_of(L'\\');
            return cut == std::wstring::npos ? std::string() : ansiPath(path.substr(0, cut));
        }
        buffer.resize(buffer.size() * 2);
    }
}
