// Properties of the whole family: value range, repeatability, the factory, grid filling,
// the signed form and set-ups cut short by a waiting message.
#include "PatternTestSupport.h"
#include "tests/support/TempFolder.h"

#include "shell/Trace.h"

#include <map>
#include <set>

using namespace patterns_test;

namespace {

constexpr int kSeeds = 24;
constexpr int kGridSteps = 40;

std::vector<float> Sample(PatternCalculator& p, int nIn, int nOut)
{
    std::vector<float> values;
    std::vector<float> out(static_cast<size_t>(nOut));
    const auto axis = Axis(kGridSteps);
    if (nIn == 1) {
        for (float x : axis) {
            const float in[1] = {x};
            p.Compute(in, out);
            values.insert(values.end(), out.begin(), out.end());
        }
        return values;
    }
    for (float x : axis)
        for (float y : axis) {
            const float in[2] = {x, y};
            p.Compute(in, out);
            values.insert(values.end(), out.begin(), out.end());
        }
    return values;
}

class EveryKind : public testing::TestWithParam<KindCase> {};

TEST_P(EveryKind, OutputsStayInZeroToOneOverADenseGridForManySeeds)
{
    const KindCase& k = GetParam();
    for (int seed = 1; seed <= kSeeds; ++seed) {
        for (bool simple : {false, true}) {
            seRandom r(seed * 7919);
            auto p = k.make(MakeEnv(r, k.form));
            p->Setup(k.nIn, k.nOut, simple, 1 + seed % 3);
            ASSERT_TRUE(p->IsSetUp()) << k.name << " seed " << seed;
            for (float v : Sample(*p, k.nIn, k.nOut)) {
                ASSERT_TRUE(std::isfinite(v)) << k.name << " seed " << seed;
                ASSERT_GE(v, 0.0f) << k.name << " seed " << seed << " simple " << simple;
                ASSERT_LE(v, 1.0f) << k.name << " seed " << seed << " simple " << simple;
            }
        }
    }
}

TEST_P(EveryKind, OutputsOutsideTheInputSquareStayInRangeToo)
{
    const KindCase& k = GetParam();
    seRandom r(99);
    auto p = k.make(MakeEnv(r, k.form));
    p->Setup(k.nIn, k.nOut, false, 2);
    std::vector<float> out(static_cast<size_t>(k.nOut));
    for (float x : {-5.0f, -1.5f, 1.5f, 40.0f})
        for (float y : {-3.0f, 2.0f}) {
            const float in[2] = {x, y};
            p->Compute(std::span<const float>(in, static_cast<size_t>(k.nIn)), out);
            for (float v : out) {
                EXPECT_TRUE(std::isfinite(v)) << k.name;
                EXPECT_GE(v, 0.0f) << k.name << " at " << x << "," << y;
                EXPECT_LE(v, 1.0f) << k.name << " at " << x << "," << y;
            }
        }
}

TEST_P(EveryKind, SameSeedGivesTheSameValues)
{
    const KindCase& k = GetParam();
    bool anyVaries = false;
    for (int seed : {3, 77, 1234}) {
        seRandom r1(seed), r2(seed);
        auto a = k.make(MakeEnv(r1, k.form));
        auto b = k.make(MakeEnv(r2, k.form));
        a->Setup(k.nIn, k.nOut, false, 2);
        b->Setup(k.nIn, k.nOut, false, 2);
        const auto va = Sample(*a, k.nIn, k.nOut);
        const auto vb = Sample(*b, k.nIn, k.nOut);
        ASSERT_EQ(va, vb) << k.name << " seed " << seed;
        EXPECT_EQ(r1.next(), r2.next()) << k.name;
        anyVaries = anyVaries || std::set<float>(va.begin(), va.end()).size() > 1;
    }
    EXPECT_TRUE(anyVaries) << k.name << " never varies over its inputs";
}

TEST_P(EveryKind, ComputeBeforeSetupIsSafeAndSecondSetupDrawsNothing)
{
    const KindCase& k = GetParam();
    seRandom r(5);
    auto p = k.make(MakeEnv(r, k.form));
    std::vector<float> out(static_cast<size_t>(k.nOut), 0.5f);
    const float in[2] = {0.25f, -0.5f};
    p->Compute(std::span<const float>(in, static_cast<size_t>(k.nIn)), out);
    for (float v : out) EXPECT_TRUE(std::isfinite(v)) << k.name;
    p->Setup(k.nIn, k.nOut, false, 2);
    ASSERT_TRUE(p->IsSetUp());
    const int32_t next = seRandom(r).next();
    p->Setup(k.nIn, k.nOut, true, 1);
    EXPECT_EQ(seRandom(r).next(), next) << k.name;
}

TEST_P(EveryKind, SignedFormIsTwiceTheValueLessOne)
{
    const KindCase& k = GetParam();
    seRandom r(8);
    auto p = k.make(MakeEnv(r, k.form));
    p->Setup(k.nIn, k.nOut, false, 2);
    std::vector<float> plain(static_cast<size_t>(k.nOut)), sign(static_cast<size_t>(k.nOut));
    for (float x : {-0.8f, 0.1f, 0.9f}) {
        const float in[2] = {x, -x / 2};
        const std::span<const float> ins(in, static_cast<size_t>(k.nIn));
        p->Compute(ins, plain);
        p->ComputeSigned(ins, sign);
        for (size_t j = 0; j < plain.size(); ++j) {
            if (k.name == "Int") continue;  // its random opcode draws afresh at every evaluation
            EXPECT_FLOAT_EQ(sign[j], 2 * plain[j] - 1) << k.name;
        }
        for (float v : sign) {
            EXPECT_GE(v, -1.0f) << k.name;
            EXPECT_LE(v, 1.0f) << k.name;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, EveryKind, testing::ValuesIn(AllKinds()),
                         [](const testing::TestParamInfo<KindCase>& i) { return i.param.name; });

// ---- factory

TEST(CreatePattern, DrawsTheKindFromTheWrittenRanges)
{
    const std::vector<std::string> scalarNames = {"PatternNetwork", "PatternFractal", "PatternSin",   "PatternInt",
                                                  "PatternFloat",   "PatternNoise",   "PatternCheckered", "PatternPlasma"};
    struct Case {
        bool scalar, plasma;
        int kinds;
    };
    for (Case c : {Case{true, true, 8}, Case{true, false, 7}, Case{false, true, 2}, Case{false, false, 2}}) {
        std::set<std::string> seen;
        for (int seed = 1; seed <= 300; ++seed) {
            seRandom r(seed), twin(seed);
            auto p = CreatePattern(MakeEnv(r), c.scalar, c.plasma);
            const int kind = twin.rand(c.kinds);
            const std::string want = c.scalar ? scalarNames[kind] : (kind == 0 ? "PatternNetwork" : "PatternVecSin");
            ASSERT_EQ(p->Name(), want) << "seed " << seed;
            EXPECT_EQ(p->IsVector(), !c.scalar || kind == 0);
            seen.insert(std::string(p->Name()));
        }
        EXPECT_EQ(seen.size(), static_cast<size_t>(c.kinds));
        EXPECT_EQ(seen.count("PatternPlasma"), c.scalar && c.plasma ? 1u : 0u);
    }
}

TEST(CreatePattern, WritesTheTraceLineNamingTheClass)
{
    const testsupport::TempFolder folder("patterns_factory");
    ASSERT_FALSE(folder.path().empty());
    TraceLog log(folder.path(), plat::systemClock());
    std::vector<std::string> names;
    for (int seed = 1; seed <= 6; ++seed) {
        seRandom r(seed);
        PatternEnv env = MakeEnv(r);
        env.trace = &log;
        names.emplace_back(CreatePattern(env, true, true)->Name());
    }
    const std::string text = testsupport::readFile(log.filePath());
    for (const auto& n : names)
        EXPECT_NE(text.find("PatternCalculator line 134 : (typeid(*pCalc).name()) = " + n + "\r\n"), std::string::npos) << n;
}

TEST(CreatePattern, NoTraceLogMeansNoTrace)
{
    seRandom r(1);
    EXPECT_NE(CreatePattern(MakeEnv(r), true, true), nullptr);  // trace pointer is null: nothing to write to
}

// ---- grid filling

// A calculator whose value is a known function of its inputs, recording what it is asked.
class Recorder final : public PatternCalculator {
public:
    using PatternCalculator::PatternCalculator;
    void Setup(int nIn, int nOut, bool simple, int skew) override
    {
        setups.push_back({nIn, nOut, simple ? 1 : 0, skew});
        m_bSetUp = true;
    }
    void Compute(std::span<const float> in, std::span<float> out) override
    {
        calls.push_back({in[0], in[1]});
        out[0] = value ? value(in[0], in[1]) : (in[0] + 1) / 2;
    }
    std::string_view Name() const override { return "Recorder"; }

    std::vector<std::array<int, 4>> setups;
    std::vector<std::array<float, 2>> calls;
    std::function<float(float, float)> value;
};

int Row(float in, int rows) { return static_cast<int>(std::lround((in + 1) / 2 * rows)); }

TEST(FillGrid, MirroredFiveByFiveComputesThreeByThreeAndMirrorsThem)
{
    seRandom r(1);
    Recorder rec(MakeEnv(r));
    rec.value = [](float x, float y) { return ((x + 1) * 5 + (y + 1)) / 20; };
    std::vector<int> grid;
    ASSERT_TRUE(rec.FillGrid(grid, 5, 5, true));
    ASSERT_EQ(rec.calls.size(), 9u);
    std::map<int, int> perRow;
    for (auto c : rec.calls) {
        const int i = Row(c[0], 5), j = Row(c[1], 5);
        EXPECT_LE(i, 2);
        EXPECT_LE(j, 2);
        ++perRow[i];
    }
    EXPECT_EQ(perRow[2], 3) << "the centre row is computed once";
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 5; ++j) {
            const int si = std::min(i, 4 - i), sj = std::min(j, 4 - j);
            const float x = static_cast<float>(si) / 5 * 2 - 1, y = static_cast<float>(sj) / 5 * 2 - 1;
            EXPECT_EQ(grid[i * 5 + j], static_cast<int>(256 * rec.value(x, y)) % 256) << i << "," << j;
        }
    ASSERT_EQ(rec.setups.size(), 1u);
    EXPECT_EQ(rec.setups[0], (std::array<int, 4>{2, 1, 0, 2}));
}

TEST(FillGrid, PlainGridComputesEveryCellAtItsInputs)
{
    seRandom r(1);
    Recorder rec(MakeEnv(r, PatternForm::Full, 100));
    std::vector<int> grid;
    ASSERT_TRUE(rec.FillGrid(grid, 4, 3, false));
    ASSERT_EQ(grid.size(), 12u);
    ASSERT_EQ(rec.calls.size(), 12u);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 3; ++j) {
            const auto c = rec.calls[static_cast<size_t>(i * 3 + j)];
            EXPECT_FLOAT_EQ(c[0], static_cast<float>(i) / 4 * 2 - 1);
            EXPECT_FLOAT_EQ(c[1], static_cast<float>(j) / 3 * 2 - 1);
            EXPECT_EQ(grid[i * 3 + j], static_cast<int>(100 * ((c[0] + 1) / 2)) % 100);
        }
}

TEST(FillGrid, DrawsOneRandomFillPerCellFirst)
{
    seRandom r(10), twin(10);
    Recorder rec(MakeEnv(r));
    std::vector<int> grid;
    rec.FillGrid(grid, 3, 4, false);
    for (int k = 0; k < 12; ++k) twin.rand(256);
    EXPECT_EQ(r.next(), twin.next());
}

TEST(FillGrid, MirrorCoversEveryCellOfOddAndEvenShapes)
{
    for (auto [rows, cols] : std::vector<std::pair<int, int>>{{1, 1}, {1, 6}, {2, 3}, {7, 4}, {6, 6}, {9, 1}}) {
        seRandom r(2);
        Recorder rec(MakeEnv(r));
        rec.value = [](float, float) { return 0.5f; };  // level 128 everywhere it computes
        std::vector<int> grid;
        ASSERT_TRUE(rec.FillGrid(grid, rows, cols, true));
        ASSERT_EQ(grid.size(), static_cast<size_t>(rows * cols));
        EXPECT_EQ(rec.calls.size(), static_cast<size_t>(((rows + 1) / 2) * ((cols + 1) / 2)));
        for (int v : grid) EXPECT_EQ(v, 128) << rows << "x" << cols;
    }
}

TEST(FillGrid, ValuesOutsideZeroToOneStayInThePalette)
{
    for (float bad : {1.0f, 1.5f, -0.5f, NAN, INFINITY}) {
        seRandom r(2);
        Recorder rec(MakeEnv(r));
        rec.value = [bad](float, float) { return bad; };
        std::vector<int> grid;
        rec.FillGrid(grid, 2, 2, false);
        for (int v : grid) {
            EXPECT_GE(v, 0) << bad;
            EXPECT_LT(v, 256) << bad;
        }
    }
}

TEST(FillGrid, EmptySizesAndTheReducedFormGiveAnEmptyGrid)
{
    seRandom r(2);
    Recorder rec(MakeEnv(r));
    std::vector<int> grid = {5, 5};
    EXPECT_TRUE(rec.FillGrid(grid, 0, 4, false));
    EXPECT_TRUE(grid.empty());
    EXPECT_TRUE(rec.FillGrid(grid, 3, -1, true));
    EXPECT_TRUE(grid.empty());
    EXPECT_TRUE(rec.calls.empty());

    Recorder reduced(MakeEnv(r, PatternForm::Reduced));
    grid = {1};
    EXPECT_FALSE(reduced.FillGrid(grid, 4, 4, false));
    EXPECT_TRUE(grid.empty());
    PatternPlasma plasma(MakeEnv(r, PatternForm::Reduced));
    EXPECT_FALSE(plasma.FillGrid(grid, 4, 4, false));
    plasma.Prepare(8, 8);
    EXPECT_EQ(plasma.GridRows(), 0) << "the reduced form has no preparation";
    float out[1];
    const float in[2] = {0, 0};
    plasma.Compute(in, out);
    EXPECT_EQ(plasma.GridRows(), PatternPlasma::kDefaultSide);
}

TEST(FillGrid, RealPatternsFillMirroredGridsSymmetrically)
{
    for (int kind = 0; kind < kPatternScalarKinds; ++kind) {
        if (kind == kPatternPlasma) continue;  // the plasma fills its own way
        seRandom r(kind + 40);
        auto p = MakePattern(MakeEnv(r), true, kind);
        std::vector<int> grid;
        ASSERT_TRUE(p->FillGrid(grid, 9, 6, true));
        for (int i = 0; i < 9; ++i)
            for (int j = 0; j < 6; ++j) {
                EXPECT_EQ(grid[i * 6 + j], grid[(8 - i) * 6 + j]) << p->Name();
                EXPECT_EQ(grid[i * 6 + j], grid[i * 6 + (5 - j)]) << p->Name();
            }
    }
}

// ---- set-ups cut short by a waiting message

struct SlowCase {
    std::string name;
    std::function<std::unique_ptr<PatternCalculator>(const PatternEnv&)> make;
    bool simple;
};

class SlowSetup : public testing::TestWithParam<SlowCase> {};

TEST_P(SlowSetup, StopsWhileBusyAndFinishesAtTheNextIdleCall)
{
    const SlowCase& c = GetParam();
    int cutShort = 0;
    for (int seed = 1; seed <= 60; ++seed) {
        seRandom r(seed);
        bool busy = true;
        int asked = 0;
        PatternEnv env = MakeEnv(r);
        env.sceneIdle = [&] {
            ++asked;
            return !busy;
        };
        auto p = c.make(env);
        p->Setup(2, 1, c.simple, 2);
        if (!p->IsSetUp()) {
            ++cutShort;
            EXPECT_GT(asked, 0) << "seed " << seed;
            busy = false;
            p->Setup(2, 1, c.simple, 2);
            EXPECT_TRUE(p->IsSetUp()) << c.name << " seed " << seed;
        }
        float out[1];
        const float in[2] = {0.1f, 0.2f};
        p->Compute(in, out);
        EXPECT_GE(out[0], 0.0f);
        EXPECT_LE(out[0], 1.0f);
    }
    EXPECT_GT(cutShort, 0) << c.name << ": no seed was cut short, the busy path went untested";
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, SlowSetup,
    testing::Values(SlowCase{"SinFM", [](const PatternEnv& e) { return std::make_unique<PatternSinFM>(e); }, true},
                    SlowCase{"Wavy", [](const PatternEnv& e) { return std::make_unique<PatternSinFMWavy>(e); }, true},
                    SlowCase{"Float", [](const PatternEnv& e) { return std::make_unique<PatternFloat>(e); }, false},
                    SlowCase{"Int", [](const PatternEnv& e) { return std::make_unique<PatternInt>(e); }, false},
                    SlowCase{"Fractal", [](const PatternEnv& e) { return std::make_unique<PatternFractal>(e); }, false}),
    [](const testing::TestParamInfo<SlowCase>& i) { return i.param.name; });

TEST(SlowSetup, BusyOscillatorBankMakesExactlyOneAttempt)
{
    for (int seed = 1; seed <= 40; ++seed) {
        seRandom r(seed);
        PatternEnv env = MakeEnv(r);
        env.sceneIdle = [] { return false; };
        PatternSinFM fm(env);
        fm.Setup(0, 0, true, 1);
        EXPECT_EQ(fm.Attempts(), 1);
    }
}

TEST(PatternEnv, LevelsBelowTwoAreRaised)
{
    seRandom r(1);
    for (int levels : {-3, 0, 1, 2, 236}) {
        PatternEnv env = MakeEnv(r, PatternForm::Full, levels);
        EXPECT_EQ(env.SafeLevels(), std::max(levels, 2));
        Recorder rec(env);
        std::vector<int> grid;
        rec.FillGrid(grid, 3, 3, false);
        for (int v : grid) EXPECT_LT(v, std::max(levels, 2));
    }
}

} // namespace
