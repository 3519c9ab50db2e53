#pragma once

#include <chrono>
#include <utility>

// Wall time of one piece of work: scans wait on the disk as much as on the CPU.
template <typename Work> double millisecondsOf(Work &&work)
{
    const auto start = std::chrono::steady_clock::now();
    std::forward<Work>(work)();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}
