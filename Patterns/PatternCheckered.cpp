// The banded checker pattern.
#include "Patterns/PatternCheckered.h"

#include "shell/Random.h"
#include "shell/Trace.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {
constexpr int kFrequencyRange = 10;   // Int(10) + 1
constexpr int kDivisionsRange = 8;    // S(8, 3) + 2
constexpr int kDivisionsBias = 3;
constexpr int kDivisionsMin = 2;
constexpr int kWeightRange = 100;     // Int(100) + 2
constexpr int kWeightMin = 2;
constexpr int kTraceLine = 31;
constexpr const char* kTraceSource = "PatternCheckered";
constexpr const char* kTraceText = " : m_iDivisions = ";
} // namespace

PatternCheckered::PatternCheckered(const PatternEnv& env) : PatternCalculator(env)
{
    seRandom& r = Rand();
    m_fFrequency = static_cast<float>(r.rand(kFrequencyRange) + 1);
    m_iDivisions = r.biased(kDivisionsRange, kDivisionsBias) + kDivisionsMin;
    if (m_env.trace) m_env.trace->TraceValue(kTraceSource, kTraceLine, kTraceText, m_iDivisions);
    m_iOffset = r.rand(m_iDivisions);
}

void PatternCheckered::Setup(int nIn, int, bool, int)
{
    if (m_bSetUp) return;
    m_weights.resize(static_cast<size_t>(std::max(nIn, 0)));
    for (int& w : m_weights) w = Rand().rand(kWeightRange) + kWeightMin;
    m_bSetUp = true;
}

void PatternCheckered::Compute(std::span<const float> in, std::span<float> out)
{
    int64_t sum = 0;
    for (size_t i = 0; i < m_weights.size(); ++i) {
        const float step = static_cast<float>(m_weights[i]) * (std::sin(Input(in, i) * m_fFrequency) + 1.0f) / 2.0f;
        sum = static_cast<int64_t>(step + static_cast<float>(sum));
    }
    int64_t band = (m_iOffset + sum) % m_iDivisions;
    if (band < 0) band += m_iDivisions;  // only fixed negative offsets or weights get here
    Output(out, static_cast<float>(band) / static_cast<float>(m_iDivisions));
}

void PatternCheckered::SetBands(float frequency, int divisions, int offset, const std::vector<int>& weights)
{
    m_fFrequency = frequency;
    m_iDivisions = std::max(divisions, 1);
    m_iOffset = offset;
    m_weights = weights;
    m_bSetUp = true;
}
