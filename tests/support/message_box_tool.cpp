// Finds a message box of a process, prints what it says and presses OK:
// for tests that watch a program of their own from outside it.
// usage: message_box_tool PROCESS_ID [TIMEOUT_MS]
// Exit code 0 when a box was found and closed, 1 otherwise.
#include "support/message_boxes.h"

#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv)
{
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc < 2) {
        fprintf(stderr, "usage: message_box_tool PROCESS_ID [TIMEOUT_MS]\n");
        return 2;
    }
    DWORD processId = strtoul(argv[1], NULL, 0);
    DWORD timeoutMs = argc > 2 ? strtoul(argv[2], NULL, 0) : 60000;
    HWND box = waitForMessageBox(processId, 0, timeoutMs);
    if (box == NULL) {
        fprintf(stderr, "no message box of process %lu\n", static_cast<unsigned long>(processId));
        return 1;
    }
    fputs(describeMessageBox(readMessageBox(box)).c_str(), stdout);
    fflush(stdout);
    return pressOk(box) ? 0 : 1;
}
