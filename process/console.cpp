#include "process/console.h"

#include <fcntl.h>
#include <io.h>
#include <stdio.h>

namespace {

void makeBinary(FILE* stream)
{
    // Without a console or redirection the stream has no descriptor (-2);
    // leave it alone then.
    int descriptor = _fileno(stream);
    if (descriptor >= 0)
        _setmode(descriptor, _O_BINARY);
}

} // namespace

void useRawConsoleStreams()
{
    makeBinary(stdout);
    makeBinary(stderr);
    setvbuf(stderr, NULL, _IONBF, 0);
}

void writeOut(const char* text)
{
    fputs(text, stdout);
}

void flushOut()
{
    fflush(stdout);
}

void writeError(const char* text)
{
    fflush(stdout);
    fputs(text, stderr);
}
