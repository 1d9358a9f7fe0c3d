// Timing of the pattern calculators: Compute of each kind, and filling a 256 x 256 grid.
#include "Patterns/Patterns.h"
#include "shell/Random.h"

#include <benchmark/benchmark.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr int kSeed = 12345;
constexpr int kGridSide = 256;
constexpr int kLevels = 256;
constexpr int kScreenW = 1280;
constexpr int kScreenH = 1024;
constexpr int kInputSteps = 64;

struct Kind {
    const char* name;
    std::function<std::unique_ptr<PatternCalculator>(const PatternEnv&)> make;
    int nOut;
};

const std::vector<Kind>& Kinds()
{
    static const std::vector<Kind> kinds = {
        {"Network", [](const PatternEnv& e) { return std::make_unique<PatternNetwork>(e); }, 3},
        {"Fractal", [](const PatternEnv& e) { return std::make_unique<PatternFractal>(e); }, 1},
        {"Sin", [](const PatternEnv& e) { return std::make_unique<PatternSin>(e); }, 1},
        {"Int", [](const PatternEnv& e) { return std::make_unique<PatternInt>(e); }, 1},
        {"Float", [](const PatternEnv& e) { return std::make_unique<PatternFloat>(e); }, 1},
        {"Noise", [](const PatternEnv& e) { return std::make_unique<PatternNoise>(e); }, 1},
        {"Checkered", [](const PatternEnv& e) { return std::make_unique<PatternCheckered>(e); }, 1},
        {"Plasma", [](const PatternEnv& e) { return std::make_unique<PatternPlasma>(e); }, 1},
        {"VecSin", [](const PatternEnv& e) { return std::make_unique<PatternVecSin>(e); }, 3},
        {"SinFM", [](const PatternEnv& e) { return std::make_unique<PatternSinFM>(e); }, 1},
        {"SinFMWavy", [](const PatternEnv& e) { return std::make_unique<PatternSinFMWavy>(e); }, 1},
    };
    return kinds;
}

PatternEnv MakeEnv(seRandom& r)
{
    PatternEnv env(r);
    env.levels = kLevels;
    env.width = kScreenW;
    env.height = kScreenH;
    return env;
}

// Compute over a sweep of inputs (the second input changes every kInputSteps calls, as
// when a grid is walked row by row).
void BM_Compute(benchmark::State& state)
{
    const Kind& kind = Kinds()[static_cast<size_t>(state.range(0))];
    state.SetLabel(kind.name);
    seRandom r(kSeed);
    auto p = kind.make(MakeEnv(r));
    p->Setup(2, kind.nOut, false, 2);
    p->Prepare(kGridSide, kGridSide);
    std::vector<float> out(static_cast<size_t>(kind.nOut));
    int k = 0;
    for (auto _ : state) {
        const float in[2] = {static_cast<float>(k % kInputSteps) / kInputSteps * 2 - 1,
                             static_cast<float>(k / kInputSteps % kInputSteps) / kInputSteps * 2 - 1};
        p->Compute(in, out);
        benchmark::DoNotOptimize(out.data());
        ++k;
    }
}
BENCHMARK(BM_Compute)->DenseRange(0, 10);

// FillGrid of a 256 x 256 grid (set-up included on the first pass only).
void BM_FillGrid(benchmark::State& state)
{
    const Kind& kind = Kinds()[static_cast<size_t>(state.range(0))];
    state.SetLabel(kind.name);
    seRandom r(kSeed);
    auto p = kind.make(MakeEnv(r));
    p->Setup(2, 1, false, 2);
    std::vector<int> grid;
    for (auto _ : state) {
        p->FillGrid(grid, kGridSide, kGridSide, state.range(1) != 0);
        benchmark::DoNotOptimize(grid.data());
    }
}
BENCHMARK(BM_FillGrid)->ArgsProduct({benchmark::CreateDenseRange(0, 10, 1), {0, 1}})->Unit(benchmark::kMillisecond);

} // namespace
