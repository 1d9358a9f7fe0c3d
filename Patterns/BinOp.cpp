// The nine binary operators and their factory.
#include "Patterns/BinOp.h"

#include "shell/Random.h"
#include "shell/Trace.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
constexpr int kTraceLine = 76;
constexpr const char* kTraceSource = "BinOp";
constexpr const char* kTraceText = " : (typeid(*pBinOp)).name() = ";
constexpr float kHalf = 0.5f;
constexpr float kPi = std::numbers::pi_v<float>;
} // namespace

int BinOp::LevelIndex(float v, float r) const
{
    float q = v / r;
    if (!(q >= -1.0f)) q = -1.0f;  // also catches NaN
    if (q > 1.0f) q = 1.0f;
    return static_cast<int>((q + 1.0f) * kHalf * static_cast<float>(m_iLevels));
}

float BinOpAdd::Combine(float a, float b, float ra, float rb) const
{
    const float div = std::fabs(ra) + std::fabs(rb);
    return div == 0.0f ? 0.0f : (a + b) / div;
}

float BinOpMult::Combine(float a, float b, float ra, float rb) const
{
    const float div = std::fabs(ra) * std::fabs(rb);
    return div == 0.0f ? 0.0f : (a * b) / div;
}

float BinOpSqrt::Combine(float a, float b, float ra, float rb) const
{
    const float div = std::sqrt(ra * ra + rb * rb);
    return div == 0.0f ? 0.0f : std::sqrt(a * a + b * b) / div;
}

float BinOpAnd::Combine(float a, float b, float ra, float rb) const
{
    if (ra == 0.0f || rb == 0.0f) return 0.0f;
    const int A = LevelIndex(a, ra);
    const int B = LevelIndex(b, rb);
    return static_cast<float>(A & B) / static_cast<float>(m_iLevels);
}

float BinOpOr::Combine(float a, float b, float ra, float rb) const
{
    if (ra == 0.0f || rb == 0.0f) return 0.0f;
    const int A = LevelIndex(a, ra);
    const int B = LevelIndex(b, rb);
    return static_cast<float>(A | B) / static_cast<float>(m_iLevels) * kHalf;
}

float BinOpXOr::Combine(float a, float b, float ra, float rb) const
{
    if (ra == 0.0f || rb == 0.0f) return 0.0f;
    const int A = LevelIndex(a, ra);
    const int B = LevelIndex(b, rb);
    return static_cast<float>(A ^ B) / static_cast<float>(m_iLevels) * kHalf;
}

float BinOpMod::Combine(float a, float b, float ra, float rb) const
{
    if (ra == 0.0f || rb == 0.0f) return 0.0f;
    const int G = LevelIndex(a, ra);
    const int B = LevelIndex(b, rb);
    if (B != 0) return static_cast<float>(G % B) / static_cast<float>(m_iLevels) * kHalf;
    return static_cast<float>(G / m_iLevels);
}

float BinOpMin::Combine(float a, float b, float ra, float rb) const
{
    if (ra == 0.0f || rb == 0.0f) return 0.0f;
    return std::min(a / ra, b / rb);
}

float BinOpAtan::Combine(float a, float b, float ra, float rb) const
{
    if (a == 0.0f || b == 0.0f) return 0.0f;
    return std::atan2(a, b) / kPi;
}

std::unique_ptr<BinOp> MakeBinOp(int kind, int levels)
{
    switch (kind) {
    case 1: return std::make_unique<BinOpMult>(levels);
    case 2: return std::make_unique<BinOpSqrt>(levels);
    case 3: return std::make_unique<BinOpAnd>(levels);
    case 4: return std::make_unique<BinOpOr>(levels);
    case 5: return std::make_unique<BinOpXOr>(levels);
    case 6: return std::make_unique<BinOpMod>(levels);
    case 7: return std::make_unique<BinOpMin>(levels);
    case 8: return std::make_unique<BinOpAtan>(levels);
    default: return std::make_unique<BinOpAdd>(levels);
    }
}

std::unique_ptr<BinOp> CreateBinOp(const PatternEnv& env)
{
    auto op = MakeBinOp(env.random->rand(kBinOpKinds), env.SafeLevels());
    if (env.trace) env.trace->TraceValue(kTraceSource, kTraceLine, kTraceText, std::string_view(op->Name()));
    return op;
}
