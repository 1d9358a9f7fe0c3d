// What a pattern calculator needs from its owner: the random generator it draws from,
// the palette size ("levels"), the scene window's client size, the scene's idle test,
// an optional trace log and the form of the family (full, or the picture saver's reduced one).
#pragma once

#include <functional>

class seRandom;
class TraceLog;

// The two builds of the family. The reduced form is the picture saver's: its sine pattern
// has its own set-up, and it has no grid filling and no preparation.
enum class PatternForm { Full, Reduced };

struct PatternEnv {
    static constexpr int kDefaultLevels = 256;
    static constexpr int kMinLevels = 2;  // fewer levels would divide by zero in the grid maths

    explicit PatternEnv(seRandom& rand) : random(&rand) {}

    seRandom* random;                  // not owned; never null
    int levels = kDefaultLevels;       // palette size of the scene window
    int width = 0;                     // scene window client width
    int height = 0;                    // scene window client height
    std::function<bool()> sceneIdle;   // true while no message waits; empty means always idle
    TraceLog* trace = nullptr;         // null: no trace lines
    PatternForm form = PatternForm::Full;

    // The palette size, never below kMinLevels.
    int SafeLevels() const { return levels < kMinLevels ? kMinLevels : levels; }
    bool IsIdle() const { return !sceneIdle || sceneIdle(); }
};
