// Binary operators that combine two waves a in [-ra, ra] and b in [-rb, rb] into one value,
// and their random factory. No operator ever divides by zero: each returns 0 instead.
#pragma once

#include "Patterns/PatternEnv.h"

#include <memory>
#include <string_view>

class BinOp {
public:
    explicit BinOp(int levels) : m_iLevels(levels < PatternEnv::kMinLevels ? PatternEnv::kMinLevels : levels) {}
    virtual ~BinOp() = default;
    virtual float Combine(float a, float b, float ra, float rb) const = 0;
    // The class name, as the factory's trace line shows it.
    virtual std::string_view Name() const = 0;

    int Levels() const { return m_iLevels; }

protected:
    // truncate((v / r + 1) / 2 x levels), the ratio held to [-1, 1] so the index stays in 0..levels.
    int LevelIndex(float v, float r) const;

    int m_iLevels;
};

#define ORVANE_DECLARE_BINOP(Name_)                                                         \
    class Name_ final : public BinOp {                                                      \
    public:                                                                                 \
        using BinOp::BinOp;                                                                 \
        float Combine(float a, float b, float ra, float rb) const override;                 \
        std::string_view Name() const override { return #Name_; }                           \
    };

ORVANE_DECLARE_BINOP(BinOpAdd)
ORVANE_DECLARE_BINOP(BinOpMult)
ORVANE_DECLARE_BINOP(BinOpSqrt)
ORVANE_DECLARE_BINOP(BinOpAnd)
ORVANE_DECLARE_BINOP(BinOpOr)
ORVANE_DECLARE_BINOP(BinOpXOr)
ORVANE_DECLARE_BINOP(BinOpMod)
ORVANE_DECLARE_BINOP(BinOpMin)
ORVANE_DECLARE_BINOP(BinOpAtan)

#undef ORVANE_DECLARE_BINOP

// The number of operator kinds CreateBinOp chooses from.
inline constexpr int kBinOpKinds = 9;

// Operator of kind k (0 add, 1 mult, 2 sqrt, 3 and, 4 or, 5 xor, 6 mod, 7 min, 8 atan);
// any other k gives the adding operator.
std::unique_ptr<BinOp> MakeBinOp(int kind, int levels);
// Draws the kind Int(9) from the environment's generator, writes the trace line.
std::unique_ptr<BinOp> CreateBinOp(const PatternEnv& env);
