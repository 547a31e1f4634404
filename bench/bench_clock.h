// Timing helpers of the benchmarks.
#pragma once

#include <windows.h>

#include <algorithm>
#include <stdio.h>
#include <stdlib.h>
#include <string>
#include <vector>

inline double nowMs()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return counter.QuadPart * 1000.0 / frequency.QuadPart;
}

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// CopyFileA of one file, timed; a failed copy ends the benchmark.
inline double timeCopy(const std::string& from, const std::string& to)
{
    double start = nowMs();
    if (!CopyFileA(from.c_str(), to.c_str(), FALSE)) {
        fprintf(stderr, "CopyFileA %s failed\n", from.c_str());
        exit(1);
    }
    return nowMs() - start;
}

// The same into a file that is removed before and after, so that each copy
// makes it anew and nothing is left.
inline double timeCopyAndRemove(const std::string& from, const std::string& to)
{
    DeleteFileA(to.c_str());
    double ms = timeCopy(from, to);
    DeleteFileA(to.c_str());
    return ms;
}
