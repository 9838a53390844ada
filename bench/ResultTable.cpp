// Markdown rendering of result tables, padded by code points so that columns line up.
#include "ResultTable.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace corvane::bench {
namespace {

std::size_t displayWidth(std::string_view text)
{
    std::size_t width = 0;
    for (const char byte : text) {
        width += (static_cast<unsigned char>(byte) & 0xC0) != 0x80 ? 1 : 0;
    }
    return width;
}

std::string verdict(const std::optional<bool>& met)
{
    if (!met) {
        return "—";
    }
    return *met ? "pass" : "MISS";
}

} // namespace

std::string ResultTable::number(double value, int decimals)
{
    std::array<char, 64> text{};
    std::snprintf(text.data(), text.size(), "%.*f", decimals, value);
    return text.data();
}

std::string ResultTable::figure(const Samples& samples, int decimals, std::string_view unit)
{
    if (samples.empty()) {
        return "—";
    }
    std::string text = number(samples.median(), decimals);
    if (!unit.empty()) {
        text += unit == "x" ? "" : " ";
        text += unit;
    }
    if (samples.size() > 1) {
        text += " (" + number(samples.min(), decimals) + "–" + number(samples.max(), decimals) + ")";
    }
    return text;
}

std::string ResultTable::markdown() const
{
    using Cells = std::array<std::string, 6>;
    std::vector<Cells> lines = {{"Metric", "Ours", "Baseline", "Ratio", "Goal", "Result"}};
    for (const Row& row : m_rows) {
        lines.push_back({row.metric, row.ours, row.baseline, row.ratio, row.goal, verdict(row.met)});
    }
    std::array<std::size_t, 6> widths{};
    for (const Cells& cells : lines) {
        for (std::size_t column = 0; column < cells.size(); ++column) {
            widths[column] = std::max(widths[column], displayWidth(cells[column]));
        }
    }
    std::string out = "### " + m_title + "\n\n";
    const auto appendLine = [&out, &widths](const Cells& cells) {
        out += '|';
        for (std::size_t column = 0; column < cells.size(); ++column) {
            out += ' ' + cells[column] + std::string(widths[column] - displayWidth(cells[column]), ' ') + " |";
        }
        out += '\n';
    };
    appendLine(lines.front());
    out += '|';
    for (const std::size_t width : widths) {
        out += std::string(width + 2, '-') + '|';
    }
    out += '\n';
    for (std::size_t index = 1; index < lines.size(); ++index) {
        appendLine(lines[index]);
    }
    return out;
}

} // namespace corvane::bench
