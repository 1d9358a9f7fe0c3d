// The nine binary operators and their factory.
#include "PatternTestSupport.h"
#include "tests/support/TempFolder.h"

#include "shell/Trace.h"

#include <set>

using namespace patterns_test;

namespace {

struct CombineCase {
    int kind;
    float a, b, ra, rb;
    float expected;
};

class BinOpCombine : public testing::TestWithParam<CombineCase> {};

TEST_P(BinOpCombine, GivesTheTableValue)
{
    const auto& c = GetParam();
    auto op = MakeBinOp(c.kind, kLevels);
    EXPECT_FLOAT_EQ(op->Combine(c.a, c.b, c.ra, c.rb), c.expected)
        << op->Name() << " (" << c.a << ", " << c.b << ", " << c.ra << ", " << c.rb << ")";
}

// Kinds: 0 add, 1 mult, 2 sqrt, 3 and, 4 or, 5 xor, 6 mod, 7 min, 8 atan.
INSTANTIATE_TEST_SUITE_P(
    Values, BinOpCombine,
    testing::Values(CombineCase{0, 1, 1, 1, 1, 1.0f}, CombineCase{0, 0, 0, 0, 0, 0.0f},
                    CombineCase{0, 0.5f, -0.25f, -1, 2, 0.25f / 3.0f},
                    CombineCase{1, 0.5f, 0.5f, 1, 1, 0.25f}, CombineCase{1, 0.5f, 0.5f, 0, 1, 0.0f},
                    CombineCase{1, -2, 3, 2, 3, -1.0f},
                    CombineCase{2, 3, 4, 3, 4, 1.0f}, CombineCase{2, 0, 0, 0, 0, 0.0f},
                    CombineCase{2, 0, 3, 4, 3, 0.6f},
                    // A = B = 256 for a = ra, b = rb
                    CombineCase{3, 1, 1, 1, 1, 1.0f}, CombineCase{4, 1, 1, 1, 1, 0.5f},
                    CombineCase{5, 1, 1, 1, 1, 0.0f}, CombineCase{5, 1, -1, 1, 1, 0.5f},
                    // A = 128 (a = 0), B = 192 (b = rb / 2): 128 AND 192 = 128, OR = 192, XOR = 64
                    CombineCase{3, 0, 0.5f, 1, 1, 0.5f}, CombineCase{4, 0, 0.5f, 1, 1, 192.0f / 512.0f},
                    CombineCase{5, 0, 0.5f, 1, 1, 64.0f / 512.0f},
                    // mod: G = 128, B = 192 -> 128 / 256 / 2; B = 0 -> G / levels in integers
                    CombineCase{6, 0, 0.5f, 1, 1, 0.25f}, CombineCase{6, 1, -1, 1, 1, 1.0f},
                    CombineCase{6, 0, -1, 1, 1, 0.0f}, CombineCase{6, 1, 0, 1, 1, 0.0f},
                    CombineCase{7, 0.5f, -0.25f, 1, 0.5f, -0.5f}, CombineCase{7, 0.5f, 0.25f, 2, 0.5f, 0.25f},
                    CombineCase{8, 1, 1, 1, 1, 0.25f}, CombineCase{8, 1, -1, 1, 1, 0.75f},
                    CombineCase{8, 0, 0.5f, 1, 1, 0.0f}, CombineCase{8, 0.5f, 0, 1, 1, 0.0f},
                    CombineCase{8, 0, 0, 0, 0, 0.0f}));

TEST(BinOp, ZeroRangeGivesZeroForTheRangeDividingOperators)
{
    for (int kind : {3, 4, 5, 6, 7}) {
        auto op = MakeBinOp(kind, kLevels);
        EXPECT_EQ(op->Combine(0.5f, 0.5f, 0.0f, 1.0f), 0.0f) << op->Name();
        EXPECT_EQ(op->Combine(0.5f, 0.5f, 1.0f, 0.0f), 0.0f) << op->Name();
    }
}

TEST(BinOp, ResultsStayInMinusOneToOneForInputsWithinTheirRanges)
{
    seRandom r(17);
    for (int kind = 0; kind < kBinOpKinds; ++kind) {
        auto op = MakeBinOp(kind, kLevels);
        for (int n = 0; n < 5000; ++n) {
            const float ra = static_cast<float>(r.symmetric() * 6.0);
            const float rb = static_cast<float>(r.symmetric() * 6.0);
            const float a = static_cast<float>(r.symmetric()) * ra;
            const float b = static_cast<float>(r.symmetric()) * rb;
            const float v = op->Combine(a, b, ra, rb);
            ASSERT_TRUE(std::isfinite(v)) << op->Name();
            ASSERT_GE(v, -1.0f) << op->Name() << " " << a << " " << b << " " << ra << " " << rb;
            ASSERT_LE(v, 1.0f) << op->Name() << " " << a << " " << b << " " << ra << " " << rb;
        }
        // The extremes a = +-ra, b = +-rb.
        for (float sa : {-1.0f, 1.0f})
            for (float sb : {-1.0f, 1.0f}) {
                const float v = op->Combine(sa * 3.0f, sb * 2.0f, 3.0f, 2.0f);
                EXPECT_GE(v, -1.0f) << op->Name();
                EXPECT_LE(v, 1.0f) << op->Name();
            }
    }
}

TEST(BinOp, BitwiseOperatorsStayInRangeEvenBeyondTheirRanges)
{
    for (int kind : {3, 4, 5, 6}) {
        auto op = MakeBinOp(kind, kLevels);
        for (float a : {-50.0f, -2.0f, 2.0f, 50.0f, NAN}) {
            const float v = op->Combine(a, 0.3f, 1.0f, 1.0f);
            EXPECT_GE(v, 0.0f) << op->Name() << " a = " << a;
            EXPECT_LE(v, 1.0f) << op->Name() << " a = " << a;
        }
    }
}

TEST(BinOp, LevelsBelowTwoAreRaisedSoNothingDividesByZero)
{
    for (int levels : {-5, 0, 1}) {
        for (int kind = 0; kind < kBinOpKinds; ++kind) {
            auto op = MakeBinOp(kind, levels);
            EXPECT_EQ(op->Levels(), PatternEnv::kMinLevels);
            EXPECT_TRUE(std::isfinite(op->Combine(0.3f, -0.7f, 1.0f, 1.0f))) << op->Name();
        }
    }
}

TEST(MakeBinOp, KindsNameTheNineClassesInOrder)
{
    const std::vector<std::string> names = {"BinOpAdd", "BinOpMult", "BinOpSqrt", "BinOpAnd", "BinOpOr",
                                            "BinOpXOr", "BinOpMod",  "BinOpMin",  "BinOpAtan"};
    for (int k = 0; k < kBinOpKinds; ++k) EXPECT_EQ(MakeBinOp(k, kLevels)->Name(), names[k]);
    EXPECT_EQ(MakeBinOp(9, kLevels)->Name(), "BinOpAdd");
    EXPECT_EQ(MakeBinOp(-1, kLevels)->Name(), "BinOpAdd");
}

TEST(CreateBinOp, DrawsOneKindAndCopiesTheLevels)
{
    std::set<std::string> seen;
    for (int seed = 1; seed <= 200; ++seed) {
        seRandom r(seed);
        seRandom twin(seed);
        PatternEnv env = MakeEnv(r, PatternForm::Full, 200);
        auto op = CreateBinOp(env);
        EXPECT_EQ(op->Name(), MakeBinOp(twin.rand(kBinOpKinds), 2)->Name());
        EXPECT_EQ(op->Levels(), 200);
        EXPECT_EQ(r.next(), twin.next()) << "one draw only";
        seen.insert(std::string(op->Name()));
    }
    EXPECT_EQ(seen.size(), static_cast<size_t>(kBinOpKinds));
}

TEST(CreateBinOp, WritesTheTraceLine)
{
    const testsupport::TempFolder folder("patterns_binop");
    ASSERT_FALSE(folder.path().empty());
    TraceLog log(folder.path(), plat::systemClock());
    seRandom r(5);
    PatternEnv env = MakeEnv(r);
    env.trace = &log;
    auto op = CreateBinOp(env);
    const std::string text = testsupport::readFile(log.filePath());
    EXPECT_NE(text.find("BinOp line 76 : (typeid(*pBinOp)).name() = " + std::string(op->Name()) + "\r\n"),
              std::string::npos)
        << text;
}

} // namespace
