// The piecewise-linear and spline interpolators.
#include "Patterns/Interpolator.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct ValueCase {
    std::vector<float> xs, ys;
    float x;
    float expected;
};

class LinearValues : public testing::TestWithParam<ValueCase> {};

TEST_P(LinearValues, MatchTheTable)
{
    const auto& c = GetParam();
    InterpLinear lin(c.xs, c.ys);
    EXPECT_FLOAT_EQ(lin.Value(c.x), c.expected) << "x = " << c.x;
}

const std::vector<float> kTentX = {0, 1, 2};
const std::vector<float> kTentY = {0, 10, 0};
const std::vector<float> kStepX = {0, 1, 1, 2};
const std::vector<float> kStepY = {0, 2, 4, 0};

INSTANTIATE_TEST_SUITE_P(Tables, LinearValues,
                         testing::Values(ValueCase{kTentX, kTentY, 0.5f, 5.0f}, ValueCase{kTentX, kTentY, 1.5f, 5.0f},
                                         ValueCase{kTentX, kTentY, -1.0f, 0.0f}, ValueCase{kTentX, kTentY, 3.0f, 0.0f},
                                         ValueCase{kTentX, kTentY, 1.0f, 10.0f}, ValueCase{kTentX, kTentY, 0.25f, 2.5f},
                                         // the first of two equal x values wins; the last segment starts at (1, 4)
                                         ValueCase{kStepX, kStepY, 1.0f, 2.0f}, ValueCase{kStepX, kStepY, 1.5f, 2.0f},
                                         ValueCase{kStepX, kStepY, 0.5f, 1.0f}));

TEST(InterpLinear, RemembersTheSegmentAndForgetsItOutsideTheRange)
{
    InterpLinear lin(kTentX, kTentY);
    EXPECT_EQ(lin.LastSegment(), -1);
    EXPECT_FLOAT_EQ(lin.Value(1.5f), 5.0f);
    EXPECT_EQ(lin.LastSegment(), 2);
    EXPECT_FLOAT_EQ(lin.Value(1.75f), 2.5f);  // same segment, no search
    EXPECT_EQ(lin.LastSegment(), 2);
    EXPECT_FLOAT_EQ(lin.Value(0.5f), 5.0f);   // leaves the segment: searched again
    EXPECT_EQ(lin.LastSegment(), 1);
    EXPECT_FLOAT_EQ(lin.Value(5.0f), 0.0f);
    EXPECT_EQ(lin.LastSegment(), -1);
    EXPECT_FLOAT_EQ(lin.Value(-5.0f), 0.0f);
    EXPECT_EQ(lin.LastSegment(), 0);
}

TEST(InterpLinear, NewPointsDropTheRememberedSegment)
{
    InterpLinear lin({0, 1, 2, 3}, {0, 1, 2, 3});
    EXPECT_FLOAT_EQ(lin.Value(2.5f), 2.5f);
    EXPECT_EQ(lin.LastSegment(), 3);
    lin.SetPoints({0, 1}, {10, 20});
    EXPECT_EQ(lin.LastSegment(), -1);
    EXPECT_FLOAT_EQ(lin.Value(0.5f), 15.0f);
    EXPECT_FLOAT_EQ(lin.Value(2.5f), 20.0f);
}

TEST(InterpSpline, TwoPointsGiveTheStraightLineEverywhere)
{
    InterpSpline sp({1, 3}, {2, 6});
    for (float x : {-2.0f, 1.0f, 1.5f, 2.0f, 3.0f, 7.0f}) EXPECT_NEAR(sp.Value(x), 2.0f * x, 1e-5f) << x;
}

TEST(InterpSpline, PointsOnALineAreReproducedExactly)
{
    std::vector<float> xs = {0, 1, 2, 3, 4};
    std::vector<float> ys;
    for (float x : xs) ys.push_back(2.0f * x + 1.0f);
    InterpSpline sp(xs, ys);
    for (float p : sp.SecondDerivatives()) EXPECT_EQ(p, 0.0f);
    for (float x : {-1.0f, 0.0f, 0.3f, 1.5f, 2.25f, 4.0f, 5.5f}) EXPECT_FLOAT_EQ(sp.Value(x), 2.0f * x + 1.0f) << x;

    // Uneven spacing: exact up to rounding.
    InterpSpline uneven({-1.0f, -0.3f, 0.2f, 0.9f}, {-2.0f, -0.6f, 0.4f, 1.8f});
    for (float x : {-0.8f, 0.0f, 0.5f, 0.85f}) EXPECT_NEAR(uneven.Value(x), 2.0f * x, 1e-5f) << x;
}

TEST(InterpSpline, NaturalSplineThroughThreePoints)
{
    // Worked by hand: on [0, 1] the spline is 1.5x - 0.5x^3 (second derivative 0 at 0 and -3 at 1).
    InterpSpline sp({0, 1, 2}, {0, 1, 0});
    ASSERT_EQ(sp.SecondDerivatives().size(), 3u);
    EXPECT_FLOAT_EQ(sp.SecondDerivatives()[0], 0.0f);
    EXPECT_FLOAT_EQ(sp.SecondDerivatives()[1], -3.0f);
    EXPECT_FLOAT_EQ(sp.SecondDerivatives()[2], 0.0f);
    EXPECT_FLOAT_EQ(sp.Value(0.5f), 0.6875f);
    EXPECT_FLOAT_EQ(sp.Value(1.5f), 0.6875f);
    for (float x : {0.0f, 1.0f, 2.0f}) EXPECT_NEAR(sp.Value(x), x == 1.0f ? 1.0f : 0.0f, 1e-6f);
}

TEST(InterpSpline, CoincidentKnotsGiveFiniteValues)
{
    InterpSpline sp({0, 1, 1, 1, 2}, {0, 1, 2, 3, 0});
    for (float x : {-0.5f, 0.5f, 1.0f, 1.5f, 2.5f}) EXPECT_TRUE(std::isfinite(sp.Value(x))) << x;
}

TEST(Interpolators, TooFewPointsGiveZeroOrTheOnlyValue)
{
    for (int kind : {kInterpLinear, kInterpSpline}) {
        auto none = CreateInterpolator(kind, {}, {});
        EXPECT_EQ(none->Value(0.3f), 0.0f) << kind;
        auto one = CreateInterpolator(kind, {0.5f}, {7.0f});
        EXPECT_EQ(one->Value(-3.0f), 7.0f) << kind;
        EXPECT_EQ(one->Value(3.0f), 7.0f) << kind;
        // Unequal tables are cut to the shorter one.
        auto cut = CreateInterpolator(kind, {0, 1, 2}, {4, 4});
        EXPECT_EQ(cut->size(), 2) << kind;
        EXPECT_NEAR(cut->Value(0.5f), 4.0f, 1e-6f) << kind;
    }
}

TEST(CreateInterpolator, KindChoosesTheClassAndThePointsAreCopied)
{
    struct Case {
        int kind;
        bool spline;
    };
    for (Case c : {Case{0, false}, Case{1, true}, Case{2, false}, Case{-1, false}, Case{99, false}}) {
        std::vector<float> xs = {0, 1, 2};
        std::vector<float> ys = {0, 1, 0};
        auto ip = CreateInterpolator(c.kind, xs, ys);
        EXPECT_EQ(dynamic_cast<InterpSpline*>(ip.get()) != nullptr, c.spline) << c.kind;
        EXPECT_EQ(dynamic_cast<InterpLinear*>(ip.get()) != nullptr, !c.spline) << c.kind;
        const float before = ip->Value(0.5f);
        ys[1] = 100.0f;
        xs[2] = 50.0f;
        EXPECT_EQ(ip->Value(0.5f), before) << c.kind;
    }
}

} // namespace
