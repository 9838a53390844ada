// Matching expected events. Pure.
#include "Expectation.h"

namespace corvane::demo {

Expectation Expectation::event(std::string child, std::string name, nlohmann::json members)
{
    Expectation expectation;
    expectation.m_child = std::move(child);
    expectation.m_members = std::move(members);
    expectation.m_members["event"] = std::move(name);
    return expectation;
}

Expectation Expectation::exit(std::string child, int status)
{
    Expectation expectation;
    expectation.m_child = std::move(child);
    expectation.m_status = status;
    return expectation;
}

bool Expectation::matchesEvent(std::string_view child, const nlohmann::json& line) const
{
    if (m_status || child != m_child || !line.is_object()) {
        return false;
    }
    for (const auto& [key, value] : m_members.items()) {
        const auto found = line.find(key);
        if (found == line.end() || *found != value) {
            return false;
        }
    }
    return true;
}

bool Expectation::matchesExit(std::string_view child, int status) const
{
    return m_status && child == m_child && *m_status == status;
}

std::string Expectation::describe() const
{
    if (m_status) {
        return m_child + " exit " + std::to_string(*m_status);
    }
    return m_child + " " + m_members.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

} // namespace corvane::demo
