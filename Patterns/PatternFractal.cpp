// The escape-time fractal pattern.
#include "Patterns/PatternFractal.h"

#include "shell/Random.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <numbers>
#include <vector>

namespace {
constexpr float kPi = std::numbers::pi_v<float>;
constexpr float kReach = 1.75f;            // R: the largest |Re c| and |Im c|
constexpr int kBoundRange = 20;            // bound S(20, 3) + 4: 4 .. 23
constexpr int kBoundBias = 3;
constexpr int kBoundMin = 4;
constexpr float kMirrorReProb = 0.9f;
constexpr float kFreeSignProb = 0.85f;
constexpr float kFreeWindowProb = 0.75f;   // u >= this: four free corners
constexpr float kMinWindow = 0.001f;
constexpr std::array<float, 4> kProbes = {0.0f, 0.25f, 0.5f, 0.75f};
constexpr int kDistinctGap = 4;            // probe counts this far apart count as different
constexpr int kRequiredDistinct = 4;
constexpr int kMaxAttempts = 30;

// truncate toward zero into 64 bits, with NaN and huge values held (never undefined).
int64_t Trunc64(double v)
{
    constexpr double kLimit = 9.0e18;
    if (!(v == v)) return 0;
    if (v > kLimit) v = kLimit;
    if (v < -kLimit) v = -kLimit;
    return static_cast<int64_t>(v);
}

int64_t Mod(int64_t a, int64_t m) { return a % m; }
} // namespace

int PatternFractal::Evaluate(float x, float y, bool colour) const
{
    const int levels = Levels();
    float zr = m_window.halfWidth * x + m_window.centreX;
    float zi = m_window.halfHeight * y + m_window.centreY;
    float m = 2.0f * m_fBound * m_fBound;
    float e = m_fBound;
    int n = 0;
    for (; n < levels - 1; ++n) {
        const float mag = zr * zr + zi * zi;
        if (mag >= m_fBound) break;
        const float nr = zr * zr - zi * zi + m_cRe;
        zi = 2.0f * zr * zi + m_cIm;
        zr = nr;
        if (m_bOrbitSize) m = std::min(m, zr * zr + zi * zi);
        if (m_bOrbitEdge) e = std::min(e, std::fabs(zr));
    }
    if (!colour) return n;
    int64_t c = n;
    if (m_bAngle) {
        if (zr != 0.0f) {
            const double t = static_cast<double>(levels) * (std::atan2(zr, -zi) / kPi + 1.0f) / 2.0 * m_fBound;
            c = std::llabs(Trunc64(t)) % levels;
        } else {
            c = 0;
        }
    }
    if (m_bOrbitSize) c = Mod(c + Trunc64(static_cast<double>(levels) * m), levels);
    if (m_bOrbitEdge) c = Mod(c + Trunc64(static_cast<double>(levels) * e), levels);
    return static_cast<int>(c);
}

void PatternFractal::Compute(std::span<const float> in, std::span<float> out)
{
    const int v = Evaluate(Input(in, 0), Input(in, 1), true);
    Output(out, static_cast<float>(v) / static_cast<float>(Levels() - 1));
}

bool PatternFractal::SamplesAcceptable() const
{
    const int levels = Levels();
    std::vector<int> kept;
    for (float x : kProbes) {
        for (float y : kProbes) {
            const int s = Evaluate(x, y, false);
            if (s >= levels - 1) return false;
            bool isNew = true;
            for (int k : kept) {
                if (std::abs(s - k) < kDistinctGap) {
                    isNew = false;
                    break;
                }
            }
            if (isNew) kept.push_back(s);
        }
    }
    return static_cast<int>(kept.size()) >= kRequiredDistinct;
}

void PatternFractal::Setup(int, int, bool, int)
{
    if (m_bSetUp) return;
    seRandom& r = Rand();
    auto u = [&r] { return static_cast<float>(r.uniform()); };
    auto sign = [&r] { return r.rand(2) != 0 ? 1.0f : -1.0f; };
    do {
        m_fBound = static_cast<float>(r.biased(kBoundRange, kBoundBias) + kBoundMin);
        m_bAngle = r.rand(2) != 0;
        m_bOrbitSize = r.rand(2) != 0;
        m_bOrbitEdge = r.rand(2) != 0;

        // Every attempt draws a new c and a new window (at least once each), so a failed
        // attempt is never repeated unchanged.
        do {
            const float p = u() * kReach;
            float re = u() * p;
            if (u() < kMirrorReProb) re = -re;
            const float s = u() >= kFreeSignProb ? sign() : -static_cast<float>((re > 0.0f) - (re < 0.0f));
            const float q = u() * kReach;
            const float im = u() * q * s;
            m_cRe = re;
            m_cIm = im;
        } while (m_cRe * m_cRe + m_cIm * m_cIm >= m_fBound && SceneIdle());

        float x0, y0, x1, y1;
        do {
            if (u() >= kFreeWindowProb) {
                auto corner = [&u] {
                    const float a = 2.0f * u() - 1.0f;
                    return a * 2.0f * u();
                };
                x0 = corner();
                y0 = corner();
                x1 = corner();
                y1 = corner();
            } else {
                const float a = 2.0f * u() - 1.0f;
                const float b = u();
                const float g = std::fabs(a * 2.0f * b * b * b);
                x0 = y0 = -g;
                x1 = y1 = g;
            }
            m_window = {(x1 - x0) / 2.0f, (x0 + x1) / 2.0f, (y1 - y0) / 2.0f, (y0 + y1) / 2.0f};
        } while ((x1 - x0 < kMinWindow || y1 - y0 < kMinWindow) && SceneIdle());

        const bool ok = SamplesAcceptable();
        ++m_iAttempts;
        if (m_iAttempts > kMaxAttempts || ok) {
            m_bSetUp = true;
            return;
        }
    } while (SceneIdle());
}

void PatternFractal::SetFractal(float bound, float cRe, float cIm, const Window& window, bool angle, bool orbitSize,
                                bool orbitEdge)
{
    m_fBound = bound;
    m_cRe = cRe;
    m_cIm = cIm;
    m_window = window;
    m_bAngle = angle;
    m_bOrbitSize = orbitSize;
    m_bOrbitEdge = orbitEdge;
    m_bSetUp = true;
}
