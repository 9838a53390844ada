// corvane-demo: a small controller that runs corvane-tray children through a realistic session and
// prints every line they exchange. Interactive on a desktop; unattended (smoke runs driven by the demo
// itself) with --unattended or without a display. Single-threaded: the Qt event loop.
#include "Controller.h"
#include "DemoOptions.h"
#include "SmokeDriver.h"
#include "SmokeScenario.h"
#include "Transcript.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <stdexcept>

namespace {

using namespace corvane::demo;

// The corvane-tray installed beside this demo, else the one built with it.
std::string defaultTrayProgram()
{
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    const std::filesystem::path beside = self.parent_path() / "corvane-tray";
    if (!error && std::filesystem::exists(beside, error)) {
        return beside.string();
    }
    return CORVANE_TRAY_PATH;
}

int run(const DemoOptions& options)
{
    Transcript transcript(std::cout);
    Controller::Settings settings;
    settings.trayProgram = options.trayProgram;
    settings.smoke = options.unattended;
    settings.projectRoot = std::filesystem::current_path().string();
    settings.stopTimeout = options.timeout;
    Controller controller(settings, transcript);
    std::optional<SmokeDriver> driver;
    if (options.unattended) {
        driver.emplace(smokeScenario(!options.snapshotCommand.empty()),
                       SmokeDriver::Settings{options.timeout, options.snapshotCommand}, controller, transcript);
        controller.setObserver(&*driver);
    } else {
        transcript.note("use the tray menu: 暂停/继续, 设置 Access Key… (the right key is " +
                        std::string(demoAccessKey) + "), 选择项目目录…, 退出");
    }
    // From inside the loop, so that a session that ends at once still quits it.
    QTimer::singleShot(0, [&controller, &driver] {
        controller.start();
        if (driver) {
            driver->start();
        }
    });
    QCoreApplication::exec();
    const bool passed = controller.exitStatus() == 0 && (!driver || driver->complete());
    transcript.note(passed ? "done: every child ended with status 0" : "done, with failures");
    return passed ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    DemoOptions options;
    try {
        options = parseDemoOptions({argv + 1, static_cast<std::size_t>(argc > 0 ? argc - 1 : 0)}, defaultTrayProgram());
    } catch (const std::invalid_argument& error) {
        std::cerr << "corvane-demo: " << error.what() << "\n" << demoUsage;
        return 2;
    }
    if (options.help) {
        std::cout << demoUsage;
        return 0;
    }
    options.unattended = options.unattended || chooseUnattended(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"));
    const QCoreApplication application(argc, argv);
    try {
        return run(options);
    } catch (const std::exception& error) {
        std::cerr << "corvane-demo: " << error.what() << "\n";
        return 1;
    }
}
