#include "payload/extract_chunks.h"

#include "payload/chunk_names.h"
#include "process/handles.h"
#include "splash/progress.h"

#include <windows.h>

namespace {

bool chunkExists(HMODULE module, const char* baseName, int index, const char* resourceType)
{
    std::string name = chunkName(baseName, index);
    return !name.empty() && FindResourceA(module, name.c_str(), resourceType) != NULL;
}

// One handle per chunk: opened, written at the file's end straight from the
// resource data, closed. The file API reports each write's outcome itself,
// with no run-time stream buffer whose failed flush a close may hide: any
// shortfall, and a failed close, counts as failure.
bool appendToFile(const char* fileName, const void* data, DWORD size)
{
    OwnedHandle file(CreateFileA(fileName, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, NULL));
    if (!file.isOpen())
        return false;
    LARGE_INTEGER none;
    none.QuadPart = 0;
    if (!SetFilePointerEx(file.get(), none, NULL, FILE_END))
        return false;
    const char* next = static_cast<const char*>(data);
    DWORD left = size;
    while (left > 0) {
        DWORD written = 0;
        if (!WriteFile(file.get(), next, left, &written, NULL) || written == 0)
            return false;
        next += written;
        left -= written;
    }
    return file.reset();
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
