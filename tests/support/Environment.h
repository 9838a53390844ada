// The environment handed to a child process: a QProcessEnvironment that takes standard strings. Changing
// it never touches this process's own environment. Value type; one owner thread.
#pragma once

#include <QProcessEnvironment>

#include <optional>
#include <string>

namespace corvane::test {

class Environment final : public QProcessEnvironment {
public:
    // No variables at all, not even PATH.
    Environment() = default;
    // A copy of this process's environment.
    static Environment inherited() { return Environment(systemEnvironment()); }

    void set(const std::string& name, const std::string& value)
    {
        insert(QString::fromStdString(name), QString::fromStdString(value));
    }
    void unset(const std::string& name) { remove(QString::fromStdString(name)); }
    std::optional<std::string> get(const std::string& name) const
    {
        const QString key = QString::fromStdString(name);
        return contains(key) ? std::optional(value(key).toStdString()) : std::nullopt;
    }

private:
    explicit Environment(const QProcessEnvironment& environment) : QProcessEnvironment(environment) {}
};

} // namespace corvane::test
