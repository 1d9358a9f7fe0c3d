// The subtractive generator and its derived draws.
#include "shell/Random.h"

#include <cstdlib>

namespace {

constexpr int32_t kModulus = 1000000000;     // values are 0 .. kModulus - 1
constexpr int32_t kSeedBase = 161803398;      // the golden-ratio constant of the seeding
constexpr int kLastIndex = 55;                // state entries 1 .. kLastIndex
constexpr int kSpread = 21;                   // seeding visits the table in steps of 21
constexpr int kWarmUpRounds = 4;              // stirring passes after seeding
constexpr int kStirOffset = 30;               // partner offset of the stirring passes
constexpr int kPartnerStart = 31;             // partner index after seeding
constexpr double kScale = 1e-9;               // next() to [0, 1)

} // namespace

seRandom::seRandom(const plat::Clock& clock)
{
    seed(static_cast<int32_t>(clock.calendarSeconds()));
}

seRandom::seRandom(int32_t s)
{
    seed(s);
}

void seRandom::seed(int32_t s)
{
    m_seed = s;
    // |s| in 64 bits so that the most negative seed does not overflow.
    const int64_t magnitude = s < 0 ? -int64_t(s) : int64_t(s);
    int32_t j = int32_t((kSeedBase - magnitude) % kModulus);
    if (j < 0)
        j += kModulus;
    m_table[kLastIndex] = j;
    int32_t k = 1;
    for (int i = 1; i < kLastIndex; ++i) {
        const int m = (kSpread * i) % kLastIndex;
        m_table[m] = k;
        k = j - k;
        if (k < 0)
            k += kModulus;
        j = m_table[m];
    }
    for (int round = 0; round < kWarmUpRounds; ++round) {
        for (int i = 1; i <= kLastIndex; ++i) {
            m_table[i] -= m_table[1 + (i + kStirOffset) % kLastIndex];
            if (m_table[i] < 0)
                m_table[i] += kModulus;
        }
    }
    m_next = 0;
    m_partner = kPartnerStart;
}

int32_t seRandom::next()
{
    if (++m_next == kTableSize)
        m_next = 1;
    if (++m_partner == kTableSize)
        m_partner = 1;
    int32_t v = m_table[m_next] - m_table[m_partner];
    if (v < 0)
        v += kModulus;
    m_table[m_next] = v;
    return v;
}

double seRandom::uniform()
{
    return next() * kScale;
}

double seRandom::one_minus()
{
    return 1.0 - uniform();
}

double seRandom::symmetric()
{
    return 2.0 * uniform() - 1.0;
}

int seRandom::rand(int n)
{
    return static_cast<int>(uniform() * n);
}

int seRandom::coin()
{
    return rand(2);
}

int seRandom::biased(int n, int p)
{
    const int b = p == 0 ? 1 : p;
    int c = rand(n);
    const int rounds = std::abs(b) - 1;
    for (int i = 0; i < rounds; ++i)
        c = rand(c + 1);
    return b >= 0 ? c : n - c - 1;
}
