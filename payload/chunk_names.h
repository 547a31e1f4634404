// Naming and progress arithmetic of chunked payloads: a payload is stored as
// resources BASE_1, BASE_2, ... BASE_n of one resource type.
#pragma once

#include <string>

// A payload has at most this many chunks (the index has at most four digits).
const int maxChunkCount = 9999;

// Longest chunk name: base name, "_" and index together.
const size_t maxChunkNameLength = 127;

// "JAR", 7 -> "JAR_7". Empty when the name would be longer than
// maxChunkNameLength or the index is outside 1..maxChunkCount.
std::string chunkName(const std::string& baseName, int index);

// Progress reported after writing chunk k of n: (k - 1) * 100 / n.
int progressAfterChunk(int k, int n);
