// Launches of corvane-tray children. Main thread.
#include "TrayLauncher.h"

#include "InstanceIdentity.h"

#include <QDir>

#include <stdexcept>

namespace corvane::demo {

TrayLauncher::TrayLauncher(std::string program)
    : m_program(std::move(program)), m_identity(newInstanceIdentity()),
      m_directory(QDir::tempPath() + QStringLiteral("/corvane-demo-XXXXXX"))
{
    if (!m_directory.isValid()) {
        throw std::runtime_error("cannot make a private directory: " + m_directory.errorString().toStdString());
    }
}

QProcessEnvironment TrayLauncher::inheritedEnvironment()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"CORVANE_TRAY_INSTANCE_ID", "CORVANE_UI_READY_MARKER", "CORVANE_CURRENT_PROJECT_ROOT"}) {
        environment.remove(QString::fromLatin1(name));
    }
    return environment;
}

TrayLauncher::Launch TrayLauncher::prepare(const std::string& name, const std::vector<std::string>& arguments,
                                           const std::map<std::string, std::string>& extra)
{
    Launch launch{
        {m_program}, inheritedEnvironment(), directory() / (name + "-" + std::to_string(++m_launches) + ".ready")};
    launch.argv.insert(launch.argv.end(), arguments.begin(), arguments.end());
    launch.environment.insert(QStringLiteral("CORVANE_TRAY_INSTANCE_ID"), QString::fromStdString(m_identity));
    launch.environment.insert(QStringLiteral("CORVANE_UI_READY_MARKER"),
                              QString::fromStdString(launch.marker.string()));
    for (const auto& [variable, value] : extra) {
        launch.environment.insert(QString::fromStdString(variable), QString::fromStdString(value));
    }
    return launch;
}

} // namespace corvane::demo
