#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

// Every choice the corpus generator makes comes from here, so one seed gives
// one tree. The engine's output is fixed by the standard; the mapping onto
// ranges is our own because std::uniform_int_distribution differs between
// standard libraries.
class SeededRandom final
{
public:
    explicit SeededRandom(std::uint64_t seed) : m_engine(seed) { }

    // Uniform in [0, n); n must be positive. The modulo bias is far below
    // anything a corpus could show.
    std::size_t below(std::size_t n) { return std::size_t(m_engine() % n); }
    int between(int low, int high) { return low + int(below(std::size_t(high - low + 1))); }
    double unit() { return double(m_engine() >> 11) * 0x1.0p-53; }
    bool chance(double probability) { return unit() < probability; }

    template <typename T> void shuffle(std::vector<T> &items)
    {
        for (std::size_t i = items.size(); i > 1; --i)
            std::swap(items[i - 1], items[below(i)]);
    }

private:
    std::mt19937_64 m_engine;
};
