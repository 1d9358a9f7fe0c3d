// Timing of a weighted choice on a table of ten entries, as the engines use it.
#include "shell/Random.h"
#include "shell/VoteTable.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr int32_t kBenchSeed = 12345;
constexpr int kDrawLimit = 10;

const std::vector<int> kTenWeights{10, 50, 0, 30, 100, 5, 20, 0, 40, 60};

void BM_VoteTableChoose(benchmark::State& state)
{
    VoteTable table(kTenWeights);
    seRandom g(kBenchSeed);
    for (auto _ : state)
        benchmark::DoNotOptimize(table.Choose(g, {}, kDrawLimit));
}
BENCHMARK(BM_VoteTableChoose);

void BM_VoteTableChooseWithExclusions(benchmark::State& state)
{
    VoteTable table(kTenWeights);
    seRandom g(kBenchSeed);
    const std::vector<int> exclusions{4, 9};
    for (auto _ : state)
        benchmark::DoNotOptimize(table.Choose(g, exclusions, kDrawLimit));
}
BENCHMARK(BM_VoteTableChooseWithExclusions);

void BM_VoteTableSetWeights(benchmark::State& state)
{
    VoteTable table;
    for (auto _ : state) {
        table.SetWeights(kTenWeights, true);
        benchmark::DoNotOptimize(table);
    }
}
BENCHMARK(BM_VoteTableSetWeights);

} // namespace
