// Compute must not allocate: a counting global operator new for this test program.
#include "PatternTestSupport.h"

#include <atomic>
#include <new>

namespace {
std::atomic<long> gAllocations{0};
}

// The replacements below pair malloc with free on purpose; the compiler cannot see that.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t n)
{
    ++gAllocations;
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t n) { return operator new(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

using namespace patterns_test;

namespace {

class NoAllocation : public testing::TestWithParam<KindCase> {};

TEST_P(NoAllocation, ComputeAndComputeSignedAllocateNothing)
{
    const KindCase& k = GetParam();
    for (int seed : {2, 31, 404}) {
        seRandom r(seed);
        auto p = k.make(MakeEnv(r, k.form));
        p->Setup(k.nIn, k.nOut, false, 2);
        p->Prepare(32, 32);  // the plasma builds its grid here, not in Compute
        std::vector<float> out(static_cast<size_t>(k.nOut));
        const auto axis = Axis(20);
        const long before = gAllocations.load();
        for (float x : axis)
            for (float y : axis) {
                const float in[2] = {x, y};
                const std::span<const float> ins(in, static_cast<size_t>(k.nIn));
                p->Compute(ins, out);
                p->ComputeSigned(ins, out);
            }
        EXPECT_EQ(gAllocations.load() - before, 0) << k.name << " seed " << seed;
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, NoAllocation, testing::ValuesIn(AllKinds()),
                         [](const testing::TestParamInfo<KindCase>& i) { return i.param.name; });

TEST(NoAllocationCounter, CountsAnAllocation)
{
    const long before = gAllocations.load();
    auto* v = new std::vector<int>(100);
    const long after = gAllocations.load();
    delete v;
    EXPECT_GE(after - before, 2) << "the counting operator new is not in use";
}

} // namespace
