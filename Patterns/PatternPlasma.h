// PatternPlasma: a midpoint-displacement plasma. It fills grids of palette indices directly
// and answers Compute from its own grid, built at the first use if not prepared.
#pragma once

#include "Patterns/PatternCalculator.h"

#include <vector>

class PatternPlasma final : public PatternCalculator {
public:
    static constexpr int kDefaultSide = 64;

    // Draws the roughness divisor 2^S(5, 2) (1 .. 16).
    explicit PatternPlasma(const PatternEnv& env);

    // Nothing to draw: the plasma is always set up.
    void Setup(int nIn, int nOut, bool simple, int skew) override { m_bSetUp = true; }
    void Compute(std::span<const float> in, std::span<float> out) override;
    // Random fill, then subdivision of the whole rectangle (mirror is not used).
    bool FillGrid(std::vector<int>& grid, int rows, int cols, bool mirror) override;
    // Replaces the own grid by a new rows x cols plasma (each side at least 1); nothing in
    // the reduced form, whose Compute builds the default grid itself.
    void Prepare(int rows, int cols) override;
    std::string_view Name() const override { return "PatternPlasma"; }

    int Divisor() const { return m_iDivisor; }
    int Maximum() const { return m_iMaximum; }
    int GridRows() const { return m_iGridRows; }
    int GridCols() const { return m_iGridCols; }
    const std::vector<int>& Grid() const { return m_own; }

private:
    void Build(std::vector<int>& grid, int rows, int cols);
    void BuildOwn(int rows, int cols);
    void Subdivide(std::vector<int>& grid, int cols, int x0, int y0, int x1, int y1);

    int m_iDivisor = 1;
    int m_iMaximum = 1;
    std::vector<bool> m_done;
    std::vector<int> m_own;
    int m_iGridRows = 0;
    int m_iGridCols = 0;
};
