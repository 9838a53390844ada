#include "TrayProgram.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace corvane::test {

std::string identityOf(char digit)
{
    return std::string(64, digit);
}

Environment offscreenEnvironment(const std::string& identity, const std::filesystem::path& temporaryDirectory)
{
    Environment environment = Environment::inherited();
    environment.set("QT_QPA_PLATFORM", "offscreen");
    environment.set("CORVANE_TRAY_INSTANCE_ID", identity);
    environment.set("TMPDIR", temporaryDirectory.string());
    environment.unset("CORVANE_UI_READY_MARKER");
    environment.unset("CORVANE_CURRENT_PROJECT_ROOT");
    return environment;
}

std::filesystem::path lockPath(const std::filesystem::path& temporaryDirectory, const std::string& identity,
                               bool formLock)
{
    return temporaryDirectory /
           ("corvane-tray-" + std::to_string(::geteuid()) + "-" + identity + (formLock ? "-form" : "") + ".lock");
}

Process startTray(const std::vector<std::string>& arguments, Process::Options options)
{
    std::vector<std::string> argv = {CORVANE_TRAY_PATH};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return Process(std::move(argv), std::move(options));
}

std::string nextLine(Process& process, std::chrono::milliseconds timeout)
{
    return process.readLine(timeout).value_or("<nothing>");
}

Environment desktopTrayEnvironment(const TestDesktop& desktop, const std::string& identity)
{
    Environment environment = desktop.environment();
    environment.set("CORVANE_TRAY_INSTANCE_ID", identity);
    environment.unset("CORVANE_UI_READY_MARKER");
    return environment;
}

Process& startVisibleTray(std::optional<Process>& slot, Process::Options options)
{
    Process& tray = slot.emplace(std::vector<std::string>{CORVANE_TRAY_PATH, "--smoke"}, std::move(options));
    const std::string first = nextLine(tray);
    EXPECT_EQ(first, R"({"event":"ready"})") << (first == "<nothing>" ? tray.readAllStderr(patience) : "");
    EXPECT_EQ(nextLine(tray), R"({"event":"tray-visible"})");
    return tray;
}

} // namespace corvane::test
