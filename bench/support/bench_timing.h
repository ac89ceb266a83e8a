// Timing helpers for benchmarks that measure two things side by side.
#pragma once

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

// Wall-clock seconds that f takes.
inline double SecondsOf(const std::function<void()> &f)
{
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The median (the upper one of an even count); values must not be empty.
inline double MedianOf(std::vector<double> values)
{
    std::nth_element(values.begin(), values.begin() + long(values.size() / 2), values.end());
    return values[values.size() / 2];
}
