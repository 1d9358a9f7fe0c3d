// PatternNoise: value noise, a random grid of uniform values read through piecewise-linear
// interpolation across its columns and then across its rows.
#pragma once

#include "Patterns/Interpolator.h"
#include "Patterns/PatternCalculator.h"

#include <vector>

class PatternNoise final : public PatternCalculator {
public:
    static constexpr float kNoCrossY = -999.0f;

    using PatternCalculator::PatternCalculator;

    // Draws the grid size (each side 2 .. 128, rows first) and the grid.
    void Setup(int nIn, int nOut, bool simple, int skew) override;
    void Compute(std::span<const float> in, std::span<float> out) override;
    std::string_view Name() const override { return "PatternNoise"; }

    int Rows() const { return m_iRows; }
    int Cols() const { return m_iCols; }
    float Cell(int i, int j) const { return m_grid[static_cast<size_t>(i) * m_iCols + j]; }

private:
    int m_iRows = 0;
    int m_iCols = 0;
    std::vector<float> m_grid;               // rows x cols, row-major
    std::vector<InterpLinear> m_columns;     // one per grid column, along the rows
    std::vector<float> m_knots;              // the column positions in [-1, 1]
    std::vector<float> m_crossValues;        // the columns read at the current second input
    InterpLinear m_cross;                    // across the columns at that input
    bool m_bHasCross = false;
    float m_fCrossY = kNoCrossY;
};
