// Reading version numbers out of text. Pure functions of the text, without
// any operating-system call, so that they can be tested and fuzzed anywhere.
#pragma once

#include <string>

// The decimal value of the count characters at index (fewer where the text
// ends sooner, none past its end), as atoi reads them.
int versionPiece(const std::string& text, std::string::size_type index, std::string::size_type count);

// Reads a version text such as 1.6.0_00 or 1.10.0_05 into the four numbers.
// Every number is assigned; pieces that are missing or not digits give 0.
void readVersionText(const std::string& text, int& major, int& minor, int& micro, int& update);

// Finds the version line in what "java -version" printed and reads the four
// numbers from it. Returns false, leaving the numbers alone, when the text
// holds no " version" (any letter case) at a position below its length
// minus 22.
bool scanVersionOutput(const std::string& output, int& major, int& minor, int& micro, int& update);
