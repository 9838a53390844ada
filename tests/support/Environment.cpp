// Environment snapshots for child processes. Reads this process's environment only in inherited().
#include "Environment.h"

#include <unistd.h>

namespace corvane::test {

Environment Environment::inherited()
{
    Environment environment;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text(*entry);
        const auto equals = text.find('=');
        if (equals != std::string::npos) {
            environment.m_variables[text.substr(0, equals)] = text.substr(equals + 1);
        }
    }
    return environment;
}

void Environment::set(const std::string& name, const std::string& value)
{
    m_variables[name] = value;
}

void Environment::unset(const std::string& name)
{
    m_variables.erase(name);
}

std::optional<std::string> Environment::get(const std::string& name) const
{
    const auto found = m_variables.find(name);
    if (found == m_variables.end()) {
        return std::nullopt;
    }
    return found->second;
}

std::vector<std::string> Environment::entries() const
{
    std::vector<std::string> entries;
    entries.reserve(m_variables.size());
    for (const auto& [name, value] : m_variables) {
        entries.push_back(name + '=' + value);
    }
    return entries;
}

} // namespace corvane::test
