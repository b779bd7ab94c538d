// Timing helpers shared by the benchmarks.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace vintrel::bench {

inline double Seconds() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The first argument is required; without it, says how to call the program.
inline bool MissingArguments(int argc, char** argv, const char* usage) {
    if (argc >= 2) return false;
    std::fprintf(stderr, "usage: %s %s\n", argv[0], usage);
    return true;
}

// A whole number of at least 1 from the arguments, or the fallback when it is not given.
inline int CountArgument(int argc, char** argv, int index, int fallback) {
    return argc > index ? std::max(1, std::atoi(argv[index])) : fallback;
}

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace vintrel::bench
