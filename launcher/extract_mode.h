// Extract mode: writes the installer archive into the current directory.
#pragma once

// Name of the installer archive, in extract mode and in the work folder.
extern const char* const installerArchiveName;

// Prints the banner, writes Corvanell.jar and prints how to run it.
// Returns 0, or 1 when the archive could not be written whole.
int runExtractMode();

// Writes the installer archive to fileName through a temporary file beside
// it, replacing fileName only once every chunk is on disk: a failed write
// leaves an existing file as it was and no temporary file behind.
// Returns 0 on success, 1 otherwise.
int writeInstallerArchiveReplacing(const char* fileName);
