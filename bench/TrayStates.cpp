// Tray-state line generation with nlohmann/json, so every accepted line is valid JSON.
#include "TrayStates.h"

#include <nlohmann/json.hpp>

#include <array>
#include <stdexcept>

namespace corvane::bench {
namespace {

using nlohmann::json;

constexpr std::size_t flatRows = 16;
constexpr std::array<const char*, 8> rowTexts = {"暂停同步",          "Open project folder", "设置…",
                                                 "Access Key 管理",   "Quit Corvane",        "查看日志",
                                                 "Check for updates", "关于 Corvane"};

json row(const std::string& id, std::size_t index, long serial)
{
    const std::string text = index == 0
                                 ? "已同步 " + std::to_string(serial) + " 个文件 · synced " + std::to_string(serial)
                                 : rowTexts[index % rowTexts.size()];
    return {{"id", id}, {"text", text}, {"enabled", index % 5 != 3}, {"action", "act-" + id}};
}

json menu(const StreamShape& shape, long serial)
{
    const std::string prefix = shape.newLayoutEachLine && serial % 2 != 0 ? "b" : "r";
    const std::size_t topLevel = std::min(shape.rows, flatRows);
    const std::size_t children = shape.rows - topLevel;
    json rows = json::array();
    std::size_t index = 0;
    for (std::size_t top = 0; top < topLevel; ++top) {
        json entry = row(prefix + std::to_string(index), index, serial);
        ++index;
        // The two parents at positions 2 and 3 share the children.
        if (children > 0 && (top == 2 || top == 3)) {
            entry.erase("action");
            entry["enabled"] = true;
            const std::size_t count = top == 2 ? children / 2 : children - children / 2;
            json& list = entry["children"] = json::array();
            for (std::size_t child = 0; child < count; ++child, ++index) {
                list.push_back(row(prefix + std::to_string(index), index, serial));
            }
        }
        rows.push_back(std::move(entry));
    }
    return rows;
}

} // namespace

std::string stateLine(const StreamShape& shape, long serial)
{
    json state = {{"status", shape.badStatus ? "Ready" : "ready"},
                  {"iconStatus", "busy"},
                  {"tooltip", tooltipOf(serial)},
                  {"menu", menu(shape, serial)}};
    std::string line = state.dump();
    if (shape.lineBytes == 0) {
        return line;
    }
    if (line.size() > shape.lineBytes) {
        throw std::invalid_argument("line length below the natural size of the state");
    }
    // The pattern needs no escaping, so each byte added to the tooltip adds one byte to the line.
    static const std::string pattern = " 同步中 syncing";
    std::string tooltip = state["tooltip"].get<std::string>();
    std::size_t missing = shape.lineBytes - line.size();
    for (; missing >= pattern.size(); missing -= pattern.size()) {
        tooltip += pattern;
    }
    tooltip.append(missing, 'x');
    state["tooltip"] = tooltip;
    return state.dump();
}

std::string tooltipOf(long serial)
{
    return "Corvane · 已同步 " + std::to_string(serial) + " 个文件";
}

std::vector<std::string> stateLines(const StreamShape& shape, long firstSerial, std::size_t count)
{
    std::vector<std::string> lines;
    lines.reserve(count);
    for (std::size_t index = 0; index < count; ++index) {
        lines.push_back(stateLine(shape, firstSerial + static_cast<long>(index)));
    }
    return lines;
}

std::vector<std::string> refusedLines(std::size_t count)
{
    static const std::array<std::string, 6> kinds = {
        "hello",
        "[]",
        "",
        R"({"type":"form","mode":"setup","projectRoot":""})",
        R"({"status":"Ready","iconStatus":"ready","tooltip":"","menu":[]})",
        R"({"status":"ready","iconStatus":"ready","tooltip":"","menu":[]})",
    };
    std::vector<std::string> lines;
    lines.reserve(count);
    for (std::size_t index = 0; index < count; ++index) {
        lines.push_back(kinds[index % kinds.size()]);
    }
    return lines;
}

} // namespace corvane::bench
