// Value noise over a random grid.
#include "Patterns/PatternNoise.h"

#include "shell/Random.h"
#include "shell/Trace.h"

#include <algorithm>
#include <string>

namespace {
constexpr int kSizeExponents = 7;   // each side 2 x 2^Int(7): 2 .. 128
constexpr int kSizeBase = 2;
constexpr int kTraceLine = 50;
constexpr const char* kTraceSource = "PatternNoise";
constexpr const char* kTraceText = " : iRows << \" \" << iCols = ";

float Knot(int k, int count) { return static_cast<float>(k) / static_cast<float>(count - 1) * 2.0f - 1.0f; }
} // namespace

void PatternNoise::Setup(int, int, bool, int)
{
    if (m_bSetUp) return;
    seRandom& r = Rand();
    m_iRows = kSizeBase << r.rand(kSizeExponents);
    m_iCols = kSizeBase << r.rand(kSizeExponents);
    if (m_env.trace)
        m_env.trace->TraceValue(kTraceSource, kTraceLine, kTraceText,
                                std::to_string(m_iRows) + " " + std::to_string(m_iCols));
    m_grid.resize(static_cast<size_t>(m_iRows) * m_iCols);
    for (float& v : m_grid) v = static_cast<float>(r.uniform());

    m_knots.resize(static_cast<size_t>(m_iCols));
    for (int k = 0; k < m_iCols; ++k) m_knots[k] = Knot(k, m_iCols);

    std::vector<float> rowKnots(static_cast<size_t>(m_iRows));
    std::vector<float> column(static_cast<size_t>(m_iRows));
    for (int i = 0; i < m_iRows; ++i) rowKnots[i] = Knot(i, m_iRows);
    m_columns.assign(static_cast<size_t>(m_iCols), InterpLinear());
    for (int k = 0; k < m_iCols; ++k) {
        for (int i = 0; i < m_iRows; ++i) column[i] = Cell(i, k);
        m_columns[k].SetPoints(rowKnots, column);
    }
    m_crossValues.assign(static_cast<size_t>(m_iCols), 0.0f);
    m_cross.SetPoints(m_knots, m_crossValues);
    m_bHasCross = false;
    m_fCrossY = kNoCrossY;
    m_bSetUp = true;
}

void PatternNoise::Compute(std::span<const float> in, std::span<float> out)
{
    const float y = Input(in, 1);
    if (!m_bHasCross || y != m_fCrossY) {
        // Reuses the cross interpolator's storage: same size every time, so no allocation.
        for (size_t k = 0; k < m_columns.size(); ++k) m_crossValues[k] = m_columns[k].Value(y);
        m_cross.SetPoints(m_knots, m_crossValues);
        m_bHasCross = true;
        m_fCrossY = y;
    }
    Output(out, std::clamp(m_cross.Value(Input(in, 0)), 0.0f, 1.0f));
}
