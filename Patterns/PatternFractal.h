// PatternFractal: escape time of z -> z^2 + c over a random window of the plane, coloured
// by the escape count and optionally by the escape angle, the orbit size and the orbit edge.
#pragma once

#include "Patterns/PatternCalculator.h"

class PatternFractal final : public PatternCalculator {
public:
    struct Window {
        float halfWidth, centreX, halfHeight, centreY;
    };

    using PatternCalculator::PatternCalculator;

    // Draws bound, colouring, c and window until the samples show enough structure
    // (or more than 30 attempts were made); stops early while a message waits.
    void Setup(int nIn, int nOut, bool simple, int skew) override;
    void Compute(std::span<const float> in, std::span<float> out) override;
    std::string_view Name() const override { return "PatternFractal"; }

    // The escape count at (x, y) (levels - 1 when the orbit never escapes), coloured when asked.
    int Evaluate(float x, float y, bool colour) const;
    // The set-up's test of an attempt: no probe point fails to escape and at least four
    // probe counts differ from each other by four or more.
    bool SamplesAcceptable() const;

    // Fixes the fractal (for callers that need a known one); marks it set up.
    void SetFractal(float bound, float cRe, float cIm, const Window& window, bool angle, bool orbitSize, bool orbitEdge);
    float Bound() const { return m_fBound; }
    float CRe() const { return m_cRe; }
    float CIm() const { return m_cIm; }
    const Window& View() const { return m_window; }
    int Attempts() const { return m_iAttempts; }

private:
    float m_fBound = 4.0f;
    bool m_bAngle = false;
    bool m_bOrbitSize = false;
    bool m_bOrbitEdge = false;
    float m_cRe = 0.0f;
    float m_cIm = 0.0f;
    Window m_window{0.0f, 0.0f, 0.0f, 0.0f};
    int m_iAttempts = 0;
};
