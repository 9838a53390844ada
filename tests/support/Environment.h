// The environment handed to a child process, as variables by name. Changing it never touches this
// process's own environment. Value type; one owner thread.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace corvane::test {

class Environment final {
public:
    // A copy of this process's environment.
    static Environment inherited();

    void set(const std::string& name, const std::string& value);
    void unset(const std::string& name);
    std::optional<std::string> get(const std::string& name) const;

    // "NAME=value" entries, as execve wants them.
    std::vector<std::string> entries() const;

private:
    std::map<std::string, std::string> m_variables;
};

} // namespace corvane::test
