// Starts corvane-tray the way Corvane's controller does: one fresh instance identity for the whole
// session, this process's environment plus CORVANE_TRAY_INSTANCE_ID and, per launch, its own
// CORVANE_UI_READY_MARKER path in a private directory (a marker is never overwritten, so each launch
// gets a new one), and pipes for all three standard streams. Main thread; not copyable or movable.
#pragma once

#include "ChildProcess.h"
#include "PrivateDirectory.h"

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace corvane::demo {

class TrayLauncher final {
public:
    struct Launch {
        std::unique_ptr<ChildProcess> child;
        std::filesystem::path marker;
    };

    explicit TrayLauncher(std::string program);

    const std::string& program() const { return m_program; }
    const std::string& identity() const { return m_identity; }
    const std::filesystem::path& directory() const { return m_directory.path(); }

    // Starts `program arguments...` as the child `name`; `extra` variables are added to the environment.
    // Throws std::system_error when it cannot be started.
    Launch launch(const std::string& name, const std::vector<std::string>& arguments,
                  const std::map<std::string, std::string>& extra = {});

    // This process's environment as "NAME=value" entries, without the variables a launch sets itself.
    static std::vector<std::string> inheritedEnvironment();

private:
    std::string m_program;
    std::string m_identity;
    PrivateDirectory m_directory;
    int m_launches = 0;
};

} // namespace corvane::demo
