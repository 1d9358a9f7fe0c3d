// The stack-program patterns: PatternFloat runs a random program of up to 10 float
// operations, PatternInt one of up to 22 integer operations on screen coordinates. Set-up
// draws programs until one gives enough distinct values (or 30 attempts have failed).
#pragma once

#include "Patterns/PatternCalculator.h"
#include "Patterns/seVectorStack.h"

#include <array>
#include <cstdint>
#include <vector>

class PatternFloat final : public PatternCalculator {
public:
    static constexpr int kCapacity = 10;
    static constexpr int kOpcodes = 16;

    explicit PatternFloat(const PatternEnv& env);

    void Setup(int nIn, int nOut, bool simple, int skew) override;
    void Compute(std::span<const float> in, std::span<float> out) override;
    std::string_view Name() const override { return "PatternFloat"; }

    // Runs the program on (x, y) and returns the top value (0 for an empty stack).
    float Run(float x, float y);
    // Values left on the stack by the last run.
    int StackSize() const { return m_stack.size(); }
    // Runs the program once on the probe point and appends combining operations (2 .. 6)
    // while more than one value would be left and the program has room.
    void AppendCombiners();

    // Fixes the program (at most 10 opcodes), constants and frequencies; marks it set up.
    void SetProgram(const std::vector<int>& program, const std::array<float, kCapacity>& constants,
                    const std::array<float, kCapacity>& frequencies);
    std::vector<int> Program() const { return {m_program.begin(), m_program.begin() + m_iLength}; }
    const std::array<float, kCapacity>& Constants() const { return m_constants; }
    const std::array<float, kCapacity>& Frequencies() const { return m_frequencies; }
    int Attempts() const { return m_iAttempts; }
    float CentreX() const { return m_cx; }
    float CentreY() const { return m_cy; }

private:
    std::array<int, kCapacity> m_program{};
    int m_iLength = 0;
    seVectorStack<float> m_stack{kCapacity};
    std::array<float, kCapacity> m_constants{};
    std::array<float, kCapacity> m_frequencies{};
    float m_cx = 0.0f;
    float m_cy = 0.0f;
    float m_cr = 0.0f;
    int m_iAttempts = 0;
};

class PatternInt final : public PatternCalculator {
public:
    static constexpr int kCapacity = 22;
    static constexpr int kOpcodes = 17;

    // The scale N = max(width, height) of the environment (at least 1).
    explicit PatternInt(const PatternEnv& env);

    void Setup(int nIn, int nOut, bool simple, int skew) override;
    void Compute(std::span<const float> in, std::span<float> out) override;
    std::string_view Name() const override { return "PatternInt"; }

    // Runs the program on the screen point (X, Y); returns the top value (0 when empty).
    int32_t Run(int32_t X, int32_t Y);
    int StackSize() const { return m_stack.size(); }
    void AppendCombiners();

    // Fixes the program (at most 22 opcodes) and constants; marks it set up.
    void SetProgram(const std::vector<int>& program, const std::array<int32_t, kCapacity>& constants);
    std::vector<int> Program() const { return {m_program.begin(), m_program.begin() + m_iLength}; }
    int Attempts() const { return m_iAttempts; }
    int Scale() const { return m_N; }

private:
    std::array<int, kCapacity> m_program{};
    int m_iLength = 0;
    seVectorStack<int32_t> m_stack{kCapacity};
    std::array<int32_t, kCapacity> m_constants{};
    int m_N = 1;
    int m_iAttempts = 0;
};
