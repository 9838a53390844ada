// A set of measured values of one kind (milliseconds, microseconds, KiB, ...) and the order statistics
// the report uses: median, minimum, maximum and percentiles. Value type; one owner thread.
#pragma once

#include <cstddef>
#include <vector>

namespace corvane::bench {

class Samples final {
public:
    void add(double value) { m_values.push_back(value); }
    void append(const Samples& other) { m_values.insert(m_values.end(), other.m_values.begin(), other.m_values.end()); }
    bool empty() const { return m_values.empty(); }
    std::size_t size() const { return m_values.size(); }

    double median() const { return percentile(50); }
    double min() const;
    double max() const;
    // Nearest-rank percentile, `percent` in [0, 100]; 0 when there are no values.
    double percentile(double percent) const;

    // Element-wise quotient of two paired sets (this[i] / other[i]), over the shorter length.
    Samples ratiosTo(const Samples& other) const;

private:
    std::vector<double> m_values;
};

} // namespace corvane::bench
