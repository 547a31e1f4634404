// The texts that name the splash bitmaps for a step and a progress value.
// Pure functions, free of Win32, so they can be tested and fuzzed anywhere.
#pragma once

#include <string>

// Longest step name the display holds (its buffer has room for 11 characters).
const size_t maxStepNameLength = 11;

// Percent rounded down to tens, as the progress strips exist only for
// multiples of ten. Values outside 0..100 are clamped first.
int roundedProgress(int percent);

// The progress value as the strip name ends: "0", "10", ... "100".
std::string progressTextFor(int percent);

// The step name as stored: cut to the longest name the display holds.
std::string storedStepName(const char* name);

// Pause after each of the eleven values of a progress sweep lasting
// durationMs; never negative.
int sweepDelayMs(int durationMs);
