// One thing the unattended run waits for: an event line from a named child that carries the given
// members, or that child's end with a given status. Value type; pure.
#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <string_view>

namespace corvane::demo {

class Expectation final {
public:
    // An event `name` whose line also holds every member of `members` with an equal value.
    static Expectation event(std::string child, std::string name, nlohmann::json members = nlohmann::json::object());
    // The child's end with exit status `status`.
    static Expectation exit(std::string child, int status);

    const std::string& child() const { return m_child; }

    bool matchesEvent(std::string_view child, const nlohmann::json& line) const;
    bool matchesExit(std::string_view child, int status) const;
    // For messages: "tray {"event":"menu","action":"pause"}" or "form exit 0".
    std::string describe() const;

private:
    std::string m_child;
    nlohmann::json m_members;
    std::optional<int> m_status;
};

} // namespace corvane::demo
