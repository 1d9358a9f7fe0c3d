// Weighted choice table: integer weights (the settings' votes) turned into a cumulative
// distribution, with a base copy that perturbations start from.
#pragma once

#include <vector>

class seRandom;

class VoteTable {
public:
    static constexpr int kDefaultDrawLimit = 10;

    VoteTable() = default;
    explicit VoteTable(const std::vector<int>& weights) { SetWeights(weights, true); }

    // Builds the distribution from weights: entry j = (w0 + .. + wj) / total for j < n-1
    // (0 when the total is 0), the last entry exactly 1.0. keepBase: the base copy
    // becomes the new distribution too. An empty list gives an empty table.
    void SetWeights(const std::vector<int>& weights, bool keepBase = true);
    // count weights rand(1000) from g in index order; they also become the base.
    void RandomWeights(int count, seRandom& g);
    // Draws u = g.uniform() and takes the first index whose entry exceeds u (0 when none);
    // draws again while the index is excluded and fewer than drawLimit draws were made.
    // The last allowed draw is accepted whatever it is. An empty table gives 0 and draws
    // nothing.
    int Choose(seRandom& g, const std::vector<int>& exclusions = {}, int drawLimit = kDefaultDrawLimit) const;

    int size() const { return int(m_distribution.size()); }
    const std::vector<float>& distribution() const { return m_distribution; }
    const std::vector<float>& base() const { return m_base; }

private:
    std::vector<float> m_distribution;
    std::vector<float> m_base;
};
