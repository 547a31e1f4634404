#include "payload/chunk_names.h"

std::string chunkName(const std::string& baseName, int index)
{
    if (index < 1 || index > maxChunkCount)
        return std::string();
    std::string name = baseName + "_" + std::to_string(index);
    if (name.size() > maxChunkNameLength)
        return std::string();
    return name;
}

int progressAfterChunk(int k, int n)
{
    if (n <= 0)
        return 0;
    return (k - 1) * 100 / n;
}
