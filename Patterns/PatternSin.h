// The sine patterns: PatternSin (two crossed sine waves, each able to modulate the other,
// joined by a binary operator), PatternVecSin (one sine pattern per output), PatternSinFM
// (a bank of frequency-modulated oscillator chains) and PatternSinFMWavy (a sine pattern
// whose sines are such oscillators).
#pragma once

#include "Patterns/BinOp.h"
#include "Patterns/PatternCalculator.h"

#include <array>
#include <memory>
#include <vector>

class PatternSin : public PatternCalculator {
public:
    static constexpr int kParams = 6;
    static constexpr float kNoLastY = -1000.0f;

    // The full form draws its operator now; the reduced form draws it in Setup.
    explicit PatternSin(const PatternEnv& env);

    void Setup(int nIn, int nOut, bool simple, int skew) override;
    // One input (full form only): sin(pi (P1 x + P2)) x 0.5 + 0.5. Two inputs: the crossed waves.
    void Compute(std::span<const float> in, std::span<float> out) override;
    std::string_view Name() const override { return "PatternSin"; }

    // Fixes the wave (for callers that need a known pattern): parameters P0..P5, flags F0..F5,
    // the operator. Marks the pattern set up.
    void SetWave(const std::array<float, kParams>& p, const std::array<bool, kParams>& f, std::unique_ptr<BinOp> op);
    const std::array<float, kParams>& Params() const { return m_P; }
    const std::array<bool, kParams>& Flags() const { return m_F; }
    const BinOp* Operator() const { return m_pOp.get(); }

protected:
    // The sine set-up of either form; PatternSinFMWavy runs it before its oscillators.
    void SetupSin(bool simple);
    // sin(pi t), or the oscillator that replaces it in the wavy pattern (index 0..5).
    virtual float Wave(int which, float t) const;

    std::array<float, kParams> m_P{};
    std::array<bool, kParams> m_F{};
    float m_fLastY = kNoLastY;
    float m_fLastS = 0.0f;
    std::unique_ptr<BinOp> m_pOp;
};

class PatternVecSin final : public PatternCalculator {
public:
    using PatternCalculator::PatternCalculator;

    bool IsVector() const override { return true; }
    // Creates nOut sine patterns (each with its own operator) and sets each up with (nIn, 1, simple, skew).
    void Setup(int nIn, int nOut, bool simple, int skew) override;
    void Compute(std::span<const float> in, std::span<float> out) override;
    int OutputCount(int n) const override { return n; }
    std::string_view Name() const override { return "PatternVecSin"; }

    int Size() const { return static_cast<int>(m_sines.size()); }

private:
    std::vector<std::unique_ptr<PatternSin>> m_sines;
};

class PatternSinFM final : public PatternCalculator {
public:
    static constexpr int kMaxChains = 10;
    static constexpr int kMaxStages = 10;
    using Matrix = std::array<std::array<float, kMaxStages>, kMaxChains>;

    using PatternCalculator::PatternCalculator;

    // Draws chains until some frequency exceeds 1; stops early while a message waits.
    void Setup(int nIn, int nOut, bool simple, int skew) override;
    // Wave(in[0]) x 0.5 + 0.5.
    void Compute(std::span<const float> in, std::span<float> out) override;
    std::string_view Name() const override { return "PatternSinFM"; }

    // The oscillator bank at x, in [-1, 1].
    float Wave(float x) const;
    // The slope of a single-stage additive bank at x (what mesh normals need).
    float Slope(float x) const;

    // Fixes the bank (for callers that need a known oscillator). Marks it set up.
    void SetBank(bool additive, bool valueModulation, bool firstStage, int chains, int stages, const Matrix& freq,
                 const Matrix& amp, const Matrix& phase);
    int Chains() const { return m_N; }
    int Stages() const { return m_M; }
    bool Additive() const { return m_bA; }
    float Frequency(int i, int j) const { return m_P[i][j]; }
    float Amplitude(int i, int j) const { return m_Q[i][j]; }
    float Phase(int i, int j) const { return m_R[i][j]; }
    // Set-up attempts made so far.
    int Attempts() const { return m_iAttempts; }

private:
    bool m_bA = true;   // additive: chains are summed (else multiplied)
    int m_M = 1;        // chain length
    int m_N = 1;        // chain count
    bool m_bV = true;   // value modulation (else frequency modulation by the chain value)
    bool m_bF = true;   // the first stage reads pi P x (else sin x)
    bool m_bCleared = false;
    int m_iAttempts = 0;
    Matrix m_P{};  // frequencies
    Matrix m_Q{};  // amplitudes
    Matrix m_R{};  // phases
};

class PatternSinFMWavy final : public PatternSin {
public:
    static constexpr int kOscillators = 6;

    explicit PatternSinFMWavy(const PatternEnv& env);

    // The sine set-up, then each oscillator's with the same arguments. Oscillators cut short
    // by a waiting message are set up at the next call; the sine part is not drawn again.
    // Compute with two inputs uses the oscillators; with one input it is the plain single wave.
    void Setup(int nIn, int nOut, bool simple, int skew) override;
    std::string_view Name() const override { return "PatternSinFMWavy"; }

    PatternSinFM& Oscillator(int k) { return *m_W[static_cast<size_t>(k)]; }

protected:
    float Wave(int which, float t) const override;

private:
    bool m_bSinDone = false;
    std::array<std::unique_ptr<PatternSinFM>, kOscillators> m_W;
};
