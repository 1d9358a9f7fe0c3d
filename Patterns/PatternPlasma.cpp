// The midpoint-displacement plasma.
#include "Patterns/PatternPlasma.h"

#include "shell/Random.h"

#include <algorithm>

namespace {
constexpr int kDivisorExponents = 5;  // divisor 2^S(5, 2): 1 .. 16
constexpr int kDivisorBias = 2;

int RowIndex(float v, int count)
{
    float f = static_cast<float>(count - 1) * (v + 1.0f) / 2.0f;
    if (!(f >= 0.0f)) f = 0.0f;  // also NaN
    const float last = static_cast<float>(count - 1);
    if (f > last) f = last;
    return static_cast<int>(f);
}
} // namespace

PatternPlasma::PatternPlasma(const PatternEnv& env) : PatternCalculator(env)
{
    m_iDivisor = 1 << Rand().biased(kDivisorExponents, kDivisorBias);
    m_iMaximum = Levels() - 1;
}

bool PatternPlasma::FillGrid(std::vector<int>& grid, int rows, int cols, bool)
{
    if (Form() == PatternForm::Reduced) {
        grid.clear();
        return false;
    }
    Build(grid, rows, cols);
    return true;
}

void PatternPlasma::Build(std::vector<int>& grid, int a, int b)
{
    if (a <= 0 || b <= 0) {
        grid.clear();
        return;
    }
    m_done.assign(static_cast<size_t>(a + 1) * static_cast<size_t>(b + 1), false);
    grid.resize(static_cast<size_t>(a) * static_cast<size_t>(b));
    for (int& cell : grid) cell = Rand().rand(m_iMaximum + 1);
    Subdivide(grid, b, 0, 0, b - 1, a - 1);
}

void PatternPlasma::Subdivide(std::vector<int>& grid, int cols, int x0, int y0, int x1, int y1)
{
    if ((x1 - x0 <= 1 && y1 - y0 <= 1) || !SceneIdle()) return;
    auto cell = [&](int y, int x) -> int& { return grid[static_cast<size_t>(y) * cols + x]; };
    const int f = cell(y0, x0);
    const int g = cell(y0, x1);
    const int h = cell(y1, x1);
    const int l = cell(y1, x0);
    const int mx = (x0 + x1) / 2;
    const int my = (y0 + y1) / 2;
    auto place = [&](int y, int x, int v, int r) {
        const size_t marker = static_cast<size_t>(y) * cols + x;
        if (m_done[marker]) return;
        const int value = v + Rand().rand(2 * r) - r;
        cell(y, x) = std::clamp(value, 0, m_iMaximum);
        m_done[marker] = true;
    };
    place(y0, mx, (f + g) / 2, (x1 - x0) / m_iDivisor);
    place(my, x1, (g + h) / 2, (y1 - y0) / m_iDivisor);
    place(y1, mx, (h + l) / 2, (x1 - x0) / m_iDivisor);
    place(my, x0, (f + l) / 2, (y1 - y0) / m_iDivisor);
    place(my, mx, (f + g + h + l) / 4, ((y1 - y0) + (x1 - x0)) / m_iDivisor);
    Subdivide(grid, cols, x0, y0, mx, my);
    Subdivide(grid, cols, mx, y0, x1, my);
    Subdivide(grid, cols, x0, my, mx, y1);
    Subdivide(grid, cols, mx, my, x1, y1);
}

void PatternPlasma::Prepare(int rows, int cols)
{
    if (Form() == PatternForm::Reduced) return;
    BuildOwn(rows, cols);
}

void PatternPlasma::BuildOwn(int rows, int cols)
{
    rows = std::max(rows, 1);
    cols = std::max(cols, 1);
    Build(m_own, rows, cols);
    m_iGridRows = rows;
    m_iGridCols = cols;
}

void PatternPlasma::Compute(std::span<const float> in, std::span<float> out)
{
    if (m_own.empty()) BuildOwn(kDefaultSide, kDefaultSide);
    const int i = RowIndex(Input(in, 0), m_iGridRows);
    const int j = RowIndex(Input(in, 1), m_iGridCols);
    Output(out, static_cast<float>(m_own[static_cast<size_t>(i) * m_iGridCols + j]) / static_cast<float>(m_iMaximum));
}
