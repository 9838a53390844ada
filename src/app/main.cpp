#include "app/Application.h"
#include "app/FolderChooser.h"
#include "app/PlatformPlugins.h"
#include "app/PlatformStartGuard.h"
#include "launch/ActivationPolicy.h"
#include "launch/CoreDumps.h"
#include "launch/DisplaySession.h"
#include "launch/InstanceGuard.h"
#include "launch/InstanceId.h"
#include "launch/LaunchFlags.h"
#include "launch/SelfTest.h"
#include "protocol/EventWriter.h"
#include "shell/QtMessageFilter.h"

#include <QApplication>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <unistd.h>

namespace corvane {
namespace {

constexpr const char* identityRefusal =
    "Start Corvane through its controller; a valid local instance identity is required.\n";
constexpr const char* lockFailure = "Corvane could not acquire its UI instance lock.\n";

int refuse(const std::string& message)
{
    std::fputs(message.c_str(), stderr);
    return 1;
}

std::string sessionFailure(ActivationPolicy policy)
{
    return "Corvane could not enter a visible macOS application session (policy=" +
           std::to_string(static_cast<int>(policy)) + ").\n";
}

// Runs the event loop of a tray-mode or form-mode run.
int runApplication(const LaunchFlags& flags, const char* programPath, DisplaySession& display)
{
    installQtMessageFilter();
    // Qt gets only the program path: every other argument is ours, and Qt would read some of them as
    // its own options (-platform, -style, ...).
    int qtArgumentCount = 1;
    char* qtArguments[] = {const_cast<char*>(programPath), nullptr};
    std::optional<PlatformStartGuard> platformStart(std::in_place,
                                                    sessionFailure(*settleActivationPolicy(flags.mode(), false)));
    QApplication qtApplication(qtArgumentCount, qtArguments);
    platformStart.reset();
    display.release();
    QApplication::setApplicationName(QStringLiteral("Corvane"));
    QApplication::setQuitOnLastWindowClosed(false);
    if (flags.chooseFolder) {
        runFolderChooser(flags.smoke);
        return 0;
    }
    Application application(flags.form, flags.smoke, standardOutput(), STDIN_FILENO);
    standardOutput().setFailureHandler(
        [&application] { QMetaObject::invokeMethod(&application, &Application::stop, Qt::QueuedConnection); });
    QTimer::singleShot(0, &application, &Application::launch);
    QApplication::exec();
    standardOutput().setFailureHandler(nullptr);
    return 0;
}

} // namespace

} // namespace corvane

// Decides once, in a fixed order, what this run is (self-test, refused start, duplicate, folder chooser,
// or the tray or form event loop), and is the only place that ends the process with status 1.
int main(int argc, char** argv)
{
    using namespace corvane;
    // A controller that closes its end of standard output must not kill the process: writes then fail
    // with EPIPE and the application stops in order.
    std::signal(SIGPIPE, SIG_IGN);
    const LaunchFlags flags = LaunchFlags::parse({argv, static_cast<std::size_t>(argc)});
    if (flags.selfTest) {
        runSelfTest();
        return 0;
    }
    const char* identity = std::getenv("CORVANE_TRAY_INSTANCE_ID");
    if (!identity || !validInstanceID(identity)) {
        return refuse(identityRefusal);
    }
    InstanceGuard::Acquisition lock = InstanceGuard::acquire(identity, flags.usesFormLock());
    if (std::holds_alternative<InstanceGuard::Failure>(lock)) {
        return refuse(lockFailure);
    }
    if (std::holds_alternative<InstanceGuard::HeldElsewhere>(lock)) {
        emit("duplicate");
        return 0;
    }
    DisplaySession display = DisplaySession::probe(platformPluginPresent);
    if (const auto policy = settleActivationPolicy(flags.mode(), display.available())) {
        return refuse(sessionFailure(*policy));
    }
    if (flags.form) {
        disableCoreDumps();
    }
    return runApplication(flags, argc > 0 && argv[0] ? argv[0] : "corvane-tray", display);
}
