// Writes a payload stored as numbered resources of the launcher back out.
#pragma once

// Appends chunks baseName_1, baseName_2, ... of resourceType, in order, to
// fileName (relative to the current directory), reporting progress through
// setProgress. The run of chunks ends at the first missing index.
// Returns 0 when every chunk was written whole; 1 when there is no first
// chunk (no file is then touched), a chunk cannot be found, loaded or locked,
// or the file cannot be opened, written completely or closed.
int extractResourceChunks(const char* baseName, const char* resourceType, const char* fileName);
