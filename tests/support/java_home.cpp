#include "support/java_home.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

std::string standinJava() { return requiredEnv("CORVANELL_STANDIN_JAVA"); }
std::string standinJavaw() { return requiredEnv("CORVANELL_STANDIN_JAVAW"); }
std::string standinJavac() { return requiredEnv("CORVANELL_STANDIN_JAVAC"); }

bool makeFolders(const std::string& folder)
{
    for (std::string::size_type at = folder.find('\\', 3); at != std::string::npos; at = folder.find('\\', at + 1))
        CreateDirectoryA(folder.substr(0, at).c_str(), NULL);
    CreateDirectoryA(folder.c_str(), NULL);
    return isFolder(folder);
}

bool makeJavaHome(const std::string& home, const std::string& output, const std::string& exitCode, bool withJavac)
{
    std::string bin = home + "\\bin";
    if (!makeFolders(bin))
        return false;
    bool ok = CopyFileA(standinJava().c_str(), (bin + "\\java.exe").c_str(), FALSE)
        && writeFileBytes(bin + "\\java-output.txt", output)
        && writeFileBytes(bin + "\\java-exitcode.txt", exitCode);
    if (withJavac)
        ok = ok && CopyFileA(standinJavac().c_str(), (bin + "\\javac.exe").c_str(), FALSE);
    return ok;
}

std::string withCrLf(const std::string& text)
{
    std::string result;
    for (char c : text) {
        if (c == '\n')
            result += '\r';
        result += c;
    }
    return result;
}

std::vector<StandinRun> standinRuns(const std::string& recordFile)
{
    std::vector<StandinRun> runs;
    std::string text = readFileOrEmpty(recordFile);
    std::string::size_type from = 0;
    while (from < text.size()) {
        std::string::size_type end = text.find('\n', from);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(from, end - from);
        from = end + 1;
        StandinRun run;
        std::vector<std::string::size_type> tabs;
        for (std::string::size_type at = line.find('\t'); at != std::string::npos && tabs.size() < 4;
             at = line.find('\t', at + 1))
            tabs.push_back(at);
        if (tabs.size() < 4) {
            ADD_FAILURE() << "malformed record line: " << line;
            continue;
        }
        run.program = line.substr(0, tabs[0]);
        run.console = line.substr(tabs[0] + 1, tabs[1] - tabs[0] - 1);
        run.parent = line.substr(tabs[1] + 1, tabs[2] - tabs[1] - 1);
        run.currentFolder = line.substr(tabs[2] + 1, tabs[3] - tabs[2] - 1);
        run.commandLine = line.substr(tabs[3] + 1);
        runs.push_back(run);
    }
    return runs;
}
