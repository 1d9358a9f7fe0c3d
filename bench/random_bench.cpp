// Timing of the random generator's raw and uniform draws.
#include "shell/Random.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int32_t kBenchSeed = 12345;

void BM_RandomNext(benchmark::State& state)
{
    seRandom g(kBenchSeed);
    for (auto _ : state)
        benchmark::DoNotOptimize(g.next());
}
BENCHMARK(BM_RandomNext);

void BM_RandomUniform(benchmark::State& state)
{
    seRandom g(kBenchSeed);
    for (auto _ : state)
        benchmark::DoNotOptimize(g.uniform());
}
BENCHMARK(BM_RandomUniform);

void BM_RandomSeed(benchmark::State& state)
{
    seRandom g(kBenchSeed);
    int32_t s = 0;
    for (auto _ : state) {
        g.seed(++s);
        benchmark::DoNotOptimize(g);
    }
}
BENCHMARK(BM_RandomSeed);

} // namespace
