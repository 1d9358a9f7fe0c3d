// The sine patterns: crossed waves, the vector of sines, the oscillator bank and the wavy form.
#include "PatternTestSupport.h"

#include <numbers>
#include <set>

using namespace patterns_test;

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
using Params = std::array<float, PatternSin::kParams>;
using Flags = std::array<bool, PatternSin::kParams>;

float Eval(PatternCalculator& p, std::vector<float> in)
{
    float out[1] = {-7.0f};
    p.Compute(in, out);
    return out[0];
}

// The crossed-wave formula written out plainly; sines[k] replaces sin(pi t) at place k
// (0 the y wave for the modulations, 1..3 the x wave for d, e, f, 4 U, 5 V).
float Crossed(const Params& P, const Flags& F, const BinOp& op, float x, float y,
              const std::array<std::function<float(float)>, 6>& sines)
{
    float a = P[0], b = P[1], c = P[2], d = P[3], e = P[4], f = P[5];
    const float s = sines[0](P[4] * y + P[5]);
    if (F[0]) a = P[0] * P[3] * s;
    if (F[1]) b = P[1] * P[3] * s;
    if (F[2]) c = P[2] * P[3] * s;
    if (F[3]) d = sines[1](P[1] * x + P[2]) * P[3] * P[0];
    if (F[4]) e = sines[2](P[1] * x + P[2]) * P[4] * P[0];
    if (F[5]) f = sines[3](P[1] * x + P[2]) * P[5] * P[0];
    const float U = sines[4](b * x + c) * a;
    const float V = sines[5](e * y + f) * d;
    return op.Combine(U, V, a, d) * 0.5f + 0.5f;
}

std::function<float(float)> SinPi() { return [](float t) { return std::sin(kPi * t); }; }

TEST(PatternSin, ReducedSimpleWaveAtHalfZeroGivesOneHalf)
{
    seRandom r(1);
    PatternSin sin(MakeEnv(r, PatternForm::Reduced));
    sin.SetWave({1, 1, 0, 1, 1, 0}, {true, true, true, true, true, true}, std::make_unique<BinOpAdd>(kLevels));
    EXPECT_FLOAT_EQ(Eval(sin, {0.5f, 0.0f}), 0.5f);
    // The reduced form always reads two inputs: a missing second input counts as 0.
    EXPECT_FLOAT_EQ(Eval(sin, {0.5f}), 0.5f);
}

TEST(PatternSin, FullFormWithOneInputIsTheSingleWave)
{
    seRandom r(1);
    PatternSin sin(MakeEnv(r));
    sin.SetWave({3, 2, 0.25f, 5, 4, 0.5f}, {true, false, true, false, true, false}, std::make_unique<BinOpMult>(kLevels));
    EXPECT_FLOAT_EQ(Eval(sin, {0.125f}), 1.0f);    // sin(pi/2)
    EXPECT_NEAR(Eval(sin, {-0.125f}), 0.5f, 1e-6f);  // sin(0)
    EXPECT_NEAR(Eval(sin, {0.625f}), 0.0f, 1e-6f);   // sin(3 pi / 2)
}

TEST(PatternSin, TwoInputsFollowTheCrossedWaveFormulaForEveryFlagSet)
{
    seRandom r(3);
    const Params P = {1.5f, 2.0f, 0.3f, 2.5f, 3.0f, -0.4f};
    for (int mask = 0; mask < 64; ++mask) {
        Flags F;
        for (int k = 0; k < 6; ++k) F[k] = (mask >> k) & 1;
        for (int kind : {0, 2, 7}) {
            PatternSin sin(MakeEnv(r));
            sin.SetWave(P, F, MakeBinOp(kind, kLevels));
            for (float x : {-0.9f, -0.2f, 0.35f, 1.0f})
                for (float y : {-1.0f, 0.1f, 0.6f}) {
                    const float want = Crossed(P, F, *sin.Operator(), x, y, {SinPi(), SinPi(), SinPi(), SinPi(), SinPi(), SinPi()});
                    ASSERT_NEAR(Eval(sin, {x, y}), want, 1e-5f) << "mask " << mask << " kind " << kind << " at " << x << "," << y;
                }
        }
    }
}

TEST(PatternSin, CachedYWaveIsRenewedWhenYChanges)
{
    seRandom r(9);
    const Params P = {2, 3, 0.1f, 1.5f, 2.5f, 0.2f};
    const Flags F = {true, true, true, false, false, false};
    PatternSin walker(MakeEnv(r));
    walker.SetWave(P, F, std::make_unique<BinOpAdd>(kLevels));
    for (float y : {0.3f, 0.3f, -0.6f, 0.3f, 0.9f}) {
        for (float x : {-0.5f, 0.25f}) {
            PatternSin fresh(MakeEnv(r));
            fresh.SetWave(P, F, std::make_unique<BinOpAdd>(kLevels));
            EXPECT_FLOAT_EQ(Eval(walker, {x, y}), Eval(fresh, {x, y})) << x << "," << y;
        }
    }
}

TEST(PatternSin, FullSetupDrawsInTheWrittenOrder)
{
    for (int seed = 1; seed <= 60; ++seed) {
        for (bool simple : {false, true}) {
            seRandom r(seed);
            seRandom twin(seed);
            PatternSin sin(MakeEnv(r));
            sin.Setup(2, 1, simple, 2);
            const int opKind = twin.rand(kBinOpKinds);
            EXPECT_EQ(sin.Operator()->Name(), MakeBinOp(opKind, kLevels)->Name());
            const bool coin = twin.rand(2) != 0;
            Params want;
            if (!coin || simple) {
                want[0] = twin.rand(6) + 1;
                want[1] = twin.rand(6) + 1;
                want[2] = simple ? 0.0f : static_cast<float>(2.0 * twin.uniform() - 1.0);
                want[3] = twin.rand(6) + 1;
                want[4] = twin.rand(6) + 1;
                want[5] = simple ? 0.0f : static_cast<float>(2.0 * twin.uniform() - 1.0);
            } else {
                for (int k : {0, 1}) want[k] = static_cast<float>((1.0 - twin.uniform()) * 6.0);
                want[2] = static_cast<float>(twin.uniform());
                for (int k : {3, 4}) want[k] = static_cast<float>((1.0 - twin.uniform()) * 6.0);
                want[5] = static_cast<float>(twin.uniform());
            }
            Flags flags;
            for (int k : {3, 4, 5, 0, 1, 2}) flags[k] = twin.rand(2) != 0;
            for (int k = 0; k < 6; ++k) {
                EXPECT_NEAR(sin.Params()[k], want[k], 1e-6f) << "seed " << seed << " P" << k;
                EXPECT_EQ(sin.Flags()[k], flags[k]) << "seed " << seed << " F" << k;
            }
            EXPECT_EQ(r.next(), twin.next()) << "seed " << seed;
            // A second Setup draws nothing.
            seRandom& g = r;
            const int32_t before = seRandom(g).next();
            sin.Setup(2, 1, simple, 2);
            EXPECT_EQ(seRandom(g).next(), before);
        }
    }
}

TEST(PatternSin, ReducedSimpleSetupGivesAllModulationsSmallIntegersAndTheAddingOperator)
{
    int small = 0, total = 0;
    for (int seed = 1; seed <= 200; ++seed) {
        seRandom r(seed);
        PatternSin sin(MakeEnv(r, PatternForm::Reduced));
        EXPECT_EQ(sin.Operator(), nullptr);  // the reduced form draws its operator in Setup
        sin.Setup(2, 1, true, 5);
        ASSERT_NE(sin.Operator(), nullptr);
        EXPECT_EQ(sin.Operator()->Name(), "BinOpAdd");
        for (bool f : sin.Flags()) EXPECT_TRUE(f);
        for (int k : {0, 1, 3, 4}) {
            const float p = sin.Params()[k];
            EXPECT_EQ(p, std::floor(p));
            EXPECT_GE(p, 1.0f);
            EXPECT_LE(p, 6.0f);
            small += p <= 3.0f;
            ++total;
        }
        EXPECT_EQ(sin.Params()[2], 0.0f);
        EXPECT_EQ(sin.Params()[5], 0.0f);
        // out x 2 - 1 = (U + V) / (|a| + |d|)
        const float v = Eval(sin, {0.3f, -0.7f});
        const float want = Crossed(sin.Params(), sin.Flags(), *sin.Operator(), 0.3f, -0.7f,
                                   {SinPi(), SinPi(), SinPi(), SinPi(), SinPi(), SinPi()});
        EXPECT_NEAR(v, want, 1e-6f);
    }
    EXPECT_GT(small, total * 2 / 3) << "small frequencies should be the likely ones";
}

TEST(PatternSin, ReducedNonSimpleSetupCanDrawAnyOperator)
{
    std::set<std::string> ops;
    for (int seed = 1; seed <= 300; ++seed) {
        seRandom r(seed);
        PatternSin sin(MakeEnv(r, PatternForm::Reduced));
        sin.Setup(2, 1, false, 2);
        ops.insert(std::string(sin.Operator()->Name()));
    }
    EXPECT_EQ(ops.size(), static_cast<size_t>(kBinOpKinds));
}

TEST(PatternVecSin, OneSinePerOutputAndNoWritePastTheOutput)
{
    seRandom r(21);
    PatternVecSin vec(MakeEnv(r));
    EXPECT_TRUE(vec.IsVector());
    EXPECT_EQ(vec.OutputCount(4), 4);
    vec.Setup(2, 4, false, 2);
    EXPECT_EQ(vec.Size(), 4);
    float out[5] = {-1, -1, -1, -1, -9};
    const float in[2] = {0.2f, -0.4f};
    vec.Compute(in, std::span<float>(out, 4));
    for (int k = 0; k < 4; ++k) {
        EXPECT_GE(out[k], 0.0f);
        EXPECT_LE(out[k], 1.0f);
    }
    EXPECT_EQ(out[4], -9.0f);
    float shortOut[3] = {-1, -1, -9};
    vec.Compute(in, std::span<float>(shortOut, 2));
    EXPECT_EQ(shortOut[0], out[0]);
    EXPECT_EQ(shortOut[1], out[1]);
    EXPECT_EQ(shortOut[2], -9.0f);
}

PatternSinFM::Matrix Column(std::initializer_list<float> v)
{
    PatternSinFM::Matrix m{};
    int i = 0;
    for (float x : v) m[i++][0] = x;
    return m;
}

TEST(PatternSinFM, ChainValuesBeyondAThousandAreHeldAtPlusAThousand)
{
    struct Case {
        const char* name;
        bool additive;
        std::initializer_list<float> amp;
        float expected;
    };
    // Phases pi/2 with frequency 0: every first stage is sin(pi/2) x Q = Q.
    const Case cases[] = {
        {"product below -1000", false, {-2000.0f, 1.0f}, 1000.0f / 2000.0f},
        {"product above 1000", false, {40.0f, 40.0f, 1.0f}, 1000.0f / 1600.0f},
        {"sum above 1000", true, {1500.0f, -1.0f}, 999.0f / 1501.0f},
        {"sum below -1000, held again after adding", true, {-1500.0f, 2.0f}, 1000.0f / 1502.0f},
        {"plain sum", true, {2.0f, -1.0f}, 1.0f / 3.0f},
        {"tiny product is 0", false, {1e-6f, 1e-6f}, 0.0f},
        {"zero norm returns the sum", true, {0.0f, 0.0f}, 0.0f},
    };
    for (const Case& c : cases) {
        seRandom r(1);
        PatternSinFM fm(MakeEnv(r));
        const int n = static_cast<int>(c.amp.size());
        PatternSinFM::Matrix phase{};
        for (int i = 0; i < n; ++i) phase[i][0] = kPi / 2;
        fm.SetBank(c.additive, true, true, n, 1, PatternSinFM::Matrix{}, Column(c.amp), phase);
        EXPECT_NEAR(fm.Wave(0.37f), c.expected, 1e-6f) << c.name;
    }
}

TEST(PatternSinFM, LaterStagesModulateByValueOrByFrequency)
{
    seRandom r(1);
    PatternSinFM fm(MakeEnv(r));
    PatternSinFM::Matrix P{}, Q{}, R{};
    P[0][0] = 1.0f; Q[0][0] = 0.5f;
    P[0][1] = 2.0f; Q[0][1] = 3.0f; R[0][1] = 0.25f;
    const float x = 0.3f;
    const float first = std::sin(kPi * (1.0f * x)) * 0.5f;
    fm.SetBank(true, true, true, 1, 2, P, Q, R);
    EXPECT_NEAR(fm.Wave(x), std::sin(kPi * 2.0f * first + 0.25f) * 3.0f / 3.0f, 1e-6f);
    fm.SetBank(true, false, true, 1, 2, P, Q, R);
    EXPECT_NEAR(fm.Wave(x), std::sin(kPi * first * x + 0.25f) * 3.0f / 3.0f, 1e-6f);
    fm.SetBank(true, true, false, 1, 2, P, Q, R);
    EXPECT_NEAR(fm.Wave(x), std::sin(kPi * 2.0f * (std::sin(x) * 0.5f) + 0.25f), 1e-6f);
}

TEST(PatternSinFM, SetupMeetsItsTestAndHonoursSimpleAndSkewOne)
{
    for (int seed = 1; seed <= 150; ++seed) {
        seRandom r(seed);
        PatternSinFM fm(MakeEnv(r));
        fm.Setup(0, 0, true, 1);
        ASSERT_TRUE(fm.IsSetUp());
        EXPECT_TRUE(fm.Additive());
        EXPECT_EQ(fm.Stages(), 1);
        EXPECT_GE(fm.Chains(), 1);
        EXPECT_LE(fm.Chains(), 10);
        float largest = 0.0f;
        for (int i = 0; i < fm.Chains(); ++i) {
            const float p = fm.Frequency(i, 0), q = fm.Amplitude(i, 0);
            EXPECT_EQ(p, std::floor(p));
            EXPECT_GE(p, 1.0f);
            EXPECT_EQ(q, std::floor(q));
            EXPECT_NE(q, 0.0f);
            EXPECT_LE(std::fabs(q), 6.0f);
            EXPECT_EQ(fm.Phase(i, 0), 0.0f);
            largest = std::max(largest, p);
        }
        EXPECT_GT(largest, 1.0f) << "seed " << seed;
    }
}

TEST(PatternSinFM, SlopeIsTheDerivativeOfASingleStageAdditiveBank)
{
    for (int seed = 1; seed <= 30; ++seed) {
        seRandom r(seed);
        PatternSinFM fm(MakeEnv(r));
        fm.Setup(0, 0, seed % 2 == 0, 1);
        const float h = 1e-3f;
        for (float x : {-2.0f, -0.4f, 0.0f, 0.7f, 1.9f}) {
            const float numeric = (fm.Wave(x + h) - fm.Wave(x - h)) / (2 * h);
            EXPECT_NEAR(fm.Slope(x), numeric, 0.02f * (1.0f + std::fabs(numeric))) << "seed " << seed << " x " << x;
        }
    }
}

TEST(PatternSinFMWavy, EachOscillatorReplacesItsOwnSine)
{
    // With frequency 1/pi an oscillator at pi t is exactly sin(pi t); an amplitude of 0 makes it 0.
    PatternSinFM::Matrix P{}, Q{}, R{};
    P[0][0] = 1.0f / kPi;
    Q[0][0] = 1.0f;
    const Params params = {1.5f, 2.0f, 0.3f, 2.5f, 3.0f, -0.4f};
    for (int mask : {0, 7, 56, 63, 21}) {
        Flags F;
        for (int k = 0; k < 6; ++k) F[k] = (mask >> k) & 1;
        for (int silent = -1; silent < PatternSinFMWavy::kOscillators; ++silent) {
            seRandom r(2);
            PatternSinFMWavy wavy(MakeEnv(r));
            wavy.SetWave(params, F, std::make_unique<BinOpAdd>(kLevels));
            std::array<std::function<float(float)>, 6> sines;
            for (int k = 0; k < 6; ++k) {
                const bool off = k == silent;
                wavy.Oscillator(k).SetBank(true, true, true, 1, 1, P, off ? PatternSinFM::Matrix{} : Q, R);
                sines[k] = off ? std::function<float(float)>([](float) { return 0.0f; }) : SinPi();
            }
            for (float x : {-0.6f, 0.45f})
                for (float y : {-0.3f, 0.8f})
                    EXPECT_NEAR(Eval(wavy, {x, y}), Crossed(params, F, *wavy.Operator(), x, y, sines), 1e-4f)
                        << "mask " << mask << " silent " << silent;
        }
    }
}

TEST(PatternSinFMWavy, SetupSetsUpTheSineAndAllSixOscillators)
{
    seRandom r(12);
    PatternSinFMWavy wavy(MakeEnv(r));
    wavy.Setup(2, 1, false, 2);
    EXPECT_TRUE(wavy.IsSetUp());
    for (int k = 0; k < PatternSinFMWavy::kOscillators; ++k) EXPECT_TRUE(wavy.Oscillator(k).IsSetUp()) << k;
    EXPECT_NE(wavy.Operator(), nullptr);
}

} // namespace
