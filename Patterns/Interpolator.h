// Interpolators: a short table of points with ascending x turned into a function of one
// float: piecewise linear (InterpLinear) or natural cubic spline (InterpSpline).
#pragma once

#include <memory>
#include <vector>

class Interpolator {
public:
    virtual ~Interpolator() = default;
    // Replaces both tables (copies). Tables of unequal length are cut to the shorter one.
    virtual void SetPoints(const std::vector<float>& xs, const std::vector<float>& ys) = 0;
    // The function at x. With no points the result is 0; with one point it is that y.
    virtual float Value(float x) = 0;

    int size() const { return static_cast<int>(m_x.size()); }
    const std::vector<float>& xs() const { return m_x; }
    const std::vector<float>& ys() const { return m_y; }

protected:
    // Copies the tables into the existing vectors (no allocation when the size is unchanged).
    void StorePoints(const std::vector<float>& xs, const std::vector<float>& ys);

    std::vector<float> m_x;
    std::vector<float> m_y;
};

class InterpLinear : public Interpolator {
public:
    InterpLinear() = default;
    InterpLinear(const std::vector<float>& xs, const std::vector<float>& ys) { InterpLinear::SetPoints(xs, ys); }

    void SetPoints(const std::vector<float>& xs, const std::vector<float>& ys) override;
    float Value(float x) override;

    // The segment used last (-1 when none): consecutive calls nearby skip the search.
    int LastSegment() const { return m_iSegment; }

private:
    int m_iSegment = -1;
};

class InterpSpline : public Interpolator {
public:
    InterpSpline() = default;
    InterpSpline(const std::vector<float>& xs, const std::vector<float>& ys) { InterpSpline::SetPoints(xs, ys); }

    void SetPoints(const std::vector<float>& xs, const std::vector<float>& ys) override;
    float Value(float x) override;
    // Fills the second derivatives (zero at both ends).
    virtual void Compute();

    const std::vector<float>& SecondDerivatives() const { return m_p; }

private:
    std::vector<float> m_p;
    std::vector<float> m_h, m_d, m_m;  // work vectors, kept to avoid reallocation
};

// The interpolator kinds of CreateInterpolator.
enum InterpolatorKind { kInterpLinear = 0, kInterpSpline = 1 };

// kind 0 a linear interpolator, kind 1 a spline, any other kind linear; both copy the points.
std::unique_ptr<Interpolator> CreateInterpolator(int kind, const std::vector<float>& xs, const std::vector<float>& ys);
