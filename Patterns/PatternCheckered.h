// PatternCheckered: banded checks; each input's sine adds a weighted step count, and the
// total modulo the band count gives the value.
#pragma once

#include "Patterns/PatternCalculator.h"

#include <vector>

class PatternCheckered final : public PatternCalculator {
public:
    // Draws the frequency, the band count m_iDivisions (traced) and the offset.
    explicit PatternCheckered(const PatternEnv& env);

    // One weight per input, each Int(100) + 2.
    void Setup(int nIn, int nOut, bool simple, int skew) override;
    void Compute(std::span<const float> in, std::span<float> out) override;
    std::string_view Name() const override { return "PatternCheckered"; }

    // Fixes the bands and weights (for callers that need a known pattern); marks it set up.
    // Band counts below 1 count as 1.
    void SetBands(float frequency, int divisions, int offset, const std::vector<int>& weights);
    float Frequency() const { return m_fFrequency; }
    int Divisions() const { return m_iDivisions; }
    int Offset() const { return m_iOffset; }
    const std::vector<int>& Weights() const { return m_weights; }

private:
    std::vector<int> m_weights;
    float m_fFrequency = 1.0f;
    int m_iDivisions = 2;
    int m_iOffset = 0;
};
