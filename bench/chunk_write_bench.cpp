// Chunk-write benchmark: how the shape of the write alone changes the cost of
// writing the archive out of a launcher's mapped image. The launcher is
// loaded as an image (its resource section mapped from its file, as when it
// runs), and its JAR chunks are appended to a file, in turn:
//   - one write per chunk, as the launcher writes them;
//   - the same chunks in writes of 256 KiB;
//   - CopyFileA of the archive itself, for scale.
// Each image write starts from a fresh load, so its pages are touched for
// the first time, as in the launcher. The order turns from run to run so
// that no way always follows the removal of the last file.
//
// usage: chunk_write_bench.exe LAUNCHER ARCHIVE WORK_FOLDER [RUNS [PAUSE_MS]]
// PAUSE_MS: a pause before each write (default none), for the memory the
// last one freed to settle.
#include "payload/chunk_names.h"

#include "bench_clock.h"

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string>
#include <vector>

namespace {

const DWORD wholeChunk = 0;

bool appendChunk(const std::string& target, const char* data, DWORD size, DWORD piece)
{
    HANDLE file = CreateFileA(target.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool ok = true;
    while (ok && size > 0) {
        DWORD asked = piece == wholeChunk || size < piece ? size : piece, written = 0;
        ok = WriteFile(file, data, asked, &written, NULL) && written == asked;
        data += asked;
        size -= asked;
    }
    return CloseHandle(file) && ok;
}

// The archive's bytes written out of a fresh image of the launcher.
double timeImageWrite(const std::string& launcher, const std::string& target, DWORD piece)
{
    DeleteFileA(target.c_str());
    double start = nowMs();
    HMODULE image = LoadLibraryExA(launcher.c_str(), NULL, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (image == NULL) {
        fprintf(stderr, "cannot load %s as an image\n", launcher.c_str());
        exit(1);
    }
    int k = 1;
    for (;; ++k) {
        HRSRC info = FindResourceA(image, chunkName("JAR", k).c_str(), "JAR");
        if (info == NULL)
            break;
        const char* data = static_cast<const char*>(LockResource(LoadResource(image, info)));
        if (data == NULL || !appendChunk(target, data, SizeofResource(image, info), piece)) {
            fprintf(stderr, "writing chunk %d failed\n", k);
            exit(1);
        }
    }
    FreeLibrary(image);
    double ms = nowMs() - start;
    if (k == 1) {
        fprintf(stderr, "%s holds no JAR chunks\n", launcher.c_str());
        exit(1);
    }
    DeleteFileA(target.c_str());
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        fprintf(stderr, "usage: chunk_write_bench LAUNCHER ARCHIVE WORK_FOLDER [RUNS [PAUSE_MS]]\n");
        return 2;
    }
    std::string launcher = argv[1], archive = argv[2], target = std::string(argv[3]) + "\\Corvanell.jar";
    int runs = argc > 4 ? atoi(argv[4]) : 5;
    DWORD pause = argc > 5 ? strtoul(argv[5], NULL, 10) : 0;

    const char* names[3] = {"one write per chunk", "writes of 256 KiB", "CopyFileA"};
    std::vector<double> times[3];
    timeCopyAndRemove(archive, target);  // the archive into the page cache
    for (int i = 0; i < runs; ++i) {
        for (int step = 0; step < 3; ++step) {
            int way = (i + step) % 3;
            Sleep(pause);
            double ms = way == 0   ? timeImageWrite(launcher, target, wholeChunk)
                        : way == 1 ? timeImageWrite(launcher, target, 256 * 1024)
                                   : timeCopyAndRemove(archive, target);
            times[way].push_back(ms);
        }
        printf("run %d: one write per chunk %.0f ms, writes of 256 KiB %.0f ms, CopyFileA %.0f ms\n", i + 1,
               times[0].back(), times[1].back(), times[2].back());
    }
    for (int way = 0; way < 3; ++way)
        printf("median %s: %.0f ms\n", names[way], median(times[way]));
    return 0;
}
