#include "launcher/install_sequence.h"

#include "javafind/find_jvm.h"
#include "javafind/jvm.h"
#include "launcher/extract_mode.h"
#include "launcher/folders.h"
#include "launcher/sequence_text.h"
#include "payload/extract_chunks.h"
#include "process/process.h"
#include "splash/progress.h"
#include "splash/splash_window.h"

#include <direct.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <string>

namespace {

const char* const workFolderCaption = "Failed to create the temp folder.";
const char* const workFolderText =
    "Failed to create the temp folder.\n"
    "Please set the environment variable TMP to a folder you have permission to write to.";
const char* const javaMissingCaption = "Installation Failed: Couldn't find java";
const char* const installerFailedCaption = "Installation Error";
const char* const installerFailedText =
    "The installation exited with an error. Java may not be installed properly, or the installation may have "
    "been interrupted partway through. Please try again.";

int nextRandom()
{
    return rand();
}

// The splash window while it exists; message boxes fall back to no owner
// when the splash thread never made one or it is gone.
HWND splashOwner()
{
    return splashWindow != NULL && IsWindow(splashWindow) ? splashWindow : NULL;
}

// The current directory less one trailing backslash; the launcher's own
// folder when the current directory cannot be read.
std::string readStartDirectory()
{
    std::string directory = currentFolder();
    return withoutTrailingBackslash(directory.empty() ? ownFolder() : directory);
}

// Removes a folder that is empty. A program that has just ended may still
// hold the folder for a moment (its console host, say, with the folder as
// its current directory), so a folder in use is tried again for a while; a
// folder that is not empty stays at once.
void removeEmptyFolder(const std::string& folder)
{
    for (int attempt = 0; attempt < 30; ++attempt) {
        if (RemoveDirectoryA(folder.c_str()))
            return;
        DWORD error = GetLastError();
        if (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED)
            return;
        Sleep(100);
    }
}

// Removes what the sequence and the installer left in the work folder, by
// full paths inside it, and then the folder itself if it is empty. Nothing
// here reports or stops the next step.
void cleanUp(const std::string& workFolder)
{
    // Leave the work folder first: a folder that is the current directory,
    // of this process or of the command interpreter started below, cannot
    // be removed.
    SetCurrentDirectoryA((workFolder + "\\..").c_str());
    remove((workFolder + "\\ant.install.log").c_str());
    remove((workFolder + "\\" + installerArchiveName).c_str());
    remove((workFolder + "\\jre.exe").c_str());
    runProcess("\"" + systemProgram("cmd.exe") + "\" /c rd /s /q \"" + workFolder + "\\jre\"", false);
    removeEmptyFolder(workFolder);
}

void runInstaller(const JVM& runtime, const std::string& startDirectory)
{
    setStep("XJAR");
    extractResourceChunks("JAR", "JAR", installerArchiveName);
    setStep("LAUNCHING");
    animateProgress(1000);
    // javaw.exe by its full path, resolved against the work folder as the
    // probe resolved java.exe: a relative name would be looked for in the
    // launcher's own folder first, where anything may lie.
    std::string commandLine = installerCommandLine(fullPath(runtime.javawExe()), startDirectory);
    HWND splash = splashOwner();
    if (splash != NULL)
        ShowWindow(splash, SW_HIDE);
    if (runProcess(commandLine, true) != 0)
        MessageBoxA(NULL, installerFailedText, installerFailedCaption, MB_OK);
}

void reportJavaMissing(JVM& runtime, const JVM& requirement)
{
    // A second search without version test only tells a runtime that is
    // too old from none at all.
    bool anyJava = findJVM(runtime, false, requirement, false, false, "", "", false);
    MessageBoxA(splashOwner(), javaNotFoundText(anyJava).c_str(), javaMissingCaption, MB_OK);
}

} // namespace

int runInstallationSequence(HINSTANCE instance, int showCommand)
{
    srand(static_cast<unsigned int>(time(NULL)));
    appInstance = instance;
    showMode = showCommand;

    static int threadParameter = 1;
    HANDLE thread = CreateThread(NULL, 0, splashThread, &threadParameter, 0, NULL);
    if (thread == NULL)
        return -1;
    CloseHandle(thread);
    // Goes on without a splash when the splash thread ends without a window.
    waitForSplashWindow();

    setStep("TMP");
    animateProgress(1000);
    const std::string startDirectory = readStartDirectory();
    // A temporary folder that cannot be read would put the work folder at
    // the root of the current drive: the run ends with the message instead.
    const std::string temporary = temporaryFolder();
    const std::string plannedFolder = temporary.empty() ? std::string() : workFolderPath(temporary, nextRandom);
    if (plannedFolder.empty() || _mkdir(plannedFolder.c_str()) != 0) {
        MessageBoxA(splashOwner(), workFolderText, workFolderCaption, MB_OK);
        return -1;
    }
    // Every file the sequence writes goes into the work folder: when it
    // cannot be entered, nothing is written at all.
    if (!SetCurrentDirectoryA(plannedFolder.c_str())) {
        _rmdir(plannedFolder.c_str());
        MessageBoxA(splashOwner(), workFolderText, workFolderCaption, MB_OK);
        return -1;
    }
    // Children are started by full paths inside the work folder. The planned
    // path is a full one too (the temporary folder is read as a full path),
    // so it stands in when the current directory cannot be read.
    std::string workFolder = currentFolder();
    if (workFolder.empty())
        workFolder = plannedFolder;

    setStep("XJAVA");
    // Run by its full path: a bare name would find a jre.exe lying beside
    // the launcher before the one just written.
    if (extractResourceChunks("JAVA", "EXE", "jre.exe") == 0)
        runProcess("\"" + workFolder + "\\jre.exe\"", false);

    setStep("SEARCHING");
    animateProgress(1000);
    JVM requirement;
    requirement.parseVersion("1.6.0_00");
    JVM runtime;
    if (findJVM(runtime, true, requirement, false, false, "jre", "", true))
        runInstaller(runtime, startDirectory);
    else
        reportJavaMissing(runtime, requirement);

    cleanUp(workFolder);
    return 0;
}
