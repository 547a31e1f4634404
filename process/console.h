// The launcher's own standard output and error: a GUI program's console
// output, seen only when a parent redirects it. Used by extract mode and by
// the Java search's trace.
#pragma once

// Makes standard output and standard error write line feeds as they are,
// without the C run-time's text-mode translation to CR LF.
void useRawConsoleStreams();

// Writes a text to standard output.
void writeOut(const char* text);

// Hands what standard output holds to the reader now, not at the end.
void flushOut();

// Writes a text to standard error, flushing standard output first so that
// the two streams keep their order.
void writeError(const char* text);
