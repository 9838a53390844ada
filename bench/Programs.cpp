// Program paths come from the build (compile definitions); environments from the test desktop.
#include "Programs.h"

namespace corvane::bench {

Programs::Programs(const test::TestDesktop& desktop)
    : m_environment(desktop.environment()), m_folder(desktop.directory() / "project")
{
    std::filesystem::create_directories(m_folder);
    m_environment.set("CORVANE_TRAY_INSTANCE_ID", std::string(64, 'b'));
    // Both folder dialogs start in the same empty folder.
    m_environment.set("CORVANE_CURRENT_PROJECT_ROOT", m_folder.string());
    m_environment.unset("CORVANE_UI_READY_MARKER");
    m_environment.unset("CORVANE_UI_WAIT_MS");
}

test::Process Programs::start(std::vector<std::string> argv) const
{
    test::Process::Options options{m_environment};
    options.errors = test::Process::Stream::Null;
    return test::Process(std::move(argv), std::move(options));
}

test::Process Programs::ours(const std::vector<std::string>& arguments) const
{
    std::vector<std::string> argv = {CORVANE_TRAY_PATH};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return start(std::move(argv));
}

test::Process Programs::bareTray() const
{
    return start({CORVANE_BARE_TRAY_PATH});
}

test::Process Programs::bareForm() const
{
    return start({CORVANE_BARE_FORM_PATH});
}

test::Process Programs::bareFolder() const
{
    return start({CORVANE_BARE_FOLDER_PATH, m_folder.string()});
}

std::string Programs::display() const
{
    return m_environment.get("DISPLAY").value_or("");
}

} // namespace corvane::bench
