// Piecewise-linear and natural cubic spline interpolators and their factory.
#include "Patterns/Interpolator.h"

#include <algorithm>

namespace {
constexpr float kSplineSix = 6.0f;   // 6 of the spline's tridiagonal system
constexpr float kSplineTwo = 2.0f;

// a / b, or 0 when b is 0 (coincident knots would otherwise divide by zero).
float SafeDiv(float a, float b) { return b == 0.0f ? 0.0f : a / b; }
} // namespace

void Interpolator::StorePoints(const std::vector<float>& xs, const std::vector<float>& ys)
{
    const size_t n = std::min(xs.size(), ys.size());
    m_x.assign(xs.begin(), xs.begin() + static_cast<std::ptrdiff_t>(n));
    m_y.assign(ys.begin(), ys.begin() + static_cast<std::ptrdiff_t>(n));
}

void InterpLinear::SetPoints(const std::vector<float>& xs, const std::vector<float>& ys)
{
    StorePoints(xs, ys);
    m_iSegment = -1;  // a remembered segment of the old table means nothing now
}

float InterpLinear::Value(float x)
{
    const int n = size();
    if (n == 0) return 0.0f;
    int k = m_iSegment;
    if (!(k > 0 && k < n && m_x[k - 1] <= x && x <= m_x[k])) {
        k = -1;
        for (int i = 0; i < n; ++i) {
            if (x <= m_x[i]) {
                k = i;
                break;
            }
        }
        m_iSegment = k;
        if (k < 0) return m_y[n - 1];
        if (k == 0) return m_y[0];
    }
    const float t = (m_x[k] - x) / (m_x[k] - m_x[k - 1]);  // never 0: equal x values are never selected
    return t * m_y[k - 1] + (1.0f - t) * m_y[k];
}

void InterpSpline::SetPoints(const std::vector<float>& xs, const std::vector<float>& ys)
{
    StorePoints(xs, ys);
    Compute();
}

void InterpSpline::Compute()
{
    const int n = size();
    m_p.assign(static_cast<size_t>(n), 0.0f);
    if (n < 2) return;
    m_h.assign(static_cast<size_t>(n), 0.0f);
    m_d.assign(static_cast<size_t>(n), 0.0f);
    m_m.assign(static_cast<size_t>(n), 0.0f);
    auto& h = m_h;
    auto& d = m_d;
    auto& m = m_m;
    const auto& x = m_x;
    const auto& y = m_y;

    h[0] = x[1] - x[0];
    d[1] = SafeDiv(y[1] - y[0], h[0]);
    for (int i = 1; i <= n - 2; ++i) {
        h[i] = x[i + 1] - x[i];
        m[i] = kSplineTwo * (x[i + 1] - x[i - 1]);
        d[i + 1] = SafeDiv(y[i + 1] - y[i], h[i]);
        d[i] = kSplineSix * (d[i + 1] - d[i]);
    }
    for (int i = 1; i <= n - 3; ++i) {
        d[i + 1] = d[i + 1] - SafeDiv(d[i] * h[i], m[i]);
        m[i + 1] = m[i + 1] - SafeDiv(h[i] * h[i], m[i]);
    }
    for (int i = n - 2; i >= 1; --i)
        m_p[i] = SafeDiv(d[i] - h[i] * m_p[i + 1], m[i]);
}

float InterpSpline::Value(float x)
{
    const int n = size();
    if (n == 0) return 0.0f;
    if (n == 1) return m_y[0];
    int lo = 0;
    int hi = n - 1;
    int mid = hi / 2;
    while (lo + 1 < hi) {
        if (x > m_x[mid])
            lo = mid;
        else
            hi = mid;
        mid = (lo + hi) / 2;
    }
    const int i = mid;
    const float u = m_x[i + 1] - m_x[i];
    if (u == 0.0f) return m_y[i];  // coincident knots: no slope to follow
    const float t = (x - m_x[i]) / u;
    const float p0 = m_p[i];
    const float p1 = m_p[i + 1];
    return t * (m_y[i + 1] - m_y[i]) + m_y[i] + u * u * (p1 * (t + 1.0f) - p0 * (t - 2.0f)) * t * (t - 1.0f) / kSplineSix;
}

std::unique_ptr<Interpolator> CreateInterpolator(int kind, const std::vector<float>& xs, const std::vector<float>& ys)
{
    if (kind == kInterpSpline) return std::make_unique<InterpSpline>(xs, ys);
    return std::make_unique<InterpLinear>(xs, ys);
}
