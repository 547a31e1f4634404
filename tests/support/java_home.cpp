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
        std::string::size_type a = line.find('\t');
        std::string::size_type b = a == std::string::npos ? a : line.find('\t', a + 1);
        std::string::size_type c = b == std::string::npos ? b : line.find('\t', b + 1);
        if (c == std::string::npos) {
            ADD_FAILURE() << "malformed record line: " << line;
            continue;
        }
        run.program = line.substr(0, a);
        run.console = line.substr(a + 1, b - a - 1);
        run.currentFolder = line.substr(b + 1, c - b - 1);
        run.commandLine = line.substr(c + 1);
        runs.push_back(run);
    }
    return runs;
}
