// The random pattern factory.
#include "Patterns/Patterns.h"

#include "shell/Random.h"
#include "shell/Trace.h"

namespace {
constexpr int kTraceLine = 134;
constexpr const char* kTraceSource = "PatternCalculator";
constexpr const char* kTraceText = " : (typeid(*pCalc).name()) = ";
constexpr int kScalarKindsWithoutPlasma = kPatternScalarKinds - 1;
constexpr int kVectorKinds = 2;
constexpr int kVectorNetwork = 0;
} // namespace

std::unique_ptr<PatternCalculator> MakePattern(const PatternEnv& env, bool scalar, int kind)
{
    if (!scalar) {
        if (kind == kVectorNetwork) return std::make_unique<PatternNetwork>(env);
        return std::make_unique<PatternVecSin>(env);
    }
    switch (kind) {
    case kPatternNetwork: return std::make_unique<PatternNetwork>(env);
    case kPatternFractal: return std::make_unique<PatternFractal>(env);
    case kPatternInt: return std::make_unique<PatternInt>(env);
    case kPatternFloat: return std::make_unique<PatternFloat>(env);
    case kPatternNoise: return std::make_unique<PatternNoise>(env);
    case kPatternCheckered: return std::make_unique<PatternCheckered>(env);
    case kPatternPlasma: return std::make_unique<PatternPlasma>(env);
    default: return std::make_unique<PatternSin>(env);
    }
}

std::unique_ptr<PatternCalculator> CreatePattern(const PatternEnv& env, bool scalar, bool allowPlasma)
{
    const int kinds = scalar ? (allowPlasma ? kPatternScalarKinds : kScalarKindsWithoutPlasma) : kVectorKinds;
    auto calc = MakePattern(env, scalar, env.random->rand(kinds));
    if (env.trace) env.trace->TraceValue(kTraceSource, kTraceLine, kTraceText, std::string_view(calc->Name()));
    return calc;
}
