// Console output of a GUI program: seen only when a parent redirects it.
#pragma once

// Makes standard output and standard error write line feeds as they are,
// without the C run-time's text-mode translation to CR LF.
void useRawConsoleStreams();

// Writes a text to standard output.
void writeOut(const char* text);

// Writes a text to standard error, flushing standard output first so that
// the two streams keep their order.
void writeError(const char* text);
