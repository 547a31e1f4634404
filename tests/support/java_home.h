// Java home folders made on the fly from the stand-in programs, and the
// record of the stand-ins' runs.
#pragma once

#include <string>
#include <vector>

// Paths of the stand-in programs, from the test's environment.
std::string standinJava();
std::string standinJavaw();
std::string standinJavac();

// Creates folder and every missing folder above it.
bool makeFolders(const std::string& folder);

// Makes home\bin\java.exe (a copy of the stand-in) that prints output on its
// error stream and exits with exitCode (a decimal text); with
// home\bin\javac.exe when withJavac.
bool makeJavaHome(const std::string& home, const std::string& output, const std::string& exitCode = "0",
                  bool withJavac = false);

// The text with every line feed turned into CR LF, as a Windows program
// writes its lines.
std::string withCrLf(const std::string& text);

// One run of a stand-in, from its record line.
struct StandinRun {
    std::string program;
    std::string console;
    std::string parent;
    std::string currentFolder;
    std::string commandLine;
};

// Every run recorded in a record file, oldest first.
std::vector<StandinRun> standinRuns(const std::string& recordFile);
