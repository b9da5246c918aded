// Repeatable random numbers for tests and benchmarks.
#pragma once

#include <cstdint>
#include <random>

// Numbers in [lo, hi) from std::mt19937, whose output the standard fixes; the conversion is ours,
// since the standard's distributions differ between libraries, so every library gives the same
// sequence for a seed.
class SeededRandom {
public:
    explicit SeededRandom(uint32_t seed) : engine_(seed) {}
    double Uniform(double lo, double hi) {
        constexpr double kUnit = 1.0 / 4294967296.0; // 2^-32
        return lo + (hi - lo) * (static_cast<double>(engine_()) * kUnit);
    }
    int Below(int n) { return static_cast<int>(Uniform(0.0, n)); }
    // The engine's next 32 bits as they come, for any bit pattern.
    uint32_t Bits() { return static_cast<uint32_t>(engine_()); }

private:
    std::mt19937 engine_;
};
