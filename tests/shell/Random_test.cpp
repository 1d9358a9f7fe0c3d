// The random generator: reference sequences, seed symmetry, ranges and the derived draws.
#include "shell/Random.h"

#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <set>
#include <vector>

namespace {

constexpr int kSequenceLength = 500;

std::vector<int32_t> sequence(seRandom& g, int n)
{
    std::vector<int32_t> out;
    for (int i = 0; i < n; ++i)
        out.push_back(g.next());
    return out;
}

struct ReferenceCase {
    int32_t seed;
    int32_t first[3];
};

class RandomReference : public testing::TestWithParam<ReferenceCase> {};

TEST_P(RandomReference, FirstValuesMatchTheReferenceSequence)
{
    const ReferenceCase& c = GetParam();
    seRandom g(c.seed);
    for (int32_t expected : c.first)
        EXPECT_EQ(g.next(), expected);
    EXPECT_EQ(g.seed(), c.seed);
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomReference,
    testing::Values(ReferenceCase{1, {298227348, 715119168, 33021107}},
                    ReferenceCase{0, {533923850, 323008803, 401103978}}));

TEST(Random, ReseedingRestartsTheSequence)
{
    seRandom g(1);
    const auto first = sequence(g, kSequenceLength);
    g.seed(99);
    EXPECT_EQ(g.seed(), 99);
    g.seed(1);
    EXPECT_EQ(sequence(g, kSequenceLength), first);
}

TEST(Random, NegatedSeedGivesTheSameSequence)
{
    for (int32_t s : {1, 7, 123456, 161803398, 999999999, INT_MAX}) {
        seRandom plus(s);
        seRandom minus(-s);
        EXPECT_EQ(sequence(plus, kSequenceLength), sequence(minus, kSequenceLength)) << "seed " << s;
        EXPECT_EQ(minus.seed(), -s);
    }
}

TEST(Random, DifferentSeedsGiveDifferentSequences)
{
    seRandom a(1);
    seRandom b(2);
    EXPECT_NE(sequence(a, 10), sequence(b, 10));
}

TEST(Random, MostNegativeSeedIsDeterministicAndInRange)
{
    seRandom a(INT_MIN);
    seRandom b(INT_MIN);
    const auto values = sequence(a, kSequenceLength);
    EXPECT_EQ(values, sequence(b, kSequenceLength));
    for (int32_t v : values) {
        EXPECT_GE(v, 0);
        EXPECT_LT(v, 1000000000);
    }
}

TEST(Random, DefaultConstructionSeedsFromTheCalendarClock)
{
    plat::SimulatedClock clock(0, 1234567);
    seRandom fromClock(clock);
    seRandom explicitSeed(1234567);
    EXPECT_EQ(fromClock.seed(), 1234567);
    EXPECT_EQ(sequence(fromClock, 20), sequence(explicitSeed, 20));
}

TEST(Random, DrawsStayInTheirRanges)
{
    seRandom g(42);
    for (int i = 0; i < 20000; ++i) {
        const int32_t n = g.next();
        EXPECT_GE(n, 0);
        EXPECT_LT(n, 1000000000);
        const double u = g.uniform();
        EXPECT_GE(u, 0.0);
        EXPECT_LT(u, 1.0);
        const double om = g.one_minus();
        EXPECT_GT(om, 0.0);
        EXPECT_LE(om, 1.0);
        const double s = g.symmetric();
        EXPECT_GE(s, -1.0);
        EXPECT_LT(s, 1.0);
    }
}

TEST(Random, DerivedDrawsFollowTheRawValue)
{
    seRandom raw(5);
    seRandom g(5);
    for (int i = 0; i < 200; ++i) {
        const double u = raw.next() * 1e-9;
        switch (i % 4) {
        case 0:
            EXPECT_DOUBLE_EQ(g.uniform(), u);
            break;
        case 1:
            EXPECT_DOUBLE_EQ(g.one_minus(), 1.0 - u);
            break;
        case 2:
            EXPECT_DOUBLE_EQ(g.symmetric(), 2.0 * u - 1.0);
            break;
        default:
            EXPECT_EQ(g.rand(37), int(u * 37));
            break;
        }
    }
}

TEST(Random, UniformIsEvenlySpread)
{
    seRandom g(2024);
    constexpr int kDraws = 100000;
    constexpr int kBins = 10;
    int bins[kBins] = {};
    double sum = 0;
    for (int i = 0; i < kDraws; ++i) {
        const double u = g.uniform();
        sum += u;
        ++bins[int(u * kBins)];
    }
    EXPECT_NEAR(sum / kDraws, 0.5, 0.01);
    for (int b : bins)
        EXPECT_NEAR(double(b) / kDraws, 0.1, 0.01);
}

TEST(Random, RandCoversExactlyZeroToNMinusOne)
{
    seRandom g(3);
    EXPECT_EQ(g.rand(0), 0);
    for (int n : {1, 2, 3, 7, 10}) {
        std::set<int> seen;
        for (int i = 0; i < 2000; ++i) {
            const int r = g.rand(n);
            ASSERT_GE(r, 0);
            ASSERT_LT(r, n);
            seen.insert(r);
        }
        EXPECT_EQ(int(seen.size()), n) << "n " << n;
    }
    std::set<int> coins;
    for (int i = 0; i < 200; ++i)
        coins.insert(g.coin());
    EXPECT_EQ(coins, (std::set<int>{0, 1}));
}

TEST(Random, BiasedWithSmallPowerIsAPlainDraw)
{
    // p = 0 and p = 1 are the same plain rand(n); p = -1 is its mirror image.
    for (int n : {1, 2, 5, 10, 100}) {
        seRandom zero(11), one(11), minusOne(11), plain(11);
        for (int i = 0; i < 300; ++i) {
            const int expected = plain.rand(n);
            EXPECT_EQ(zero.biased(n, 0), expected);
            EXPECT_EQ(one.biased(n, 1), expected);
            EXPECT_EQ(minusOne.biased(n, -1), n - 1 - expected);
        }
    }
}

struct BiasCase {
    int p;
    double minMean;
    double maxMean;
};

class RandomBias : public testing::TestWithParam<BiasCase> {};

TEST_P(RandomBias, PowerPullsTowardAnEnd)
{
    constexpr int kN = 10;
    constexpr int kDraws = 20000;
    const BiasCase& c = GetParam();
    seRandom g(77);
    double sum = 0;
    for (int i = 0; i < kDraws; ++i) {
        const int v = g.biased(kN, c.p);
        ASSERT_GE(v, 0);
        ASSERT_LT(v, kN);
        sum += v;
    }
    const double mean = sum / kDraws;
    EXPECT_GT(mean, c.minMean) << "p " << c.p;
    EXPECT_LT(mean, c.maxMean) << "p " << c.p;
}

// Plain draws of 0..9 average 4.5; each extra round roughly halves the value.
INSTANTIATE_TEST_SUITE_P(Powers, RandomBias,
    testing::Values(BiasCase{1, 4.3, 4.7}, BiasCase{2, 1.9, 2.4}, BiasCase{3, 0.8, 1.3},
                    BiasCase{-2, 6.6, 7.1}, BiasCase{-3, 7.7, 8.2}));

TEST(Random, BiasedOfZeroEntriesIsZeroOrMirrored)
{
    seRandom g(8);
    EXPECT_EQ(g.biased(0, 3), 0);
    EXPECT_EQ(g.biased(1, -4), 0);
}

TEST(Random, TwoGeneratorsDoNotShareState)
{
    seRandom a(10), b(10), reference(10);
    a.next();
    a.next();
    EXPECT_EQ(b.next(), reference.next());
}

} // namespace
