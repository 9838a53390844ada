// Order statistics over measured values.
#include "Samples.h"

#include <algorithm>
#include <cmath>

namespace corvane::bench {

double Samples::min() const
{
    return m_values.empty() ? 0 : *std::min_element(m_values.begin(), m_values.end());
}

double Samples::max() const
{
    return m_values.empty() ? 0 : *std::max_element(m_values.begin(), m_values.end());
}

double Samples::percentile(double percent) const
{
    if (m_values.empty()) {
        return 0;
    }
    std::vector<double> sorted = m_values;
    std::sort(sorted.begin(), sorted.end());
    if (percent == 50 && sorted.size() % 2 == 0) {
        return (sorted[sorted.size() / 2 - 1] + sorted[sorted.size() / 2]) / 2;
    }
    const auto rank = static_cast<std::size_t>(std::ceil(percent / 100 * static_cast<double>(sorted.size())));
    return sorted[std::clamp<std::size_t>(rank, 1, sorted.size()) - 1];
}

Samples Samples::ratiosTo(const Samples& other) const
{
    Samples ratios;
    for (std::size_t index = 0; index < std::min(size(), other.size()); ++index) {
        if (other.m_values[index] != 0) {
            ratios.add(m_values[index] / other.m_values[index]);
        }
    }
    return ratios;
}

} // namespace corvane::bench
