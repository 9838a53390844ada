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
#include "launch/StandardStreams.h"
#include "protocol/EventWriter.h"
#include "protocol/StandardError.h"
#include "shell/QtMessageFilter.h"
#include "shell/TerminationRequests.h"

#include <QApplication>
#include <QTimer>

#include <array>
#include <csignal>
#include <cstdlib>
#include <optional>
#include <string>
#include <unistd.h>

namespace corvane {
namespace {

constexpr const char* identityRefusal =
    "Start Corvane through its controller; a valid local instance identity is required.\n";
constexpr const char* lockFailure = "Corvane could not acquire its UI instance lock.\n";
constexpr const char* displayLost = "Corvane lost its display session.\n";
// The exit status after displayLost: neither an orderly end (0) nor a launch failure (1).
constexpr int displayLostStatus = 2;

int refuse(const std::string& message)
{
    writeStandardError(message);
    return 1;
}

// A self-pipe, a thread or a standard stream could not be made: without it a feature would be silently
// missing (termination requests, a cancellable reader) or the run would hang.
std::string startFailure(int error)
{
    return "Corvane could not start its UI process (errno=" + std::to_string(error) + ").\n";
}

// Qt's X11 connection broke (the server died or dropped us). Qt would end the process at once with its
// own status; nothing of ours is left to do but say so. Every event line already went out whole, and the
// lock goes with the process.
[[noreturn]] void onDisplayLost()
{
    writeStandardError(displayLost);
    ::_exit(displayLostStatus);
}

std::string sessionFailure(ActivationPolicy policy)
{
    return "Corvane could not enter a visible macOS application session (policy=" +
           std::to_string(static_cast<int>(policy)) + ").\n";
}

// Runs the event loop of a tray-mode or form-mode run.
int runApplication(const LaunchFlags& flags, const char* programPath, DisplaySession& display)
{
    // Qt gets only the program path: every other argument is ours, and Qt would read some of them as
    // its own options (-platform, -style, ...).
    int qtArgumentCount = 1;
    std::array<char*, 2> qtArguments = {const_cast<char*>(programPath), nullptr};
    std::optional<PlatformStartGuard> platformStart(std::in_place,
                                                    sessionFailure(*settleActivationPolicy(flags.mode(), false)));
    QApplication qtApplication(qtArgumentCount, qtArguments.data());
    platformStart.reset();
    display.release();
    QApplication::setApplicationName(QStringLiteral("Corvane"));
    QApplication::setQuitOnLastWindowClosed(false);
    if (flags.chooseFolder) {
        TerminationRequests termination;
        if (const int error = termination.startError()) {
            return refuse(startFailure(error));
        }
        runFolderChooser(flags.smoke, termination);
        return 0;
    }
    Application application(flags.form, flags.smoke, standardOutput(), STDIN_FILENO);
    if (const int error = application.startError()) {
        return refuse(startFailure(error));
    }
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
    // First of all: a termination request waits until it can be handled (TerminationRequests), and no
    // file of ours can become a standard stream.
    TerminationRequests::holdRequests();
    if (const int error = openMissingStandardStreams()) {
        return refuse(startFailure(error));
    }
    // Qt's own messages stay off standard error from here on: the platform plugin probe below already
    // loads plugins through Qt.
    installQtMessageFilter(onDisplayLost);
    // A controller that closes its end of standard output must not kill the process: writes then fail
    // with EPIPE and the application stops in order.
    static_cast<void>(std::signal(SIGPIPE, SIG_IGN));
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
