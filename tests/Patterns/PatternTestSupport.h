// Helpers shared by the pattern tests: environments, the list of every pattern kind,
// and dense input grids.
#pragma once

#include "Patterns/Patterns.h"
#include "shell/Random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace patterns_test {

inline constexpr int kLevels = 256;
inline constexpr int kScreenW = 640;
inline constexpr int kScreenH = 480;

inline PatternEnv MakeEnv(seRandom& r, PatternForm form = PatternForm::Full, int levels = kLevels)
{
    PatternEnv env(r);
    env.levels = levels;
    env.width = kScreenW;
    env.height = kScreenH;
    env.form = form;
    return env;
}

struct KindCase {
    std::string name;
    std::function<std::unique_ptr<PatternCalculator>(const PatternEnv&)> make;
    int nIn;
    int nOut;
    PatternForm form = PatternForm::Full;
};

inline std::vector<KindCase> AllKinds()
{
    auto scalar = [](int kind) {
        return [kind](const PatternEnv& e) { return MakePattern(e, true, kind); };
    };
    return {
        {"Network", scalar(kPatternNetwork), 2, 3},
        {"Fractal", scalar(kPatternFractal), 2, 1},
        {"Sin", scalar(kPatternSin), 2, 1},
        {"SinOneInput", scalar(kPatternSin), 1, 1},
        {"Int", scalar(kPatternInt), 2, 1},
        {"Float", scalar(kPatternFloat), 2, 1},
        {"FloatOneInput", scalar(kPatternFloat), 1, 1},
        {"Noise", scalar(kPatternNoise), 2, 1},
        {"Checkered", scalar(kPatternCheckered), 2, 1},
        {"Plasma", scalar(kPatternPlasma), 2, 1},
        {"VecSin", [](const PatternEnv& e) { return MakePattern(e, false, 1); }, 2, 3},
        {"SinFM", [](const PatternEnv& e) { return std::make_unique<PatternSinFM>(e); }, 1, 1},
        {"SinFMWavy", [](const PatternEnv& e) { return std::make_unique<PatternSinFMWavy>(e); }, 2, 1},
        {"ReducedSin", [](const PatternEnv& e) { return std::make_unique<PatternSin>(e); }, 2, 1, PatternForm::Reduced},
    };
}

// Evenly spaced values from -1 to 1 inclusive.
inline std::vector<float> Axis(int steps)
{
    std::vector<float> v;
    for (int k = 0; k <= steps; ++k) v.push_back(-1.0f + 2.0f * static_cast<float>(k) / static_cast<float>(steps));
    return v;
}

} // namespace patterns_test
