// The sine patterns and the frequency-modulated oscillator bank.
#include "Patterns/PatternSin.h"

#include "shell/Random.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
constexpr float kPi = std::numbers::pi_v<float>;
constexpr float kHalf = 0.5f;
constexpr int kIntFreqRange = 6;      // integer parameters 1 .. 6
constexpr float kRealFreqRange = 6.0f;  // real parameters in (0, 6]
constexpr int kSkewFreqBias = 2;      // reduced form: small integer frequencies likely

// Oscillator bank draws.
constexpr float kAdditiveProb = 0.9f;
constexpr int kStagesRange = 10;
constexpr int kStagesBias = 7;
constexpr int kChainsRange = 10;
constexpr float kIntegerRatioProb = 0.3333f;
constexpr float kAmplitudeRange = 6.0f;
constexpr int kFreqMultRange = 6;
constexpr int kFreqMultBias = 4;
constexpr float kAccFloor = 1e-10f;   // smaller chain sums count as 0
constexpr float kAccCeiling = 1000.0f;
// Attempts after which a bank whose frequencies never exceed 1 is accepted as it is,
// so a set-up that never meets its test cannot loop for ever.
constexpr int kMaxBankAttempts = 1000;

// Indices of the replaced sines in the crossed-wave formula.
constexpr int kWaveS = 0;
constexpr int kWaveD = 1;
constexpr int kWaveE = 2;
constexpr int kWaveF = 3;
constexpr int kWaveU = 4;
constexpr int kWaveV = 5;

float RoundHalfUp(float v) { return std::floor(v + kHalf); }

// The two waves' parameters, drawn in this order: for each wave two frequencies, then its
// phase.
template <typename Params, typename Freq, typename Phase>
void FillWaves(Params& p, Freq&& freq, Phase&& phase)
{
    p[0] = freq();
    p[1] = freq();
    p[2] = phase();
    p[3] = freq();
    p[4] = freq();
    p[5] = phase();
}

float Sign(seRandom& r) { return r.rand(2) != 0 ? 1.0f : -1.0f; }

// The chain sum's hold: tiny values become 0, large ones (either sign) become +1000.
float Hold(float acc)
{
    const float m = std::fabs(acc);
    if (m < kAccFloor) return 0.0f;
    if (m > kAccCeiling) return kAccCeiling;
    return acc;
}
} // namespace

// ---------------------------------------------------------------------------------------
// PatternSin

PatternSin::PatternSin(const PatternEnv& env) : PatternCalculator(env)
{
    if (Form() == PatternForm::Full) m_pOp = CreateBinOp(m_env);
}

void PatternSin::Setup(int, int, bool simple, int)
{
    if (m_bSetUp) return;
    SetupSin(simple);
    m_bSetUp = true;
}

void PatternSin::SetupSin(bool simple)
{
    seRandom& r = Rand();
    const bool coin = r.rand(2) != 0;
    auto u = [&r] { return static_cast<float>(r.uniform()); };
    auto phase = [&] { return simple ? 0.0f : 2.0f * u() - 1.0f; };
    auto realFreq = [&] { return (1.0f - u()) * kRealFreqRange; };
    if (Form() == PatternForm::Full) {
        if (!coin || simple) {
            auto f = [&r] { return static_cast<float>(r.rand(kIntFreqRange) + 1); };
            FillWaves(m_P, f, phase);
        } else {
            FillWaves(m_P, realFreq, u);
        }
    } else {
        if (!coin || simple) {
            m_pOp = std::make_unique<BinOpAdd>(Levels());
            auto f = [&r] { return static_cast<float>(r.biased(kIntFreqRange, kSkewFreqBias) + 1); };
            FillWaves(m_P, f, phase);
            m_F.fill(true);
            return;
        }
        m_pOp = CreateBinOp(m_env);
        FillWaves(m_P, realFreq, u);
    }
    for (int k : {3, 4, 5, 0, 1, 2}) m_F[static_cast<size_t>(k)] = r.rand(2) != 0;
}

void PatternSin::SetWave(const std::array<float, kParams>& p, const std::array<bool, kParams>& f, std::unique_ptr<BinOp> op)
{
    m_P = p;
    m_F = f;
    if (op) m_pOp = std::move(op);
    m_fLastY = kNoLastY;
    m_fLastS = 0.0f;
    m_bSetUp = true;
}

float PatternSin::Wave(int, float t) const { return std::sin(kPi * t); }

void PatternSin::Compute(std::span<const float> in, std::span<float> out)
{
    const float x = Input(in, 0);
    if (in.size() < 2 && Form() == PatternForm::Full) {
        Output(out, std::sin(kPi * (m_P[1] * x + m_P[2])) * kHalf + kHalf);
        return;
    }
    const float y = Input(in, 1);
    float a = m_P[0], b = m_P[1], c = m_P[2], d = m_P[3], e = m_P[4], f = m_P[5];
    if (m_F[0] || m_F[1] || m_F[2]) {
        if (y != m_fLastY) {
            m_fLastS = Wave(kWaveS, m_P[4] * y + m_P[5]);
            m_fLastY = y;
        }
        const float s = m_fLastS;
        if (m_F[0]) a = m_P[0] * m_P[3] * s;
        if (m_F[1]) b = m_P[1] * m_P[3] * s;
        if (m_F[2]) c = m_P[2] * m_P[3] * s;
    }
    const float xt = m_P[1] * x + m_P[2];
    if (m_F[3]) d = Wave(kWaveD, xt) * m_P[3] * m_P[0];
    if (m_F[4]) e = Wave(kWaveE, xt) * m_P[4] * m_P[0];
    if (m_F[5]) f = Wave(kWaveF, xt) * m_P[5] * m_P[0];
    const float U = Wave(kWaveU, b * x + c) * a;
    const float V = Wave(kWaveV, e * y + f) * d;
    const float v = m_pOp ? m_pOp->Combine(U, V, a, d) : 0.0f;
    Output(out, v * kHalf + kHalf);
}

// ---------------------------------------------------------------------------------------
// PatternVecSin

void PatternVecSin::Setup(int nIn, int nOut, bool simple, int skew)
{
    if (m_bSetUp) return;
    m_sines.clear();
    for (int k = 0; k < nOut; ++k) m_sines.push_back(std::make_unique<PatternSin>(m_env));
    for (auto& s : m_sines) s->Setup(nIn, 1, simple, skew);
    m_bSetUp = true;
}

void PatternVecSin::Compute(std::span<const float> in, std::span<float> out)
{
    const size_t n = std::min(out.size(), m_sines.size());
    for (size_t k = 0; k < n; ++k) m_sines[k]->Compute(in, out.subspan(k, 1));
}

// ---------------------------------------------------------------------------------------
// PatternSinFM

void PatternSinFM::Setup(int, int, bool simple, int skew)
{
    if (m_bSetUp) return;
    seRandom& r = Rand();
    auto u = [&r] { return static_cast<float>(r.uniform()); };
    if (!m_bCleared) {
        m_bF = true;
        m_P = {};
        m_Q = {};
        m_R = {};
        m_bCleared = true;
    }
    do {
        m_bA = skew == 1 ? true : u() < kAdditiveProb;
        m_bV = skew == 1 ? true : r.rand(2) != 0;
        m_M = skew == 1 ? 1 : r.biased(kStagesRange, kStagesBias) + 1;
        m_N = r.rand(kChainsRange) + 1;
        const bool integerRatios = simple ? true : u() < kIntegerRatioProb;
        float largest = 0.0f;
        for (int i = 0; i < m_N; ++i) {
            for (int j = 0; j < m_M; ++j) {
                float q = (2.0f * u() - 1.0f) * kAmplitudeRange;
                const int mult = r.biased(kFreqMultRange, kFreqMultBias) + 1;
                float p = u() * static_cast<float>(mult);
                m_R[i][j] = simple ? 0.0f : (2.0f * u() - 1.0f) * kPi;
                if (integerRatios) {
                    q = RoundHalfUp(q);
                    if (q == 0.0f) q = Sign(r);
                    p = std::max(RoundHalfUp(p), 1.0f);
                }
                m_Q[i][j] = q;
                m_P[i][j] = p;
                largest = std::max(largest, p);
            }
        }
        ++m_iAttempts;
        if (largest > 1.0f || m_iAttempts >= kMaxBankAttempts) {
            m_bSetUp = true;
            return;
        }
    } while (SceneIdle());
}

float PatternSinFM::Wave(float x) const
{
    float acc = m_bA ? 0.0f : 1.0f;
    float norm = m_bA ? 0.0f : 1.0f;
    for (int i = 0; i < m_N; ++i) {
        float c = m_bF ? std::sin(kPi * (m_P[i][0] * x) + m_R[i][0]) * m_Q[i][0] : std::sin(x) * m_Q[i][0];
        for (int j = 1; j < m_M; ++j) {
            c = m_bV ? std::sin(kPi * m_P[i][j] * c + m_R[i][j]) * m_Q[i][j]
                     : std::sin(kPi * c * x + m_R[i][j]) * m_Q[i][j];
        }
        const float last = std::fabs(m_Q[i][m_M - 1]);
        if (m_bA) {
            acc += c;
            norm += last;
        } else {
            acc *= c;
            norm *= last;
        }
        acc = Hold(acc);
    }
    return norm == 0.0f ? acc : acc / norm;
}

float PatternSinFM::Slope(float x) const
{
    float acc = 0.0f;
    float norm = 0.0f;
    for (int i = 0; i < m_N; ++i) {
        acc += kPi * m_P[i][0] * m_Q[i][0] * std::cos(kPi * m_P[i][0] * x + m_R[i][0]);
        norm += std::fabs(m_Q[i][0]);
        acc = Hold(acc);
    }
    return norm == 0.0f ? acc : acc / norm;
}

void PatternSinFM::Compute(std::span<const float> in, std::span<float> out)
{
    Output(out, Wave(Input(in, 0)) * kHalf + kHalf);
}

void PatternSinFM::SetBank(bool additive, bool valueModulation, bool firstStage, int chains, int stages,
                           const Matrix& freq, const Matrix& amp, const Matrix& phase)
{
    m_bA = additive;
    m_bV = valueModulation;
    m_bF = firstStage;
    m_N = std::clamp(chains, 1, kMaxChains);
    m_M = std::clamp(stages, 1, kMaxStages);
    m_P = freq;
    m_Q = amp;
    m_R = phase;
    m_bCleared = true;
    m_bSetUp = true;
}

// ---------------------------------------------------------------------------------------
// PatternSinFMWavy

PatternSinFMWavy::PatternSinFMWavy(const PatternEnv& env) : PatternSin(env)
{
    for (auto& w : m_W) w = std::make_unique<PatternSinFM>(m_env);
}

void PatternSinFMWavy::Setup(int nIn, int nOut, bool simple, int skew)
{
    if (m_bSetUp) return;
    if (!m_bSinDone) {
        SetupSin(simple);
        m_bSinDone = true;
    }
    bool all = true;
    for (auto& w : m_W) {
        w->Setup(nIn, nOut, simple, skew);
        all = all && w->IsSetUp();
    }
    m_bSetUp = all;
}

float PatternSinFMWavy::Wave(int which, float t) const { return m_W[static_cast<size_t>(which)]->Wave(kPi * t); }
