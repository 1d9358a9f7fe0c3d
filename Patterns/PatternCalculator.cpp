// The base operations of the pattern family: grid filling and the signed form.
#include "Patterns/PatternCalculator.h"

#include "shell/Random.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int kGridInputs = 2;
constexpr int kGridOutputs = 1;
constexpr int kGridSkew = 2;
constexpr float kTwo = 2.0f;

// truncate(levels x v) mod levels, with v held to [0, 1] so no value leaves the palette.
int LevelOf(float v, int levels)
{
    if (!(v >= 0.0f)) v = 0.0f;  // also NaN
    if (v > 1.0f) v = 1.0f;
    return static_cast<int>(static_cast<float>(levels) * v) % levels;
}
} // namespace

bool PatternCalculator::FillGrid(std::vector<int>& grid, int rows, int cols, bool mirror)
{
    if (Form() == PatternForm::Reduced || rows <= 0 || cols <= 0) {
        grid.clear();
        return Form() != PatternForm::Reduced;
    }
    const int levels = Levels();
    grid.resize(static_cast<size_t>(rows) * static_cast<size_t>(cols));
    for (int& cell : grid) cell = Rand().rand(levels);

    Setup(kGridInputs, kGridOutputs, false, kGridSkew);

    const int r = mirror ? (rows + 1) / 2 : rows;
    const int c = mirror ? (cols + 1) / 2 : cols;
    float in[kGridInputs];
    float out[1] = {0.0f};
    auto at = [&](int i, int j) -> int& { return grid[static_cast<size_t>(i) * cols + j]; };
    for (int i = 0; i < r; ++i) {
        for (int j = 0; j < c; ++j) {
            in[0] = static_cast<float>(i) / static_cast<float>(rows) * kTwo - 1.0f;
            in[1] = static_cast<float>(j) / static_cast<float>(cols) * kTwo - 1.0f;
            Compute(in, out);
            const int v = LevelOf(out[0], levels);
            at(i, j) = v;
            if (mirror) {
                at(rows - 1 - i, j) = v;
                at(i, cols - 1 - j) = v;
                at(rows - 1 - i, cols - 1 - j) = v;
            }
        }
    }
    return true;
}

void PatternCalculator::ComputeSigned(std::span<const float> in, std::span<float> out)
{
    Compute(in, out);
    const size_t n = std::min(out.size(), static_cast<size_t>(OutputCount(static_cast<int>(out.size()))));
    for (size_t k = 0; k < n; ++k) out[k] = kTwo * out[k] - 1.0f;
}
