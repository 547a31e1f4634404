#include "payload/extract_chunks.h"

#include "payload/chunk_names.h"
#include "splash/progress.h"

#include <windows.h>
#include <stdio.h>

namespace {

bool chunkExists(HMODULE module, const char* baseName, int index, const char* resourceType)
{
    std::string name = chunkName(baseName, index);
    return !name.empty() && FindResourceA(module, name.c_str(), resourceType) != NULL;
}

// One stream per chunk: opened for appending, written in one call straight
// from the resource data, closed. Any shortfall counts as failure.
bool appendToFile(const char* fileName, const void* data, DWORD size)
{
    FILE* file = fopen(fileName, "ab");
    if (file == NULL)
        return false;
    size_t written = size > 0 ? fwrite(data, 1, size, file) : 0;
    bool closed = fclose(file) == 0;
    return written == size && closed;
}

} // namespace

int extractResourceChunks(const char* baseName, const char* resourceType, const char* fileName)
{
    HMODULE module = GetModuleHandleA(NULL);
    setProgress(0);

    int count = 0;
    while (count < maxChunkCount && chunkExists(module, baseName, count + 1, resourceType))
        ++count;
    if (count == 0)
        return 1;

    for (int k = 1; k <= count; ++k) {
        std::string name = chunkName(baseName, k);
        HRSRC info = FindResourceA(module, name.c_str(), resourceType);
        if (info == NULL)
            return 1;
        HGLOBAL loaded = LoadResource(module, info);
        if (loaded == NULL)
            return 1;
        const void* data = LockResource(loaded);
        if (data == NULL)
            return 1;
        DWORD size = SizeofResource(module, info);
        bool written = appendToFile(fileName, data, size);
        FreeResource(loaded);
        if (!written)
            return 1;
        setProgress(progressAfterChunk(k, count));
    }
    return 0;
}
