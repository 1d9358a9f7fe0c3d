// PatternCalculator: the base of the pattern family. A calculator is a random function of
// one or two coordinates in [-1, 1] with values in [0, 1] (or a vector of such values). It
// draws its parameters in Setup and is then a pure function of its inputs. Also the pattern
// factory CreatePattern.
#pragma once

#include "Patterns/PatternEnv.h"

#include <memory>
#include <span>
#include <string_view>
#include <vector>

class seRandom;

class PatternCalculator {
public:
    explicit PatternCalculator(const PatternEnv& env) : m_env(env) {}
    virtual ~PatternCalculator() = default;
    PatternCalculator(const PatternCalculator&) = delete;
    PatternCalculator& operator=(const PatternCalculator&) = delete;

    virtual bool IsVector() const { return false; }
    // Draws the parameters once; does nothing when already set up. The slow kinds stop
    // early while a message waits and are set up again at the next call.
    virtual void Setup(int nIn, int nOut, bool simple, int skew) = 0;
    // Evaluates at in (missing inputs read as 0) into out (only as many values as fit).
    // Never allocates, except the plasma's grid at its first use.
    virtual void Compute(std::span<const float> in, std::span<float> out) = 0;
    // Fills a row-major rows x cols grid of palette indices 0 .. levels - 1, mirrored into
    // the four quadrants when asked. False (grid emptied) in the reduced form.
    virtual bool FillGrid(std::vector<int>& grid, int rows, int cols, bool mirror);
    // Prepares for a rows x cols input range (the plasma builds its grid); nothing by default.
    virtual void Prepare(int rows, int cols) {}
    // Compute, then every output v becomes 2v - 1.
    virtual void ComputeSigned(std::span<const float> in, std::span<float> out);
    // Number of outputs for a request of n.
    virtual int OutputCount(int n) const { return 1; }
    // The class name, as the factory's trace line shows it.
    virtual std::string_view Name() const = 0;

    bool IsSetUp() const { return m_bSetUp; }
    const PatternEnv& Env() const { return m_env; }
    PatternForm Form() const { return m_env.form; }
    int Levels() const { return m_env.SafeLevels(); }

protected:
    seRandom& Rand() const { return *m_env.random; }
    bool SceneIdle() const { return m_env.IsIdle(); }
    // Input k, or 0 when the caller gave fewer.
    static float Input(std::span<const float> in, size_t k) { return k < in.size() ? in[k] : 0.0f; }
    // Writes v to out[0] when there is room.
    static void Output(std::span<float> out, float v)
    {
        if (!out.empty()) out[0] = v;
    }

    PatternEnv m_env;
    bool m_bSetUp = false;
};

// The kinds of CreatePattern's scalar choice, in drawing order.
enum PatternKind {
    kPatternNetwork = 0,
    kPatternFractal,
    kPatternSin,
    kPatternInt,
    kPatternFloat,
    kPatternNoise,
    kPatternCheckered,
    kPatternPlasma,
    kPatternScalarKinds,  // 8, with the plasma
};

// Calculator of scalar kind k (the PatternKind order); for vector calculators kind 0 is
// the network and 1 the vector of sines. Any other kind gives the sine pattern.
std::unique_ptr<PatternCalculator> MakePattern(const PatternEnv& env, bool scalar, int kind);
// Random calculator: scalar kinds Int(8) with the plasma allowed, else Int(7); vector kinds
// Int(2). Writes the trace line naming the class.
std::unique_ptr<PatternCalculator> CreatePattern(const PatternEnv& env, bool scalar, bool allowPlasma);
