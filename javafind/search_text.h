// Text operations of the Java search, free of Win32 so that they can be
// tested and fuzzed anywhere.
#pragma once

#include <optional>
#include <stddef.h>
#include <string>

// Room, terminator included, of the texts the registry step builds.
const size_t registryTextRoom = 1024;

// path up to (not including) its last backslash; none when path is none or
// holds no backslash.
std::optional<std::string> parentDirectory(const char* path);

// The version key path: keyPath, a backslash and the subkey name; none when
// it would not fit in registryTextRoom.
std::optional<std::string> versionKeyPath(const std::string& keyPath, const std::string& subkeyName);

// The home a "JavaHome" value names: its text up to the first zero byte
// among the bytesRead bytes the registry returned, with "\jre" appended for a
// development kit. None when those bytes hold no zero byte within
// registryTextRoom, or when the home would not fit in registryTextRoom.
std::optional<std::string> registryHome(const char* value, size_t bytesRead, bool developmentKit);

// Room of the first line read from the PATH command, terminator included.
const size_t pathLineRoom = 512;

// The first line of a program's output, line feed included when it fits:
// at most pathLineRoom - 1 characters, and nothing from a NUL byte on; the
// rest is not read. Empty for empty output.
std::string firstLine(const std::string& output);

// The home a "where java" output line points at: two folders up from the
// program (the first cut also drops the line end). None when either cut
// finds no backslash.
std::optional<std::string> homeFromPathLine(const std::string& line);
