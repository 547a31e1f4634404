#include "launcher/extract_mode.h"

#include "payload/extract_chunks.h"
#include "process/console.h"
#include "process/handles.h"

#include <windows.h>
#include <string>

const char* const installerArchiveName = "Corvanell.jar";

namespace {

// The folder part of a path, "." for a bare file name.
std::string folderOf(const std::string& path)
{
    std::string::size_type cut = path.find_last_of("\\/");
    if (cut == std::string::npos)
        return ".";
    if (cut == 0 || (cut == 2 && path[1] == ':'))
        return path.substr(0, cut + 1);
    return path.substr(0, cut);
}

// Makes the file's bytes reach the disk itself, not only the system's cache,
// so that a replace that follows can never leave a renamed but empty file
// after a power cut.
bool flushToDisk(const char* fileName)
{
    OwnedHandle file(CreateFileA(fileName, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, NULL));
    if (!file.isOpen())
        return false;
    bool flushed = FlushFileBuffers(file.get()) != 0;
    return file.reset() && flushed;
}

} // namespace

int writeInstallerArchiveReplacing(const char* fileName)
{
    // GetTempFileNameA creates the temporary file, empty and unique, in the
    // target's own folder, so the final rename never crosses volumes.
    char temporary[MAX_PATH];
    if (GetTempFileNameA(folderOf(fileName).c_str(), "cjr", 0, temporary) == 0)
        return 1;
    if (extractResourceChunks("JAR", "JAR", temporary) != 0 || !flushToDisk(temporary)
        || !MoveFileExA(temporary, fileName, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(temporary);
        return 1;
    }
    return 0;
}

int runExtractMode()
{
    writeOut("----------------------------\n");
    writeOut("Extracting java installer...\n");
    writeOut("----------------------------\n");
    // A reader of a pipe sees the banner before the long write, not after.
    flushOut();
    if (writeInstallerArchiveReplacing(installerArchiveName) != 0)
        return 1;
    writeOut("\n");
    writeOut("Extraction complete\n");
    writeOut("You can now type java -jar Corvanell.jar to run the installer from the command line\n");
    return 0;
}
