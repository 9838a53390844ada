// Prepares corvane-tray launches the way Corvane's controller makes them: one fresh instance identity for
// the whole session, this process's environment plus CORVANE_TRAY_INSTANCE_ID and, per launch, its own
// CORVANE_UI_READY_MARKER path in a private directory (a marker is never overwritten, so each launch gets
// a new one). Main thread; not copyable or movable.
#pragma once

#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace corvane::demo {

class TrayLauncher final {
public:
    struct Launch {
        std::vector<std::string> argv;
        QProcessEnvironment environment;
        std::filesystem::path marker;
    };

    // Throws std::runtime_error when the private directory cannot be made.
    explicit TrayLauncher(std::string program);

    const std::string& program() const { return m_program; }
    const std::string& identity() const { return m_identity; }
    // Only this user can enter it (mode 0700); it goes with everything in it.
    std::filesystem::path directory() const { return m_directory.path().toStdString(); }

    // `program arguments...` as the child `name`; `extra` variables are added to the environment.
    Launch prepare(const std::string& name, const std::vector<std::string>& arguments,
                   const std::map<std::string, std::string>& extra = {});

    // This process's environment without the variables a launch sets itself.
    static QProcessEnvironment inheritedEnvironment();

private:
    std::string m_program;
    std::string m_identity;
    QTemporaryDir m_directory;
    int m_launches = 0;
};

} // namespace corvane::demo
