// The float and integer stack-program patterns.
#include "PatternTestSupport.h"

#include <climits>

using namespace patterns_test;

namespace {

std::array<float, PatternFloat::kCapacity> Filled(float v)
{
    std::array<float, PatternFloat::kCapacity> a;
    a.fill(v);
    return a;
}

struct FloatCase {
    const char* name;
    std::vector<int> program;
    float x, y;
    std::function<float(float cx, float cy)> expected;  // the top of the stack
};

TEST(PatternFloat, EveryOpcodeActsAsWritten)
{
    auto k = [](float v) { return [v](float, float) { return v; }; };
    const FloatCase cases[] = {
        {"push x", {0}, 0.3f, 0.0f, k(0.3f)},
        {"push x limited", {0}, 2.0f, 0.0f, k(1.0f)},
        {"push y limited", {1}, 0.0f, -3.0f, k(-1.0f)},
        {"mean", {0, 1, 2}, 0.2f, 0.6f, k(0.4f)},
        {"mean of one leaves it", {0, 2}, 0.2f, 0.6f, k(0.2f)},
        {"product", {0, 1, 3}, 0.2f, 0.6f, k(0.12f)},
        {"square of one", {0, 3}, 0.5f, 0.0f, k(0.25f)},
        {"ratio small over large", {0, 1, 4}, 0.2f, 0.8f, k(0.25f)},
        {"ratio other way", {0, 1, 4}, 0.8f, 0.2f, k(0.25f)},
        {"ratio of zeros keeps zero", {0, 1, 4}, 0.0f, 0.0f, k(0.0f)},
        {"half difference", {0, 1, 5}, 0.2f, 0.6f, k(0.2f)},
        {"negate one", {0, 5}, 0.3f, 0.0f, k(-0.3f)},
        {"distance to centre", {0, 1, 6}, 0.2f, 0.6f,
         [](float cx, float cy) { return std::sqrt((0.6f - cx) * (0.6f - cx) + (0.2f - cy) * (0.2f - cy)) / std::sqrt(8.0f); }},
        {"constant at its position", {0, 7}, 0.1f, 0.0f, k(0.5f)},
        {"swap", {0, 1, 8}, 0.2f, 0.6f, k(0.2f)},
        {"root of magnitude", {0, 9}, -0.25f, 0.0f, k(0.5f)},
        {"square", {0, 10}, 0.5f, 0.0f, k(0.25f)},
        {"sine with frequency", {0, 11}, 0.25f, 0.0f, k(std::sin(2.0f * 0.25f))},
        {"cosine with frequency", {0, 12}, 0.25f, 0.0f, k(std::cos(2.0f * 0.25f))},
        {"max", {0, 1, 13}, 0.2f, 0.6f, k(0.6f)},
        {"min", {0, 1, 14}, 0.2f, 0.6f, k(0.2f)},
        {"city distance", {0, 1, 15}, 0.2f, 0.6f,
         [](float cx, float cy) { return (std::fabs(0.6f - cx) + std::fabs(0.2f - cy)) / 4.0f; }},
        {"unary on empty stack is harmless", {3, 5, 9, 10, 11, 12}, 0.5f, 0.5f, k(0.0f)},
    };
    for (const auto& c : cases) {
        seRandom r(4);
        PatternFloat pf(MakeEnv(r));
        pf.SetProgram(c.program, Filled(0.5f), Filled(2.0f));
        const float top = c.expected(pf.CentreX(), pf.CentreY());
        EXPECT_NEAR(pf.Run(c.x, c.y), top, 1e-6f) << c.name;
        float out[1];
        const float in[2] = {c.x, c.y};
        pf.Compute(in, out);
        EXPECT_NEAR(out[0], top * 0.5f + 0.5f, 1e-6f) << c.name;
    }
}

TEST(PatternFloat, OneInputUsesTheSameValueForYAndEmptyGivesOneHalf)
{
    seRandom r(4);
    PatternFloat pf(MakeEnv(r));
    pf.SetProgram({1}, Filled(0), Filled(1));
    float out[1];
    const float one[1] = {-0.5f};
    pf.Compute(one, out);
    EXPECT_FLOAT_EQ(out[0], 0.25f);
    pf.SetProgram({}, Filled(0), Filled(1));
    pf.Compute(one, out);
    EXPECT_FLOAT_EQ(out[0], 0.5f);
}

TEST(PatternFloat, SetupAppendsACombinerWhenTwoValuesRemain)
{
    std::array<float, PatternFloat::kCapacity> constants{};
    constants[1] = 0.5f;
    std::set<int> seen;
    for (int seed = 1; seed <= 100; ++seed) {
        seRandom r(seed);
        PatternFloat pf(MakeEnv(r));
        pf.SetProgram({0, 7}, constants, Filled(1));
        pf.Run(0.5f, 0.5f);
        EXPECT_EQ(pf.StackSize(), 2);
        pf.AppendCombiners();
        const auto prog = pf.Program();
        ASSERT_EQ(prog.size(), 3u);
        EXPECT_GE(prog[2], 2);
        EXPECT_LE(prog[2], 6);
        seen.insert(prog[2]);
        pf.Run(0.5f, 0.5f);
        EXPECT_EQ(pf.StackSize(), 1);
    }
    EXPECT_EQ(seen.size(), 5u);
}

TEST(PatternFloat, SetupBuildsProgramsThatStartWithTheInputsAndLeaveOneValue)
{
    for (int nIn : {1, 2}) {
        for (int seed = 1; seed <= 60; ++seed) {
            seRandom r(seed);
            PatternFloat pf(MakeEnv(r));
            pf.Setup(nIn, 1, false, 2);
            ASSERT_TRUE(pf.IsSetUp());
            const auto prog = pf.Program();
            ASSERT_LE(prog.size(), static_cast<size_t>(PatternFloat::kCapacity));
            if (nIn == 1) {
                ASSERT_GE(prog.size(), 1u);
                EXPECT_EQ(prog[0], 0);
            } else {
                ASSERT_GE(prog.size(), 3u);
                EXPECT_TRUE((prog[0] == 0 && prog[1] == 1) || (prog[0] == 1 && prog[1] == 0));
            }
            for (int op : prog) {
                EXPECT_GE(op, 0);
                EXPECT_LT(op, PatternFloat::kOpcodes);
            }
            EXPECT_GE(pf.Attempts(), 1);
            EXPECT_LE(pf.Attempts(), 32);
            // Taken either for enough distinct values or after the 31st failure.
            std::set<float> distinct;
            for (float x : {-1.0f, -0.5f, 0.0f, 0.5f, 1.0f})
                for (float y : {-1.0f, -0.5f, 0.0f, 0.5f, 1.0f}) {
                    distinct.insert(pf.Run(x, nIn == 1 ? x : y));
                }
            if (pf.Attempts() < 32) {
                EXPECT_GT(static_cast<int>(distinct.size()), 2 * nIn) << "seed " << seed;
            }
        }
    }
}

TEST(PatternFloat, SetupDrawsCentreConstantsFrequenciesAndProgramInOrder)
{
    int checked = 0;
    for (int seed = 1; seed <= 60; ++seed) {
        for (int nIn : {1, 2}) {
            seRandom r(seed), twin(seed);
            PatternFloat pf(MakeEnv(r));
            EXPECT_EQ(pf.CentreX(), static_cast<float>(2.0 * twin.uniform() - 1.0));
            EXPECT_EQ(pf.CentreY(), static_cast<float>(2.0 * twin.uniform() - 1.0));
            pf.Setup(nIn, 1, false, 2);
            if (pf.Attempts() != 1) continue;  // later attempts redraw everything
            ++checked;
            for (int k = 0; k < PatternFloat::kCapacity; ++k)
                EXPECT_EQ(pf.Constants()[k], static_cast<float>(2.0 * twin.uniform() - 1.0)) << k;
            for (int k = 0; k < PatternFloat::kCapacity; ++k) EXPECT_EQ(pf.Frequencies()[k], twin.rand(6) + 1) << k;
            std::vector<int> want;
            int length;
            if (nIn == 1) {
                length = twin.biased(7, 2) + 1;
                want.push_back(0);
            } else {
                length = twin.rand(7) + 3;
                want = twin.rand(2) != 0 ? std::vector<int>{0, 1} : std::vector<int>{1, 0};
            }
            while (static_cast<int>(want.size()) < length) want.push_back(twin.rand(16));
            const auto prog = pf.Program();
            ASSERT_GE(prog.size(), want.size());
            EXPECT_TRUE(std::equal(want.begin(), want.end(), prog.begin())) << "seed " << seed << " nIn " << nIn;
            for (size_t k = want.size(); k < prog.size(); ++k) EXPECT_EQ(prog[k], twin.rand(5) + 2);
            EXPECT_EQ(r.next(), twin.next());
        }
    }
    EXPECT_GT(checked, 10);
}

TEST(PatternFloat, SetupThatCanNeverSucceedStopsAfterThirtyTwoAttempts)
{
    // More than 2 x 13 distinct values out of 25 samples is impossible.
    seRandom r(8);
    PatternFloat pf(MakeEnv(r));
    pf.Setup(13, 1, false, 2);
    EXPECT_TRUE(pf.IsSetUp());
    EXPECT_EQ(pf.Attempts(), 32);
}

std::array<int32_t, PatternInt::kCapacity> IntConstants(int32_t v)
{
    std::array<int32_t, PatternInt::kCapacity> a;
    a.fill(v);
    return a;
}

struct IntCase {
    const char* name;
    std::vector<int> program;
    int32_t X, Y;
    int32_t expected;
};

TEST(PatternInt, EveryOpcodeActsAsWrittenWithWrappingArithmetic)
{
    const IntCase cases[] = {
        {"push", {0, 1}, 3, 4, 4},
        {"sum", {0, 1, 2}, 3, 4, 7},
        {"sum wraps", {0, 1, 2}, INT_MAX, 1, INT_MIN},
        {"double one", {0, 2}, 21, 0, 42},
        {"product", {0, 1, 3}, -3, 4, -12},
        {"product wraps", {0, 1, 3}, 65536, 65536, 0},
        {"square one", {0, 3}, 9, 0, 81},
        {"quotient", {0, 1, 4}, 17, 5, 3},
        {"quotient truncates", {0, 1, 4}, -17, 5, -3},
        {"zero divisor leaves 0", {0, 1, 4}, 17, 0, 0},
        {"most negative over -1 wraps", {0, 1, 4}, INT_MIN, -1, INT_MIN},
        {"difference", {0, 1, 5}, 3, 10, 7},
        {"negate one", {0, 5}, 3, 0, -3},
        {"negate most negative wraps", {0, 5}, INT_MIN, 0, INT_MIN},
        {"xor", {0, 1, 6}, 12, 10, 6},
        {"mod keeps the dividend's sign", {0, 1, 7}, -7, 3, -1},
        {"mod by the most negative", {0, 1, 7}, 5, INT_MIN, 5},
        {"mod needs a divisor of 2 or more", {0, 1, 7}, -7, 1, 1},
        {"and", {0, 1, 8}, 12, 10, 8},
        {"hypotenuse of small values", {0, 1, 9}, 3, 4, 5},
        {"quarter sum of large values", {0, 1, 9}, 100, 4, 26},
        {"quarter sum without overflow", {0, 1, 9}, INT_MAX, INT_MAX, INT_MAX / 2},
        {"or", {0, 1, 10}, 12, 10, 14},
        {"constant", {0, 11}, 1, 0, 77},
        {"swap", {0, 1, 13}, 1, 2, 1},
        {"root", {0, 14}, -17, 0, 4},
        {"log", {0, 15}, 20, 0, 2},
        {"log of 0 leaves 0", {0, 15}, 0, 0, 0},
        {"log of the most negative", {0, 15}, INT_MIN, 0, 21},
        {"square wraps", {0, 16}, 46341, 0, static_cast<int32_t>(46341u * 46341u)},
        {"empty stack ops are harmless", {2, 3, 5, 14, 15, 16}, 1, 1, 0},
    };
    for (const auto& c : cases) {
        seRandom r(4);
        PatternInt pi(MakeEnv(r));
        pi.SetProgram(c.program, IntConstants(77));
        EXPECT_EQ(pi.Run(c.X, c.Y), c.expected) << c.name;
    }
}

TEST(PatternInt, InputsFarOutsideTheSquareAreHeldNotUndefined)
{
    seRandom r(4);
    PatternInt pi(MakeEnv(r));
    pi.SetProgram({0, 1, 2}, IntConstants(0));
    for (float v : {1e30f, -1e30f, INFINITY, NAN}) {
        float out[1] = {-1.0f};
        const float in[2] = {v, 0.0f};
        pi.Compute(in, out);
        EXPECT_GE(out[0], 0.0f) << v;
        EXPECT_LT(out[0], 1.0f) << v;
    }
}

TEST(PatternInt, RandomOpcodePushesADrawBelowTheTop)
{
    seRandom r(4);
    PatternInt pi(MakeEnv(r));
    pi.SetProgram({0, 12}, IntConstants(0));
    std::set<int32_t> seen;
    for (int n = 0; n < 200; ++n) {
        const int32_t v = pi.Run(-10, 0);
        EXPECT_GE(v, 0);
        EXPECT_LT(v, 10);
        EXPECT_EQ(pi.StackSize(), 2);
        seen.insert(v);
    }
    EXPECT_GT(seen.size(), 5u);
    EXPECT_GE(pi.Run(INT_MIN, 0), 0);
}

TEST(PatternInt, ResultIsTheTopModuloTheScreenScale)
{
    seRandom r(4);
    PatternEnv env = MakeEnv(r);
    PatternInt pi(env);
    EXPECT_EQ(pi.Scale(), kScreenW);
    pi.SetProgram({0, 1, 2}, IntConstants(0));
    float out[1];
    const float in[2] = {0.5f, 1.0f};  // X = 480, Y = 640
    pi.Compute(in, out);
    EXPECT_FLOAT_EQ(out[0], static_cast<float>((480 + 640) % 640) / 640.0f);
    pi.SetProgram({0, 5}, IntConstants(0));  // -X: the magnitude counts
    pi.Compute(in, out);
    EXPECT_FLOAT_EQ(out[0], 480.0f / 640.0f);
    pi.SetProgram({}, IntConstants(0));
    pi.Compute(in, out);
    EXPECT_EQ(out[0], 0.0f);
}

TEST(PatternInt, SetupLeavesOneValueAndStopsWhenItCanNeverSucceed)
{
    for (int seed = 1; seed <= 60; ++seed) {
        seRandom r(seed);
        PatternInt pi(MakeEnv(r));
        pi.Setup(2, 1, false, 2);
        ASSERT_TRUE(pi.IsSetUp());
        const auto prog = pi.Program();
        ASSERT_GE(prog.size(), 3u);
        ASSERT_LE(prog.size(), static_cast<size_t>(PatternInt::kCapacity));
        EXPECT_TRUE((prog[0] == 0 && prog[1] == 1) || (prog[0] == 1 && prog[1] == 0));
        EXPECT_LE(pi.Attempts(), 32);
    }
    // A screen of size 0 gives the scale 1: every value is 0, so no program ever passes.
    seRandom r(3);
    PatternEnv env = MakeEnv(r);
    env.width = 0;
    env.height = 0;
    PatternInt pi(env);
    EXPECT_EQ(pi.Scale(), 1);
    pi.Setup(2, 1, false, 2);
    EXPECT_TRUE(pi.IsSetUp());
    EXPECT_EQ(pi.Attempts(), 32);
    float out[1] = {-1.0f};
    const float in[2] = {0.3f, 0.9f};
    pi.Compute(in, out);
    EXPECT_EQ(out[0], 0.0f);
}

} // namespace
