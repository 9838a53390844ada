// One table of the report: a row per metric with our figure, the baseline's, their ratio, the goal and
// whether it was met. Renders as a Markdown table whose columns line up in a terminal too.
// Value type; one owner thread.
#pragma once

#include "Samples.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::bench {

class ResultTable final {
public:
    struct Row {
        std::string metric;
        std::string ours;
        std::string baseline;
        std::string ratio;
        std::string goal;
        // Nothing for rows that only inform.
        std::optional<bool> met;
    };

    explicit ResultTable(std::string title) : m_title(std::move(title)) {}

    void add(Row row) { m_rows.push_back(std::move(row)); }
    const std::string& title() const { return m_title; }
    const std::vector<Row>& rows() const { return m_rows; }
    std::string markdown() const;

    // "12.3 µs (11.9–13.0)": the median and, when there are several values, the range.
    static std::string figure(const Samples& samples, int decimals, std::string_view unit);
    static std::string number(double value, int decimals);

private:
    std::string m_title;
    std::vector<Row> m_rows;
};

} // namespace corvane::bench
