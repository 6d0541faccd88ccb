#pragma once

#include <cstdint>

// splitmix64: a small generator whose sequence is the same with every compiler
// and standard library, so a seed always yields the same data set. Integer-only
// helpers; no std::*_distribution, whose results differ between libraries.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : m_state(seed) {}

    std::uint64_t next()
    {
        std::uint64_t z = (m_state += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    // Uniform in [0, n); the modulo bias is far below anything a data set shows.
    std::int64_t below(std::int64_t n) { return n <= 0 ? 0 : std::int64_t(next() % std::uint64_t(n)); }
    // Uniform in [lo, hi].
    std::int64_t between(std::int64_t lo, std::int64_t hi) { return lo + below(hi - lo + 1); }
    // True with probability percent / 100.
    bool percent(int percent) { return below(100) < percent; }
    // Index in [0, n) skewed toward the low end: a few customers and items are busy.
    // (the smaller of two uniform draws).
    std::int64_t skewed(std::int64_t n)
    {
        const std::int64_t a = below(n);
        const std::int64_t b = below(n);
        return a < b ? a : b;
    }

private:
    std::uint64_t m_state;
};
