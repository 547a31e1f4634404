// The texts the installation sequence builds, free of Win32 so that they
// can be tested anywhere.
#pragma once

#include <string>

// The start directory as handed to the installer: the current directory
// less one trailing backslash (C:\ gives C:, D:\Downloads stays).
std::string startDirectoryFrom(const std::string& currentDirectory);

// A folder path less its trailing backslash, if it has one.
std::string withoutTrailingBackslash(const std::string& folder);

// The work folder: the temporary folder, "\Corvanell-" and five letters
// a to z, each drawn as 'a' + (nextRandom() % 26).
std::string workFolderPath(const std::string& temporaryFolder, int (*nextRandom)());

// The installer's command line: javaw.exe in quotes, the start directory as
// the system property orig.dir, and the archive.
std::string installerCommandLine(const std::string& javawExe, const std::string& startDirectory);

// The text of the message shown when no Java runtime of the required
// version was found; tooOld when an older runtime was reachable.
std::string javaNotFoundText(bool tooOld);
