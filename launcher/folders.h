// The folders the installation sequence starts from: read through the wide
// functions, so that no character of their names is lost on the way, and
// handed on as ANSI text that names the same folder.
#pragma once

#include <string>

// The ANSI text for a path: the path itself when the ANSI code page holds
// every character of it unchanged; otherwise its short (8.3) form, which is
// ASCII; and when there is no such short form, the text the ANSI functions
// would give (characters replaced by their nearest fit).
std::string ansiPath(const std::wstring& path);

// The current directory as a full path; empty when it cannot be read.
std::string currentFolder();

// The temporary folder as a full path: "TMP", or the platform's temporary
// folder without its trailing backslash when "TMP" is unset or empty (an
// empty one would put the work folder at the root of the current drive).
// Empty when neither can be read.
std::string temporaryFolder();

// The folder holding the launcher's own executable; empty when it cannot be
// read.
std::string ownFolder();
