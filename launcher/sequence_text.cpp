#include "launcher/sequence_text.h"

std::string withoutTrailingBackslash(const std::string& folder)
{
    if (!folder.empty() && folder.back() == '\\')
        return folder.substr(0, folder.size() - 1);
    return folder;
}

std::string workFolderPath(const std::string& temporaryFolder, int (*nextRandom)())
{
    std::string path = temporaryFolder + "\\Corvanell-";
    for (int i = 0; i < 5; ++i)
        path += static_cast<char>('a' + nextRandom() % 26);
    return path;
}

std::string installerCommandLine(const std::string& javawExe, const std::string& startDirectory)
{
    return "\"" + javawExe + "\" \"-Dorig.dir=" + startDirectory + "\" -jar Corvanell.jar";
}

std::string javaNotFoundText(bool tooOld)
{
    return std::string("This version of Corvanell requires java 1.6.0_00 or greater, but ")
        + (tooOld ? "your java is too old." : "java could not be found on your computer.") + "\n";
}
