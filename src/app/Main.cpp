#include "Main.h"

#include "ActivationPolicy.h"
#include "Application.h"
#include "CoreDumps.h"
#include "EventWriter.h"
#include "FolderChooser.h"
#include "InstanceGuard.h"
#include "InstanceId.h"
#include "LaunchFlags.h"
#include "QtMessageFilter.h"
#include "SelfTest.h"

#include <QApplication>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <cstdlib>
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

// Runs the event loop of a tray-mode or form-mode run.
int runApplication(const LaunchFlags& flags, const char* programPath, DisplaySession& display)
{
    installQtMessageFilter();
    // Qt gets only the program path: every other argument is ours, and Qt would read some of them as
    // its own options (-platform, -style, ...).
    int qtArgumentCount = 1;
    char* qtArguments[] = {const_cast<char*>(programPath), nullptr};
    QApplication qtApplication(qtArgumentCount, qtArguments);
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

int Main::main(int argc, char** argv)
{
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
    DisplaySession display = DisplaySession::probe();
    if (const auto policy = settleActivationPolicy(flags.mode(), display.available())) {
        return refuse("Corvane could not enter a visible macOS application session (policy=" +
                      std::to_string(static_cast<int>(*policy)) + ").\n");
    }
    if (flags.form) {
        disableCoreDumps();
    }
    return runApplication(flags, argc > 0 && argv[0] ? argv[0] : "corvane-tray", display);
}

} // namespace corvane
