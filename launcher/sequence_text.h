// The texts the installation sequence builds, free of Win32 so that they
// can be tested anywhere.
#pragma once

#include <string>

// A folder path less one trailing backslash, if it has one: the start
// directory handed to the installer is the current directory so trimmed
// (C:\ gives C:, D:\Downloads stays).
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
