// The suite's random generator: a subtractive generator with modulus 10^9 on 32-bit
// signed integers, so a given seed yields the same sequence on every machine, plus the
// derived draws the engines use (uniform, symmetric, rand(n), coin, biased).
#pragma once

#include "platform/Clock.h"

#include <array>
#include <cstdint>

class seRandom {
public:
    // Seeds from the clock's calendar time in seconds.
    explicit seRandom(const plat::Clock& clock = plat::systemClock());
    // Seeds with s.
    explicit seRandom(int32_t s);

    // The seed last given.
    int32_t seed() const { return m_seed; }
    // Re-seeds with s; s and -s give the same sequence.
    void seed(int32_t s);

    // Raw value 0 .. 999 999 999.
    int32_t next();
    // next() * 1e-9, in [0, 1).
    double uniform();
    // 1 - uniform(), in (0, 1].
    double one_minus();
    // 2 * uniform() - 1, in [-1, 1).
    double symmetric();
    // uniform() * n truncated toward zero: 0 .. n-1 for n >= 1, 0 for n = 0.
    int rand(int n);
    // rand(2).
    int coin();
    // An index 0 .. n-1 pulled toward 0 (p > 0) or toward n-1 (p < 0); with |p| <= 1 a
    // plain rand(n). p = 0 counts as 1.
    int biased(int n, int p);

private:
    static constexpr int kTableSize = 56;  // entries 1..55 are the state; 0 is unused

    std::array<int32_t, kTableSize> m_table{};
    int m_next = 0;
    int m_partner = 0;
    int32_t m_seed = 0;
};
