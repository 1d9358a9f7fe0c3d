// Weighted choice tables: the distribution built from weights, the base copy, and Choose
// with exclusions and its draw limit.
#include "shell/VoteTable.h"

#include "shell/Random.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct DistributionCase {
    std::vector<int> weights;
    std::vector<float> expected;
};

class VoteTableDistribution : public testing::TestWithParam<DistributionCase> {};

TEST_P(VoteTableDistribution, IsCumulativeWithLastEntryOne)
{
    const DistributionCase& c = GetParam();
    VoteTable table;
    table.SetWeights(c.weights);
    ASSERT_EQ(table.size(), int(c.expected.size()));
    for (size_t i = 0; i < c.expected.size(); ++i)
        EXPECT_FLOAT_EQ(table.distribution()[i], c.expected[i]) << "entry " << i;
    if (!c.expected.empty()) {
        EXPECT_EQ(table.distribution().back(), 1.0f);
    }
    EXPECT_EQ(table.base(), table.distribution());
}

INSTANTIATE_TEST_SUITE_P(Weights, VoteTableDistribution,
    testing::Values(DistributionCase{{}, {}},
                    DistributionCase{{5}, {1.0f}},
                    DistributionCase{{0, 0, 0}, {0.0f, 0.0f, 1.0f}},
                    DistributionCase{{1, 0, 1}, {0.5f, 0.5f, 1.0f}},
                    DistributionCase{{1, 1, 2}, {0.25f, 0.5f, 1.0f}},
                    DistributionCase{{0, 3, 1}, {0.0f, 0.75f, 1.0f}}));

// How many uniforms Choose consumed: compare g with a twin that drew nothing.
int drawsConsumed(seRandom& g, int32_t seed)
{
    seRandom twin(seed);
    const int32_t next = g.next();
    for (int n = 0; n < 1000; ++n) {
        if (twin.next() == next)
            return n;
    }
    return -1;
}

TEST(VoteTable, AllZeroWeightsAlwaysChooseTheLastEntry)
{
    VoteTable table({0, 0, 0});
    seRandom g(1);
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(table.Choose(g), 2);
}

TEST(VoteTable, ZeroWeightEntryIsNeverChosen)
{
    VoteTable table({1, 0, 1});
    seRandom g(2);
    int counts[3] = {};
    for (int i = 0; i < 4000; ++i)
        ++counts[table.Choose(g)];
    EXPECT_EQ(counts[1], 0);
    EXPECT_NEAR(counts[0] / 4000.0, 0.5, 0.04);
    EXPECT_NEAR(counts[2] / 4000.0, 0.5, 0.04);
}

TEST(VoteTable, ChoicesFollowTheWeights)
{
    VoteTable table({1, 3, 0, 4});
    seRandom g(3);
    constexpr int kDraws = 16000;
    int counts[4] = {};
    for (int i = 0; i < kDraws; ++i)
        ++counts[table.Choose(g)];
    EXPECT_NEAR(counts[0] / double(kDraws), 0.125, 0.015);
    EXPECT_NEAR(counts[1] / double(kDraws), 0.375, 0.015);
    EXPECT_EQ(counts[2], 0);
    EXPECT_NEAR(counts[3] / double(kDraws), 0.5, 0.015);
}

TEST(VoteTable, ExcludedOnlyChoiceIsAcceptedOnTheTenthDraw)
{
    std::vector<int> weights(10, 0);
    weights[7] = 5;
    VoteTable table(weights);
    constexpr int32_t kSeed = 4;
    seRandom g(kSeed);
    EXPECT_EQ(table.Choose(g, {7}, 10), 7);
    EXPECT_EQ(drawsConsumed(g, kSeed), 10);
}

struct LimitCase {
    int drawLimit;
    int expectedDraws;
};

class VoteTableDrawLimit : public testing::TestWithParam<LimitCase> {};

TEST_P(VoteTableDrawLimit, EverythingExcludedStopsAtTheLimit)
{
    VoteTable table({1, 1, 1});
    constexpr int32_t kSeed = 9;
    seRandom g(kSeed);
    const int j = table.Choose(g, {0, 1, 2}, GetParam().drawLimit);
    EXPECT_GE(j, 0);
    EXPECT_LT(j, 3);
    EXPECT_EQ(drawsConsumed(g, kSeed), GetParam().expectedDraws);
}

// A limit below one still makes the one draw that gives the answer.
INSTANTIATE_TEST_SUITE_P(Limits, VoteTableDrawLimit,
    testing::Values(LimitCase{1, 1}, LimitCase{3, 3}, LimitCase{10, 10}, LimitCase{0, 1}));

TEST(VoteTable, ExclusionsRedrawWhileOtherChoicesRemain)
{
    VoteTable table({1, 1});
    seRandom g(5);
    int excludedWins = 0;
    for (int i = 0; i < 2000; ++i)
        excludedWins += table.Choose(g, {0}) == 0 ? 1 : 0;
    // Index 0 survives only ten draws in a row of it: about one time in 1024.
    EXPECT_LT(excludedWins, 10);
}

TEST(VoteTable, EmptyTableGivesZeroWithoutDrawing)
{
    VoteTable table;
    constexpr int32_t kSeed = 6;
    seRandom g(kSeed);
    EXPECT_EQ(table.size(), 0);
    EXPECT_EQ(table.Choose(g, {0}), 0);
    EXPECT_EQ(drawsConsumed(g, kSeed), 0);
}

TEST(VoteTable, KeepBaseFlagDecidesWhetherTheBaseFollows)
{
    VoteTable table({1, 1});
    table.SetWeights({3, 1}, false);
    EXPECT_FLOAT_EQ(table.distribution()[0], 0.75f);
    ASSERT_EQ(table.base().size(), 2u);
    EXPECT_FLOAT_EQ(table.base()[0], 0.5f);
    table.SetWeights({1, 3}, true);
    EXPECT_EQ(table.base(), table.distribution());
    EXPECT_FLOAT_EQ(table.base()[0], 0.25f);
}

TEST(VoteTable, RandomWeightsDrawInIndexOrderAndBecomeTheBase)
{
    constexpr int32_t kSeed = 7;
    seRandom g(kSeed);
    VoteTable table;
    table.RandomWeights(5, g);

    seRandom twin(kSeed);
    std::vector<int> weights;
    for (int i = 0; i < 5; ++i) {
        weights.push_back(twin.rand(1000));
        EXPECT_LT(weights.back(), 1000);
    }
    VoteTable expected(weights);
    EXPECT_EQ(table.size(), 5);
    EXPECT_EQ(table.distribution(), expected.distribution());
    EXPECT_EQ(table.base(), table.distribution());
    EXPECT_EQ(g.next(), twin.next());
}

} // namespace
