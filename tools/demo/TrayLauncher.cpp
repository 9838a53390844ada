// Launching corvane-tray children. Main thread.
#include "TrayLauncher.h"

#include "InstanceIdentity.h"

#include <array>
#include <string_view>
#include <unistd.h>

namespace corvane::demo {
namespace {

constexpr std::array<std::string_view, 3> launchVariables = {
    "CORVANE_TRAY_INSTANCE_ID",
    "CORVANE_UI_READY_MARKER",
    "CORVANE_CURRENT_PROJECT_ROOT",
};

bool setByLaunch(std::string_view entry)
{
    for (const std::string_view name : launchVariables) {
        if (entry.size() > name.size() && entry.starts_with(name) && entry[name.size()] == '=') {
            return true;
        }
    }
    return false;
}

} // namespace

TrayLauncher::TrayLauncher(std::string program)
    : m_program(std::move(program)), m_identity(newInstanceIdentity()), m_directory("corvane-demo")
{}

std::vector<std::string> TrayLauncher::inheritedEnvironment()
{
    std::vector<std::string> entries;
    for (char** entry = environ; *entry; ++entry) {
        if (!setByLaunch(*entry)) {
            entries.emplace_back(*entry);
        }
    }
    return entries;
}

TrayLauncher::Launch TrayLauncher::launch(const std::string& name, const std::vector<std::string>& arguments,
                                          const std::map<std::string, std::string>& extra)
{
    const std::filesystem::path marker = m_directory.path() / (name + "-" + std::to_string(++m_launches) + ".ready");
    std::vector<std::string> environment = inheritedEnvironment();
    environment.push_back("CORVANE_TRAY_INSTANCE_ID=" + m_identity);
    environment.push_back("CORVANE_UI_READY_MARKER=" + marker.string());
    for (const auto& [variable, value] : extra) {
        environment.push_back(variable + "=" + value);
    }
    std::vector<std::string> argv = {m_program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return {std::make_unique<ChildProcess>(name, argv, environment), marker};
}

} // namespace corvane::demo
