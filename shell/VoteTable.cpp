// Weighted choice tables.
#include "shell/VoteTable.h"

#include "shell/Random.h"

#include <algorithm>

namespace {
constexpr int kRandomWeightRange = 1000;  // RandomWeights draws rand(kRandomWeightRange)
}

void VoteTable::SetWeights(const std::vector<int>& weights, bool keepBase)
{
    const size_t n = weights.size();
    m_distribution.assign(n, 0.0f);
    if (n > 0) {
        float total = 0.0f;
        for (int w : weights)
            total += float(w);
        float cumulative = 0.0f;
        for (size_t j = 0; j + 1 < n; ++j) {
            if (total != 0.0f) {
                cumulative += float(weights[j]) / total;
                m_distribution[j] = cumulative;
            }
        }
        m_distribution[n - 1] = 1.0f;
    }
    if (keepBase)
        m_base = m_distribution;
}

void VoteTable::RandomWeights(int count, seRandom& g)
{
    std::vector<int> weights;
    weights.reserve(size_t(std::max(count, 0)));
    for (int i = 0; i < count; ++i)
        weights.push_back(g.rand(kRandomWeightRange));
    SetWeights(weights, true);
}

int VoteTable::Choose(seRandom& g, const std::vector<int>& exclusions, int drawLimit) const
{
    if (m_distribution.empty())
        return 0;
    int draws = 0;
    int j = 0;
    for (;;) {
        const double u = g.uniform();
        j = 0;
        for (size_t i = 0; i < m_distribution.size(); ++i) {
            if (double(m_distribution[i]) > u) {
                j = int(i);
                break;
            }
        }
        ++draws;
        const bool excluded = std::find(exclusions.begin(), exclusions.end(), j) != exclusions.end();
        if (!excluded || draws >= drawLimit)
            return j;
    }
}
