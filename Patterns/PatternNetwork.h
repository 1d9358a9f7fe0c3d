// PatternNetwork: a random feed-forward network from nIn inputs to nOut outputs with
// sine, rectified sine or sawtooth activations; a vector pattern.
#pragma once

#include "Patterns/PatternCalculator.h"

#include <vector>

class PatternNetwork final : public PatternCalculator {
public:
    struct Layer {
        std::vector<float> values;   // one per neuron
        std::vector<float> weights;  // neurons x previous layer's neurons, row per neuron
        float phase = 0.0f;
        int kind = 0;                // 0 sine, 1 rectified sine, 2 sawtooth
    };

    using PatternCalculator::PatternCalculator;

    bool IsVector() const override { return true; }
    void Setup(int nIn, int nOut, bool simple, int skew) override;
    void Compute(std::span<const float> in, std::span<float> out) override;
    int OutputCount(int n) const override { return n; }
    std::string_view Name() const override { return "PatternNetwork"; }

    const std::vector<Layer>& Layers() const { return m_layers; }
    // Fixes one layer's phase, activation and weights (sizes must match); for callers that
    // need a known network.
    void SetLayer(int index, float phase, int kind, const std::vector<float>& weights);

private:
    std::vector<Layer> m_layers;
};
