// The random feed-forward network pattern.
#include "Patterns/PatternNetwork.h"

#include "shell/Random.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
constexpr float kPi = std::numbers::pi_v<float>;
constexpr int kLayersRange = 8;      // L = S(8, skew) + 3
constexpr int kLayersMin = 3;
constexpr int kNeuronsRange = 10;    // middle layers S(10, 3) + 2
constexpr int kNeuronsBias = 3;
constexpr int kNeuronsMin = 2;
constexpr int kKinds = 3;
constexpr int kKindBias = 2;
constexpr float kNoiseProb = 0.1f;
constexpr float kNoiseScale = 0.5f;
constexpr float kWeightRange = 8.0f;
constexpr float kSawPeriod = 4.0f;
} // namespace

void PatternNetwork::Setup(int nIn, int nOut, bool simple, int skew)
{
    if (m_bSetUp) return;
    seRandom& r = Rand();
    auto u = [&r] { return static_cast<float>(r.uniform()); };
    const int L = r.biased(kLayersRange, skew) + kLayersMin;
    m_layers.assign(static_cast<size_t>(L), Layer());
    m_layers.front().values.assign(static_cast<size_t>(std::max(nIn, 0)), 0.0f);
    for (int k = 1; k < L - 1; ++k)
        m_layers[k].values.assign(static_cast<size_t>(r.biased(kNeuronsRange, kNeuronsBias) + kNeuronsMin), 0.0f);
    m_layers.back().values.assign(static_cast<size_t>(std::max(nOut, 0)), 0.0f);

    for (Layer& layer : m_layers) {
        (void)u();  // a draw the network has always made and never used
        layer.phase = simple ? 0.0f : (2.0f * u() - 1.0f) * kPi;
    }
    for (Layer& layer : m_layers) layer.kind = simple ? 0 : r.biased(kKinds, kKindBias);
    float noise = 0.0f;
    if (const float n = u(); n < kNoiseProb && !simple) {
        const float a = u();
        noise = a * kNoiseScale * u();
    }
    for (int k = 1; k < L; ++k) {
        Layer& layer = m_layers[k];
        const size_t prev = m_layers[k - 1].values.size();
        layer.weights.assign(layer.values.size() * prev, 0.0f);
        for (size_t j = 0; j < layer.values.size(); ++j) {
            if (k != L - 1) (void)(u() * noise);  // the bias, which the evaluation leaves out
            for (size_t i = 0; i < prev; ++i) layer.weights[j * prev + i] = (2.0f * u() - 1.0f) * kWeightRange;
        }
    }
    m_bSetUp = true;
}

void PatternNetwork::Compute(std::span<const float> in, std::span<float> out)
{
    if (m_layers.empty()) return;
    auto& first = m_layers.front().values;
    for (size_t k = 0; k < first.size(); ++k) first[k] = (Input(in, k) + 1.0f) / 2.0f;
    for (size_t l = 1; l < m_layers.size(); ++l) {
        const auto& prev = m_layers[l - 1].values;
        Layer& layer = m_layers[l];
        for (size_t j = 0; j < layer.values.size(); ++j) {
            float s = 0.0f;
            for (size_t i = 0; i < prev.size(); ++i) s += prev[i] * layer.weights[j * prev.size() + i];
            float v;
            switch (layer.kind) {
            case 1: v = std::fabs(std::sin(layer.phase + s)); break;
            case 2: {
                const float t = std::fabs(s) / kSawPeriod;
                v = t - std::floor(t);
                break;
            }
            default: v = (std::sin(layer.phase + s) + 1.0f) / 2.0f; break;
            }
            layer.values[j] = v;
        }
    }
    const auto& last = m_layers.back().values;
    const size_t n = std::min(out.size(), last.size());
    for (size_t k = 0; k < n; ++k) out[k] = last[k];
}

void PatternNetwork::SetLayer(int index, float phase, int kind, const std::vector<float>& weights)
{
    if (index < 0 || index >= static_cast<int>(m_layers.size())) return;
    Layer& layer = m_layers[static_cast<size_t>(index)];
    layer.phase = phase;
    layer.kind = kind;
    if (weights.size() == layer.weights.size()) layer.weights = weights;
}
