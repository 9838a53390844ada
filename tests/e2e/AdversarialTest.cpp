// What an adversarial run tries at the process's launch, offscreen: standard streams closed at launch,
// a termination request before the handler exists, a lock file that another user planted or that is not
// a private regular file, and start-up that runs out of descriptors or threads.
#include "TrayProgram.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <random>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* lockFailure = "Corvane could not acquire its UI instance lock.\n";
constexpr const char* ready = R"({"event":"ready"})";
constexpr const char* formLine = R"({"type":"form","mode":"replace-key","projectRoot":""})"
                                 "\n";

std::string startFailure(int error)
{
    return "Corvane could not start its UI process (errno=" + std::to_string(error) + ").\n";
}

// 64 random lowercase hexadecimal digits: lock files in the shared /tmp must not meet another run's.
std::string randomIdentity()
{
    std::random_device random;
    std::string identity;
    while (identity.size() < 64) {
        identity += "0123456789abcdef"[random() % 16];
    }
    return identity;
}

std::string readFile(const fs::path& path)
{
    std::ifstream stream(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

// Notices when a file named `name` in `directory` is created or opened.
class OpenWatch final {
public:
    OpenWatch(const fs::path& directory, std::string name) : m_name(std::move(name))
    {
        m_fd = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
        EXPECT_GE(m_fd, 0);
        EXPECT_GE(::inotify_add_watch(m_fd, directory.c_str(), IN_CREATE | IN_OPEN), 0);
    }
    OpenWatch(const OpenWatch&) = delete;
    OpenWatch& operator=(const OpenWatch&) = delete;
    ~OpenWatch() { ::close(m_fd); }

    bool await(std::chrono::milliseconds timeout)
    {
        const auto end = std::chrono::steady_clock::now() + timeout;
        alignas(inotify_event) std::array<char, 4096> buffer{};
        for (;;) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            pollfd wait{m_fd, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&wait, 1, static_cast<int>(left.count())) <= 0) {
                return false;
            }
            const ssize_t count = ::read(m_fd, buffer.data(), buffer.size());
            for (ssize_t at = 0; at < count;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + at);
                if (event->len > 0 && m_name == event->name) {
                    return true;
                }
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
    }

private:
    int m_fd = -1;
    std::string m_name;
};

class Adversarial : public ::testing::Test {
protected:
    Process::Options offscreen() const
    {
        Process::Options options{.environment = offscreenEnvironment(m_identity, pathOf(m_scratch))};
        // Tray runs here have no tray host: a short wait, then "tray-not-visible".
        options.environment.set("CORVANE_UI_WAIT_MS", "200");
        return options;
    }

    fs::path formLock() const { return lockPath(pathOf(m_scratch), m_identity, true); }
    fs::path trayLock() const { return lockPath(pathOf(m_scratch), m_identity, false); }

    // Starts corvane-tray with `arguments` through a shell that first closes descriptor `closed`.
    static Process startWithClosed(int closed, const std::vector<std::string>& arguments, Process::Options options)
    {
        std::vector<std::string> argv = {"/bin/sh", "-c",
                                         "exec \"$0\" \"$@\" " + std::to_string(closed) + (closed == 0 ? "<&-" : ">&-"),
                                         CORVANE_TRAY_PATH};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        return Process(argv, std::move(options));
    }

    // Starts corvane-tray and sends it SIGTERM as soon as it opens its lock file: after the first
    // instruction of main, and before the old code had its handler (which came some 10 ms later).
    static Process& startSignalledAtTheLock(std::optional<Process>& slot, const std::vector<std::string>& arguments,
                                            const fs::path& lock, Process::Options options)
    {
        OpenWatch watch(lock.parent_path(), lock.filename().string());
        std::vector<std::string> argv = {CORVANE_TRAY_PATH};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        Process& process = slot.emplace(std::move(argv), std::move(options));
        EXPECT_TRUE(watch.await(patience)) << "the lock file was never opened";
        EXPECT_EQ(::kill(process.pid(), SIGTERM), 0);
        return process;
    }

    QTemporaryDir m_scratch;
    const std::string m_identity = identityOf('5');
};

TEST_F(Adversarial, StandardStreamsClosedAtLaunchNeverMakeALockFileReceiveOutput)
{
    Process::Options options = offscreen();
    options.environment.set("CORVANE_UI_READY_MARKER", (pathOf(m_scratch) / "missing" / "marker").string());
    struct Case {
        int closed;
        std::vector<std::string> arguments;
        std::string firstLine;
    };
    // Standard output closed: nothing to read, and the run stops by itself at its first event. Standard
    // error closed: the marker's failure line goes nowhere. Standard input closed: end of input at once.
    const std::vector<Case> cases = {{1, {"form", "--smoke"}, "<nothing>"},
                                     {1, {}, "<nothing>"},
                                     {2, {"form", "--smoke"}, ready},
                                     {0, {"form"}, ready}};
    for (const Case& run : cases) {
        SCOPED_TRACE("descriptor " + std::to_string(run.closed) + (run.arguments.empty() ? ", tray" : ", form"));
        Process process = startWithClosed(run.closed, run.arguments, options);
        // What a controller would send, the Access Key among it.
        process.writeStdin(std::string(formLine) + R"({"type":"exercise-form","accessKey":"ck-stdout-closed-Zq81x"})" +
                           "\n");
        EXPECT_EQ(nextLine(process), run.firstLine);
        if (run.closed == 1) {
            EXPECT_EQ(process.wait(patience), 0) << "the run did not stop by itself";
        }
        process.closeStdin();
        EXPECT_EQ(process.wait(patience), 0);
        EXPECT_EQ(process.readAllStderr(patience), "");
        EXPECT_EQ(readFile(run.arguments.empty() ? trayLock() : formLock()), "");
    }
}

TEST_F(Adversarial, EarlyTerminationRequestIsReportedInEveryModeAndNeverKills)
{
    struct Case {
        const char* what;
        std::vector<std::string> arguments;
        fs::path lock;
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases = {
        {"tray",
         {},
         trayLock(),
         {ready, R"({"action":"exit","event":"menu"})", R"({"event":"protocol-error","reason":"tray-not-visible"})"}},
        {"form", {"form"}, formLock(), {ready, R"({"event":"cancel"})"}},
        {"folder chooser, cancelled",
         {"choose-folder"},
         formLock(),
         {R"({"canCreateDirectories":true,"event":"folder-result","projectRoot":null,"visible":false})"}},
    };
    for (const Case& run : cases) {
        SCOPED_TRACE(run.what);
        std::optional<Process> slot;
        Process& process = startSignalledAtTheLock(slot, run.arguments, run.lock, offscreen());
        for (const std::string& line : run.lines) {
            EXPECT_EQ(nextLine(process), line);
        }
        process.closeStdin();
        EXPECT_EQ(process.wait(patience), 0);
        EXPECT_EQ(process.readAllStdout(patience), "");
        EXPECT_EQ(process.readAllStderr(patience), "");
    }
    // A duplicate holds the request until it ends.
    Process holder = startTray({"form"}, offscreen());
    ASSERT_EQ(nextLine(holder), ready);
    std::optional<Process> slot;
    Process& duplicate = startSignalledAtTheLock(slot, {"form"}, formLock(), offscreen());
    EXPECT_EQ(nextLine(duplicate), R"({"event":"duplicate"})");
    EXPECT_EQ(duplicate.wait(patience), 0);
}

// A lock file another user can write, or one that is not ours, is never taken for another run of ours.
TEST_F(Adversarial, LockFileThatIsNotAPrivateFileOfOursIsALockFailureNeverADuplicate)
{
    // Neither TMPDIR nor XDG_RUNTIME_DIR: the lock lives in the shared /tmp.
    Process::Options options = offscreen();
    options.environment.unset("TMPDIR");
    options.environment.unset("XDG_RUNTIME_DIR");
    options.input = Process::Stream::Null;
    struct Planted {
        const char* what;
        // Run through /bin/sh with the lock path as $0; prints "held" once the file is there (and held).
        std::string planter;
        bool asNobody;
    };
    const std::vector<Planted> cases = {
        {"another user's file, 0666, locked", "umask 0; exec flock \"$0\" sh -c 'echo held; exec cat'", true},
        {"another user's file, 0644, locked", "umask 022; exec flock \"$0\" sh -c 'echo held; exec cat'", true},
        {"another user's file, 0600, not locked", "umask 077; : > \"$0\"; echo held; exec cat", true},
        {"our own file, writable by everyone", "umask 0; : > \"$0\"; echo held; exec cat", false},
        {"a named pipe", "mkfifo -m 600 \"$0\"; echo held; exec cat", false},
    };
    for (const Planted& planted : cases) {
        SCOPED_TRACE(planted.what);
        const std::string identity = randomIdentity();
        const fs::path lock = lockPath("/tmp", identity, true);
        std::vector<std::string> argv = {"/bin/sh", "-c", planted.planter, lock.string()};
        if (planted.asNobody) {
            argv.insert(argv.begin(), {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"});
        }
        Process planter(argv);
        ASSERT_EQ(nextLine(planter), "held");
        struct stat before {};
        ASSERT_EQ(::lstat(lock.c_str(), &before), 0);

        options.environment.set("CORVANE_TRAY_INSTANCE_ID", identity);
        Process victim = startTray({"form"}, options);
        EXPECT_EQ(victim.readAllStdout(patience), "");
        EXPECT_EQ(victim.readAllStderr(patience), lockFailure);
        EXPECT_EQ(victim.wait(patience), 1);

        struct stat after {};
        EXPECT_EQ(::lstat(lock.c_str(), &after), 0);
        EXPECT_EQ(after.st_mode, before.st_mode);
        EXPECT_EQ(after.st_uid, before.st_uid);
        planter.closeStdin();
        EXPECT_TRUE(planter.wait(patience));
        fs::remove(lock);
    }
}

TEST_F(Adversarial, LockLivesInTheUsersOwnRuntimeDirectoryWhenTmpdirIsUnset)
{
    QTemporaryDir runtime;
    Process::Options options = offscreen();
    options.environment.unset("TMPDIR");
    options.environment.set("XDG_RUNTIME_DIR", pathOf(runtime).string());
    options.environment.set("CORVANE_TRAY_INSTANCE_ID", randomIdentity());
    const std::string identity = *options.environment.get("CORVANE_TRAY_INSTANCE_ID");
    Process form = startTray({"form"}, options);
    ASSERT_EQ(nextLine(form), ready);
    const fs::path lock = lockPath(pathOf(runtime), identity, true);
    EXPECT_TRUE(fs::is_regular_file(lock));
    EXPECT_EQ(fs::status(lock).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_FALSE(fs::exists(lockPath("/tmp", identity, true)));
    form.closeStdin();
    EXPECT_EQ(form.wait(patience), 0);
    fs::remove(lockPath("/tmp", identity, true));
}

// Every descriptor limit from 4 up (the lowest ones leave no room for the dynamic loader or the toolkit,
// the more so as descriptors inherited from the test runner count too) gives one of: a failure before
// our code can act (the loader cannot open a library, the toolkit cannot load its platform plugin), our
// start-up failure line (a self-pipe of ours cannot be made), or a run with every feature: "ready", a
// termination request answered, an orderly end. Never a hang, a run that silently lacks a feature, or
// a death by the request.
TEST_F(Adversarial, StartUpThatRunsOutOfDescriptorsFailsWithOneLineOrRunsWhole)
{
    enum class Outcome { NotYetOurs, StartFailure, Whole };
    std::vector<Outcome> outcomes;
    for (int limit = 4; limit <= 16; ++limit) {
        SCOPED_TRACE("descriptor limit " + std::to_string(limit));
        const std::string bound = std::to_string(limit);
        Process form({"prlimit", "--nofile=" + bound + ":" + bound, CORVANE_TRAY_PATH, "form"}, offscreen());
        const std::string first = nextLine(form);
        if (first == ready) {
            ASSERT_EQ(::kill(form.pid(), SIGTERM), 0);
            EXPECT_EQ(nextLine(form), R"({"event":"cancel"})");
            form.closeStdin();
            EXPECT_EQ(form.wait(patience), 0);
            EXPECT_EQ(form.readAllStderr(patience), "");
            outcomes.push_back(Outcome::Whole);
            continue;
        }
        EXPECT_EQ(first, "<nothing>");
        const std::optional<int> status = form.wait(patience);
        const std::string errors = form.readAllStderr(patience);
        // The toolkit that cannot open its platform is reported as no display session.
        if ((status == 128 + SIGABRT && errors.empty()) ||
            (status == 1 && errors == "Corvane could not enter a visible macOS application session (policy=2).\n") ||
            (status == 127 && errors.find("error while loading shared libraries") != std::string::npos)) {
            outcomes.push_back(Outcome::NotYetOurs);
        } else {
            EXPECT_EQ(errors, startFailure(EMFILE));
            EXPECT_EQ(status, 1);
            outcomes.push_back(Outcome::StartFailure);
        }
    }
    // The two self-pipes fail at different limits, each with our line; below them only the loader or
    // the toolkit fails, and from the first whole run up every run is whole.
    const auto firstOurs = std::find(outcomes.begin(), outcomes.end(), Outcome::StartFailure);
    const auto firstWhole = std::find(outcomes.begin(), outcomes.end(), Outcome::Whole);
    EXPECT_GE(std::count(outcomes.begin(), outcomes.end(), Outcome::StartFailure), 2);
    EXPECT_TRUE(
        std::all_of(outcomes.begin(), firstOurs, [](Outcome outcome) { return outcome == Outcome::NotYetOurs; }));
    EXPECT_LT(firstOurs, firstWhole);
    EXPECT_TRUE(std::all_of(firstWhole, outcomes.end(), [](Outcome outcome) { return outcome == Outcome::Whole; }));
}

// The input reader's thread is made at start-up: a process that may not start another thread fails there.
TEST_F(Adversarial, StartUpWithoutRoomForTheReaderThreadFailsWithOneLine)
{
    // A user id of this test alone, so that no other process counts against its one-task limit.
    const std::string user = std::to_string(40000 + ::getpid() % 20000);
    ASSERT_EQ(
        ::chown(pathOf(m_scratch).c_str(), static_cast<uid_t>(std::stoi(user)), static_cast<gid_t>(std::stoi(user))),
        0);
    Process::Options options = offscreen();
    // A sanitized build's leak check needs a thread of its own at exit, which this limit forbids too.
    options.environment.set("ASAN_OPTIONS", options.environment.get("ASAN_OPTIONS").value_or("") + ":detect_leaks=0");
    Process form({"setpriv", "--reuid=" + user, "--regid=" + user, "--clear-groups", "prlimit", "--nproc=1:1",
                  CORVANE_TRAY_PATH, "form"},
                 options);
    EXPECT_EQ(form.readAllStdout(patience), "");
    EXPECT_EQ(form.readAllStderr(patience), startFailure(EAGAIN));
    EXPECT_EQ(form.wait(patience), 1);
}

} // namespace
} // namespace corvane::test
