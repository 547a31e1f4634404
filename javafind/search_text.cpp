#include "javafind/search_text.h"

#include <string.h>

std::optional<std::string> parentDirectory(const char* path)
{
    if (path == nullptr)
        return std::nullopt;
    std::string copy(path);
    std::string::size_type cut = copy.rfind('\\');
    if (cut == std::string::npos)
        return std::nullopt;
    copy.resize(cut);
    return copy;
}

std::optional<std::string> versionKeyPath(const std::string& keyPath, const std::string& subkeyName)
{
    std::string path = keyPath + "\\" + subkeyName;
    if (path.size() >= registryTextRoom)
        return std::nullopt;
    return path;
}

std::optional<std::string> registryHome(const char* value, size_t bytesRead, bool developmentKit)
{
    if (bytesRead > registryTextRoom)
        bytesRead = registryTextRoom;
    // Only the bytes the registry returned count: a value that ends without
    // a zero byte inside them is taken whole only when the area still has a
    // zero after it (the area is zero-filled beyond what was read).
    if (value == nullptr)
        bytesRead = 0;
    const void* end = bytesRead > 0 ? memchr(value, '\0', bytesRead) : nullptr;
    size_t length = end != nullptr ? static_cast<const char*>(end) - value : bytesRead;
    if (length >= registryTextRoom)
        return std::nullopt;
    std::string home(value, length);
    if (developmentKit)
        home += "\\jre";
    if (home.size() >= registryTextRoom)
        return std::nullopt;
    return home;
}

std::optional<std::string> homeFromPathLine(const std::string& line)
{
    std::optional<std::string> folder = parentDirectory(line.c_str());
    if (!folder)
        return std::nullopt;
    return parentDirectory(folder->c_str());
}

std::string firstLine(const std::string& output)
{
    std::string::size_type end = output.find('\n');
    end = end == std::string::npos ? output.size() : end + 1;
    std::string line = output.substr(0, end < pathLineRoom - 1 ? end : pathLineRoom - 1);
    return line.substr(0, line.find('\0'));
}
