// Noise, plasma, fractal, network and checkered patterns.
#include "PatternTestSupport.h"
#include "tests/support/TempFolder.h"

#include "shell/Trace.h"

#include <algorithm>
#include <numbers>
#include <set>

using namespace patterns_test;

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

float Eval(PatternCalculator& p, std::vector<float> in)
{
    float out[1] = {-7.0f};
    p.Compute(in, out);
    return out[0];
}

float Knot(int k, int count) { return static_cast<float>(k) / static_cast<float>(count - 1) * 2.0f - 1.0f; }

// ---- noise

TEST(PatternNoise, SetupDrawsRowsThenColumnsThenTheGrid)
{
    std::set<int> sizes;
    for (int seed = 1; seed <= 80; ++seed) {
        seRandom r(seed);
        seRandom twin(seed);
        PatternNoise noise(MakeEnv(r));
        noise.Setup(2, 1, false, 2);
        const int rows = 2 << twin.rand(7);
        const int cols = 2 << twin.rand(7);
        ASSERT_EQ(noise.Rows(), rows);
        ASSERT_EQ(noise.Cols(), cols);
        sizes.insert(rows);
        for (int i = 0; i < rows; ++i)
            for (int j = 0; j < cols; ++j) ASSERT_EQ(noise.Cell(i, j), static_cast<float>(twin.uniform()));
        EXPECT_EQ(r.next(), twin.next());
    }
    EXPECT_EQ(*sizes.begin(), 2);
    EXPECT_EQ(*sizes.rbegin(), 128);
}

TEST(PatternNoise, KnotsGiveTheGridValuesAndBetweenColumnsItIsLinear)
{
    seRandom r(33);
    PatternNoise noise(MakeEnv(r));
    noise.Setup(2, 1, false, 2);
    const int rows = noise.Rows(), cols = noise.Cols();
    for (int i = 0; i < rows; i += std::max(1, rows / 7)) {
        for (int k = 0; k < cols; k += std::max(1, cols / 7)) {
            // The first input runs across the columns, the second along the rows.
            EXPECT_NEAR(Eval(noise, {Knot(k, cols), Knot(i, rows)}), noise.Cell(i, k), 1e-5f) << i << "," << k;
            if (k + 1 < cols) {
                const float mid = (Knot(k, cols) + Knot(k + 1, cols)) / 2.0f;
                EXPECT_NEAR(Eval(noise, {mid, Knot(i, rows)}), (noise.Cell(i, k) + noise.Cell(i, k + 1)) / 2.0f, 1e-4f);
            }
        }
    }
    // Between two rows, at a column knot: the mean of the two cells.
    if (rows > 1) {
        const float midRow = (Knot(0, rows) + Knot(1, rows)) / 2.0f;
        EXPECT_NEAR(Eval(noise, {Knot(0, cols), midRow}), (noise.Cell(0, 0) + noise.Cell(1, 0)) / 2.0f, 1e-4f);
    }
}

TEST(PatternNoise, CrossInterpolatorIsRebuiltWhenTheSecondInputChanges)
{
    seRandom r(34);
    PatternNoise walker(MakeEnv(r));
    walker.Setup(2, 1, false, 2);
    const std::vector<std::array<float, 2>> visits = {{0.1f, 0.2f}, {0.7f, 0.2f}, {0.1f, -0.9f}, {-0.4f, 0.2f}, {0.3f, 0.55f}};
    for (auto v : visits) {
        seRandom fresh(34);
        PatternNoise other(MakeEnv(fresh));
        other.Setup(2, 1, false, 2);
        EXPECT_FLOAT_EQ(Eval(walker, {v[0], v[1]}), Eval(other, {v[0], v[1]})) << v[0] << "," << v[1];
    }
}

TEST(PatternNoise, WritesTheSizeTraceLine)
{
    const testsupport::TempFolder folder("patterns_noise");
    ASSERT_FALSE(folder.path().empty());
    TraceLog log(folder.path(), plat::systemClock());
    seRandom r(7);
    PatternEnv env = MakeEnv(r);
    env.trace = &log;
    PatternNoise noise(env);
    noise.Setup(2, 1, false, 2);
    const std::string want = "PatternNoise line 50 : iRows << \" \" << iCols = " + std::to_string(noise.Rows()) + " " +
                             std::to_string(noise.Cols()) + "\r\n";
    const std::string text = testsupport::readFile(log.filePath());
    EXPECT_NE(text.find(want), std::string::npos) << text;
}

// ---- plasma

TEST(PatternPlasma, ComputeBeforePrepareBuildsA64By64Grid)
{
    seRandom r(3);
    PatternPlasma plasma(MakeEnv(r));
    EXPECT_EQ(plasma.GridRows(), 0);
    const float v = Eval(plasma, {0.0f, 0.0f});
    EXPECT_EQ(plasma.GridRows(), PatternPlasma::kDefaultSide);
    EXPECT_EQ(plasma.GridCols(), PatternPlasma::kDefaultSide);
    EXPECT_EQ(plasma.Grid().size(), 64u * 64u);
    EXPECT_GE(v, 0.0f);
    EXPECT_LE(v, 1.0f);
}

TEST(PatternPlasma, ComputeReadsTheGridCellScaledByTheMaximum)
{
    seRandom r(3);
    PatternPlasma plasma(MakeEnv(r));
    plasma.Prepare(5, 9);
    const auto& g = plasma.Grid();
    const struct {
        float x, y;
        int i, j;
    } cases[] = {{-1, -1, 0, 0}, {1, 1, 4, 8}, {0, 0, 2, 4}, {-3, 7, 0, 8}, {0.49f, -0.49f, 2, 2}};
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(Eval(plasma, {c.x, c.y}), static_cast<float>(g[c.i * 9 + c.j]) / 255.0f) << c.x << "," << c.y;
}

TEST(PatternPlasma, DegenerateSizesAreRaisedToOneCell)
{
    seRandom r(3);
    PatternPlasma plasma(MakeEnv(r));
    plasma.Prepare(0, -4);
    EXPECT_EQ(plasma.GridRows(), 1);
    EXPECT_EQ(plasma.GridCols(), 1);
    const float v = Eval(plasma, {0.9f, -0.9f});
    EXPECT_GE(v, 0.0f);
    EXPECT_LE(v, 1.0f);
    std::vector<int> grid = {1, 2, 3};
    EXPECT_TRUE(plasma.FillGrid(grid, 0, 7, false));
    EXPECT_TRUE(grid.empty());
}

TEST(PatternPlasma, ThreeByThreeGridIsOneSubdivisionStep)
{
    std::set<int> divisors;
    for (int seed = 1; seed <= 40; ++seed) {
        seRandom r(seed);
        seRandom twin(seed);
        PatternPlasma plasma(MakeEnv(r, PatternForm::Full, 100));
        const int d = 1 << twin.biased(5, 2);
        EXPECT_EQ(plasma.Divisor(), d);
        EXPECT_EQ(plasma.Maximum(), 99);
        divisors.insert(d);
        int want[3][3];
        for (auto& row : want)
            for (int& v : row) v = twin.rand(100);
        const int f = want[0][0], g = want[0][2], h = want[2][2], l = want[2][0];
        auto next = [&](int v, int rad) { return std::clamp(v + twin.rand(2 * rad) - rad, 0, 99); };
        want[0][1] = next((f + g) / 2, 2 / d);
        want[1][2] = next((g + h) / 2, 2 / d);
        want[2][1] = next((h + l) / 2, 2 / d);
        want[1][0] = next((f + l) / 2, 2 / d);
        want[1][1] = next((f + g + h + l) / 4, 4 / d);
        std::vector<int> grid;
        ASSERT_TRUE(plasma.FillGrid(grid, 3, 3, false));
        ASSERT_EQ(grid.size(), 9u);
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) EXPECT_EQ(grid[i * 3 + j], want[i][j]) << "seed " << seed << " cell " << i << "," << j;
        EXPECT_EQ(r.next(), twin.next()) << "seed " << seed;
    }
    EXPECT_GE(divisors.size(), 3u);
}

TEST(PatternPlasma, FillGridStaysInThePaletteForAnyShape)
{
    for (int seed = 1; seed <= 20; ++seed) {
        seRandom r(seed);
        PatternPlasma plasma(MakeEnv(r, PatternForm::Full, 100));
        const int rows = 1 + seed * 3 % 17, cols = 1 + seed * 7 % 23;
        std::vector<int> grid;
        ASSERT_TRUE(plasma.FillGrid(grid, rows, cols, seed % 2 == 0));
        ASSERT_EQ(grid.size(), static_cast<size_t>(rows * cols));
        for (int v : grid) {
            EXPECT_GE(v, 0);
            EXPECT_LE(v, 99);
        }
    }
}

TEST(PatternPlasma, BusySceneStopsTheSubdivisionAndLeavesTheRandomFill)
{
    seRandom r(5);
    seRandom twin(5);
    PatternEnv env = MakeEnv(r);
    env.sceneIdle = [] { return false; };
    PatternPlasma plasma(env);
    twin.biased(5, 2);
    std::vector<int> grid;
    ASSERT_TRUE(plasma.FillGrid(grid, 8, 8, false));
    for (int v : grid) EXPECT_EQ(v, twin.rand(256));
}

// ---- fractal

TEST(PatternFractal, ZeroConstantNeverEscapesInsideTheUnitDiscSoTheAttemptFails)
{
    seRandom r(1);
    PatternFractal fractal(MakeEnv(r));
    fractal.SetFractal(4.0f, 0.0f, 0.0f, {1.0f, 0.0f, 1.0f, 0.0f}, false, false, false);
    for (float x : {0.0f, 0.5f, -0.7f})
        for (float y : {0.0f, 0.5f, 0.7f}) EXPECT_EQ(fractal.Evaluate(x, y, false), 255) << x << "," << y;
    EXPECT_FALSE(fractal.SamplesAcceptable());
    // A point outside the bound escapes at once.
    fractal.SetFractal(4.0f, 0.0f, 0.0f, {3.0f, 0.0f, 3.0f, 0.0f}, false, false, false);
    EXPECT_EQ(fractal.Evaluate(1.0f, 1.0f, false), 0);
    EXPECT_FLOAT_EQ(Eval(fractal, {1.0f, 1.0f}), 0.0f);
    EXPECT_FLOAT_EQ(Eval(fractal, {0.1f, 0.1f}), 1.0f);
}

TEST(PatternFractal, EscapeCountOfAKnownOrbit)
{
    // z0 = 1.5 with c = 0: 2.25 < 4, then z = 2.25, |z|^2 = 5.06 >= 4: one step.
    seRandom r(1);
    PatternFractal fractal(MakeEnv(r));
    fractal.SetFractal(4.0f, 0.0f, 0.0f, {1.5f, 0.0f, 1.5f, 0.0f}, false, false, false);
    EXPECT_EQ(fractal.Evaluate(1.0f, 0.0f, false), 1);
    // The orbit-size colour adds truncate(levels x smallest |z|^2) = 256 x 5.0625 = 1296 -> (1 + 1296) mod 256.
    fractal.SetFractal(4.0f, 0.0f, 0.0f, {1.5f, 0.0f, 1.5f, 0.0f}, false, true, false);
    EXPECT_EQ(fractal.Evaluate(1.0f, 0.0f, true), (1 + 1296) % 256);
    // The edge colour adds truncate(levels x smallest |Re z|) = 256 x 2.25 = 576.
    fractal.SetFractal(4.0f, 0.0f, 0.0f, {1.5f, 0.0f, 1.5f, 0.0f}, false, false, true);
    EXPECT_EQ(fractal.Evaluate(1.0f, 0.0f, true), (1 + 576) % 256);
    // The angle colour: Re z = 2.25, Im z = 0: atan2(2.25, -0) / pi = 0.5 -> 256 x 1.5 / 2 x 4 = 768 -> 0.
    fractal.SetFractal(4.0f, 0.0f, 0.0f, {1.5f, 0.0f, 1.5f, 0.0f}, true, false, false);
    EXPECT_EQ(fractal.Evaluate(1.0f, 0.0f, true), 768 % 256);
    EXPECT_EQ(fractal.Evaluate(0.0f, 0.0f, true), 0);  // never escapes, Re z = 0
}

TEST(PatternFractal, SetupTakesOnlyAcceptableAttemptsUnlessThirtyFailed)
{
    int accepted = 0;
    for (int seed = 1; seed <= 40; ++seed) {
        seRandom r(seed);
        PatternFractal fractal(MakeEnv(r));
        fractal.Setup(2, 1, false, 2);
        ASSERT_TRUE(fractal.IsSetUp());
        EXPECT_LE(fractal.Attempts(), 31);
        const float c2 = fractal.CRe() * fractal.CRe() + fractal.CIm() * fractal.CIm();
        EXPECT_LT(c2, fractal.Bound());
        EXPECT_GE(fractal.Bound(), 4.0f);
        EXPECT_LE(fractal.Bound(), 23.0f);
        EXPECT_GE(fractal.View().halfWidth * 2, 0.001f);
        EXPECT_GE(fractal.View().halfHeight * 2, 0.001f);
        if (fractal.Attempts() <= 30) {
            EXPECT_TRUE(fractal.SamplesAcceptable()) << "seed " << seed;
            ++accepted;
        }
    }
    EXPECT_GT(accepted, 0);
}

// The set-up's sample test written out: 4 x 4 probes, none may stay, and at least four
// counts must lie 4 or more apart from every count kept before them.
bool Acceptable(const PatternFractal& f)
{
    std::vector<int> kept;
    for (float x : {0.0f, 0.25f, 0.5f, 0.75f})
        for (float y : {0.0f, 0.25f, 0.5f, 0.75f}) {
            const int s = f.Evaluate(x, y, false);
            if (s >= 255) return false;
            bool isNew = true;
            for (int k : kept) isNew = isNew && std::abs(s - k) >= 4;
            if (isNew) kept.push_back(s);
        }
    return kept.size() >= 4;
}

TEST(PatternFractal, SampleTestKeepsCountsFourApart)
{
    int yes = 0, no = 0;
    for (int seed = 1; seed <= 60; ++seed) {
        seRandom r(seed);
        PatternFractal f(MakeEnv(r));
        // Random fractals, some acceptable and some not.
        const float re = static_cast<float>(r.symmetric()) * 1.2f, im = static_cast<float>(r.symmetric()) * 1.2f;
        const float w = static_cast<float>(r.uniform()) * 2.5f + 0.001f;
        f.SetFractal(4.0f + static_cast<float>(r.rand(10)), re, im, {w, 0.0f, w, 0.0f}, false, false, false);
        const bool want = Acceptable(f);
        EXPECT_EQ(f.SamplesAcceptable(), want) << "seed " << seed;
        (want ? yes : no)++;
    }
    EXPECT_GT(yes, 0);
    EXPECT_GT(no, 0);
}

TEST(PatternFractal, FirstAttemptDrawsInTheWrittenOrder)
{
    int checked = 0;
    for (int seed = 1; seed <= 400; ++seed) {
        seRandom r(seed), twin(seed);
        PatternFractal f(MakeEnv(r));
        f.Setup(2, 1, false, 2);
        if (f.Attempts() != 1) continue;
        ++checked;
        auto u = [&twin] { return static_cast<float>(twin.uniform()); };
        const float bound = static_cast<float>(twin.biased(20, 3) + 4);
        twin.rand(2), twin.rand(2), twin.rand(2);  // angle, orbit size, edge
        float re, im;
        do {
            const float p = u() * 1.75f;
            re = u() * p;
            if (u() < 0.9f) re = -re;
            const float s = u() >= 0.85f ? (twin.rand(2) != 0 ? 1.0f : -1.0f) : (re > 0 ? -1.0f : (re < 0 ? 1.0f : 0.0f));
            const float q = u() * 1.75f;
            im = u() * q * s;
        } while (re * re + im * im >= bound);
        float x0, y0, x1, y1;
        do {
            if (u() >= 0.75f) {
                float v[4];
                for (float& c : v) {
                    const float a = 2 * u() - 1;
                    c = a * 2 * u();
                }
                x0 = v[0], y0 = v[1], x1 = v[2], y1 = v[3];
            } else {
                const float a = 2 * u() - 1;
                const float b = u();
                const float g = std::fabs(a * 2 * b * b * b);
                x0 = y0 = -g;
                x1 = y1 = g;
            }
        } while (x1 - x0 < 0.001f || y1 - y0 < 0.001f);
        EXPECT_EQ(f.Bound(), bound) << seed;
        EXPECT_EQ(f.CRe(), re) << seed;
        EXPECT_EQ(f.CIm(), im) << seed;
        EXPECT_FLOAT_EQ(f.View().halfWidth, (x1 - x0) / 2) << seed;
        EXPECT_FLOAT_EQ(f.View().centreY, (y0 + y1) / 2) << seed;
        EXPECT_EQ(r.next(), twin.next()) << seed;
    }
    EXPECT_GT(checked, 3);
}

TEST(PatternFractal, TinyPaletteDoesNotDivideByZero)
{
    seRandom r(2);
    PatternFractal fractal(MakeEnv(r, PatternForm::Full, 1));
    fractal.SetFractal(4.0f, 0.1f, 0.2f, {1.0f, 0.0f, 1.0f, 0.0f}, true, true, true);
    const float v = Eval(fractal, {0.3f, 0.3f});
    EXPECT_TRUE(std::isfinite(v));
    EXPECT_GE(v, 0.0f);
    EXPECT_LE(v, 1.0f);
}

// ---- network

TEST(PatternNetwork, SetupShapesTheLayers)
{
    for (int seed = 1; seed <= 50; ++seed) {
        for (bool simple : {false, true}) {
            seRandom r(seed);
            PatternNetwork net(MakeEnv(r));
            EXPECT_TRUE(net.IsVector());
            EXPECT_EQ(net.OutputCount(3), 3);
            net.Setup(2, 3, simple, 2);
            const auto& L = net.Layers();
            ASSERT_GE(L.size(), 3u);
            ASSERT_LE(L.size(), 10u);
            EXPECT_EQ(L.front().values.size(), 2u);
            EXPECT_EQ(L.back().values.size(), 3u);
            for (size_t k = 1; k + 1 < L.size(); ++k) {
                EXPECT_GE(L[k].values.size(), 2u);
                EXPECT_LE(L[k].values.size(), 11u);
            }
            for (size_t k = 0; k < L.size(); ++k) {
                if (simple) {
                    EXPECT_EQ(L[k].phase, 0.0f);
                    EXPECT_EQ(L[k].kind, 0);
                }
                EXPECT_GE(L[k].kind, 0);
                EXPECT_LE(L[k].kind, 2);
                EXPECT_LE(std::fabs(L[k].phase), kPi);
                if (k > 0) {
                    EXPECT_EQ(L[k].weights.size(), L[k].values.size() * L[k - 1].values.size());
                    for (float w : L[k].weights) EXPECT_LE(std::fabs(w), 8.0f);
                }
            }
        }
    }
}

TEST(PatternNetwork, SimpleSetupDrawsInTheWrittenOrder)
{
    for (int seed = 1; seed <= 40; ++seed) {
        seRandom r(seed), twin(seed);
        PatternNetwork net(MakeEnv(r));
        net.Setup(2, 3, true, 2);
        const int L = twin.biased(8, 2) + 3;
        std::vector<int> sizes = {2};
        for (int k = 1; k < L - 1; ++k) sizes.push_back(twin.biased(10, 3) + 2);
        sizes.push_back(3);
        for (int k = 0; k < L; ++k) twin.uniform();  // one unused draw per layer; simple: no phase, no kind
        twin.uniform();                              // the noise draw (simple: no noise)
        const auto& layers = net.Layers();
        ASSERT_EQ(static_cast<int>(layers.size()), L);
        for (int k = 1; k < L; ++k) {
            ASSERT_EQ(static_cast<int>(layers[k].values.size()), sizes[k]);
            for (int j = 0; j < sizes[k]; ++j) {
                if (k != L - 1) twin.uniform();  // the bias draw
                for (int i = 0; i < sizes[k - 1]; ++i)
                    ASSERT_EQ(layers[k].weights[j * sizes[k - 1] + i], static_cast<float>((2.0f * static_cast<float>(twin.uniform()) - 1.0f) * 8.0f))
                        << "seed " << seed << " layer " << k;
            }
        }
        EXPECT_EQ(r.next(), twin.next());
    }
}

TEST(PatternNetwork, ActivationKindsOnKnownWeights)
{
    struct Case {
        int kind;
        float phase;
        float weight;
        std::function<float(float)> expected;  // of the weighted sum s
    };
    const Case cases[] = {
        {0, 0.0f, 0.0f, [](float) { return 0.5f; }},
        {1, kPi / 2, 0.0f, [](float) { return 1.0f; }},
        {2, 0.0f, 0.0f, [](float) { return 0.0f; }},
        {0, 0.3f, 1.5f, [](float s) { return (std::sin(0.3f + s) + 1) / 2; }},
        {1, 0.3f, -2.5f, [](float s) { return std::fabs(std::sin(0.3f + s)); }},
        {2, 0.0f, 7.0f, [](float s) { const float t = std::fabs(s) / 4; return t - std::floor(t); }},
    };
    for (const auto& c : cases) {
        seRandom r(11);
        PatternNetwork net(MakeEnv(r));
        net.Setup(1, 1, true, 1);
        const auto& L = net.Layers();
        // Every layer gets the same kind, phase and weights; the sums are then known layer by layer.
        for (size_t k = 1; k < L.size(); ++k)
            net.SetLayer(static_cast<int>(k), c.phase, c.kind, std::vector<float>(L[k].weights.size(), c.weight));
        const float x = 0.4f;
        float v = (x + 1) / 2;
        std::vector<float> values(1, v);
        for (size_t k = 1; k < L.size(); ++k) {
            float s = 0;
            for (float p : values) s += p * c.weight;
            values.assign(L[k].values.size(), c.expected(s));
        }
        EXPECT_NEAR(Eval(net, {x}), values[0], 1e-5f) << "kind " << c.kind << " weight " << c.weight;
    }
}

TEST(PatternNetwork, WritesNoMoreOutputsThanFitOrExist)
{
    seRandom r(12);
    PatternNetwork net(MakeEnv(r));
    net.Setup(2, 2, false, 2);
    float out[4] = {-9, -9, -9, -9};
    const float in[2] = {0.1f, 0.2f};
    net.Compute(in, std::span<float>(out, 4));
    EXPECT_GE(out[0], 0.0f);
    EXPECT_GE(out[1], 0.0f);
    EXPECT_EQ(out[2], -9.0f);  // only two outputs exist
    float one[2] = {-9, -9};
    net.Compute(in, std::span<float>(one, 1));
    EXPECT_EQ(one[0], out[0]);
    EXPECT_EQ(one[1], -9.0f);
}

// ---- checkered

TEST(PatternCheckered, SineValuesAddZeroOneOrTwoWithWeightTwo)
{
    struct Case {
        float in;
        int added;
    };
    for (Case c : {Case{-kPi / 2, 0}, Case{0.0f, 1}, Case{kPi / 2, 2}}) {
        seRandom r(1);
        PatternCheckered ch(MakeEnv(r));
        ch.SetBands(1.0f, 8, 3, {2});
        EXPECT_FLOAT_EQ(Eval(ch, {c.in}), static_cast<float>((3 + c.added) % 8) / 8.0f) << c.in;
    }
}

TEST(PatternCheckered, EachInputAddsItsTruncatedWeightedStep)
{
    seRandom r(1);
    PatternCheckered ch(MakeEnv(r));
    ch.SetBands(2.0f, 7, 5, {10, 3});
    const float x = 0.2f, y = -0.6f;
    int sum = static_cast<int>(10 * (std::sin(x * 2.0f) + 1) / 2);
    sum = static_cast<int>(3 * (std::sin(y * 2.0f) + 1) / 2 + static_cast<float>(sum));
    EXPECT_FLOAT_EQ(Eval(ch, {x, y}), static_cast<float>((5 + sum) % 7) / 7.0f);
}

TEST(PatternCheckered, ConstructionAndSetupDrawInOrderAndTraceTheDivisions)
{
    const testsupport::TempFolder folder("patterns_checkered");
    ASSERT_FALSE(folder.path().empty());
    TraceLog log(folder.path(), plat::systemClock());
    for (int seed = 1; seed <= 30; ++seed) {
        seRandom r(seed);
        seRandom twin(seed);
        PatternEnv env = MakeEnv(r);
        env.trace = &log;
        PatternCheckered ch(env);
        EXPECT_EQ(ch.Frequency(), static_cast<float>(twin.rand(10) + 1));
        const int div = twin.biased(8, 3) + 2;
        EXPECT_EQ(ch.Divisions(), div);
        EXPECT_EQ(ch.Offset(), twin.rand(div));
        ch.Setup(3, 1, false, 2);
        ASSERT_EQ(ch.Weights().size(), 3u);
        for (int w : ch.Weights()) EXPECT_EQ(w, twin.rand(100) + 2);
        const std::string text = testsupport::readFile(log.filePath());
        EXPECT_NE(text.find("PatternCheckered line 31 : m_iDivisions = " + std::to_string(div) + "\r\n"), std::string::npos);
    }
}

} // namespace
