// The launch path of the real binary: self-test, identity refusals, the instance lock, the display
// session check.
#include "TrayProgram.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* identityRefusal =
    "Start Corvane through its controller; a valid local instance identity is required.\n";
constexpr const char* lockFailure = "Corvane could not acquire its UI instance lock.\n";

class Launch : public ::testing::Test {
protected:
    Process::Options offscreen(const std::string& identity) const
    {
        return {.environment = offscreenEnvironment(identity, pathOf(m_scratch))};
    }

    // Runs to the end with standard input at end of file; answers {status, stdout, stderr}.
    struct Outcome {
        std::optional<int> status;
        std::string output;
        std::string errors;
    };
    static Outcome runToEnd(const std::vector<std::string>& arguments, Process::Options options)
    {
        options.input = Process::Stream::Null;
        Process process = startTray(arguments, std::move(options));
        Outcome outcome;
        outcome.output = process.readAllStdout(patience);
        outcome.errors = process.readAllStderr(patience);
        outcome.status = process.wait(patience);
        return outcome;
    }

    bool scratchEmpty() const { return fs::is_empty(pathOf(m_scratch)); }

    QTemporaryDir m_scratch;
    const std::string m_identity = identityOf('a');
};

TEST_F(Launch, SelfTestNeedsNothingAndCreatesNothing)
{
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{"--self-test"}, {"form", "--self-test", "choose-folder", "--smoke"}}) {
        Process::Options options;
        options.environment = Environment();
        options.environment.set("TMPDIR", pathOf(m_scratch).string());
        const Outcome outcome = runToEnd(arguments, options);
        EXPECT_EQ(outcome.output, "{\"event\":\"self-test\",\"passed\":true}\n");
        EXPECT_EQ(outcome.errors, "");
        EXPECT_EQ(outcome.status, 0);
    }
    EXPECT_TRUE(scratchEmpty());
}

TEST_F(Launch, SelfTestRunsBesideARunningInstance)
{
    Process holder = startTray({"form"}, offscreen(m_identity));
    ASSERT_EQ(nextLine(holder), R"({"event":"ready"})");
    const Outcome outcome = runToEnd({"--self-test"}, offscreen(m_identity));
    EXPECT_EQ(outcome.output, "{\"event\":\"self-test\",\"passed\":true}\n");
    EXPECT_EQ(outcome.status, 0);
}

TEST_F(Launch, RefusesEveryInvalidIdentityWithTheSameMessage)
{
    const std::vector<std::optional<std::string>> identities = {
        std::nullopt,         "",
        std::string(63, 'a'), std::string(65, 'a'),
        std::string(64, 'A'), std::string(64, 'a') + "\n",
        std::string(64, 'g'), "../" + std::string(61, 'a'),
    };
    for (const auto& identity : identities) {
        Process::Options options = offscreen(m_identity);
        identity ? options.environment.set("CORVANE_TRAY_INSTANCE_ID", *identity)
                 : options.environment.unset("CORVANE_TRAY_INSTANCE_ID");
        for (const std::vector<std::string>& arguments :
             std::vector<std::vector<std::string>>{{}, {"form"}, {"choose-folder", "--smoke"}}) {
            const Outcome outcome = runToEnd(arguments, options);
            EXPECT_EQ(outcome.errors, identityRefusal) << identity.value_or("<absent>");
            EXPECT_EQ(outcome.output, "");
            EXPECT_EQ(outcome.status, 1);
        }
    }
    EXPECT_TRUE(scratchEmpty());
}

TEST_F(Launch, EmptyEnvironmentIsRefused)
{
    Process::Options options;
    options.environment = Environment();
    const Outcome outcome = runToEnd({}, options);
    EXPECT_EQ(outcome.errors, identityRefusal);
    EXPECT_EQ(outcome.status, 1);
}

TEST_F(Launch, SecondFormModeProcessIsADuplicateAndShowsNothing)
{
    Process first = startTray({"form"}, offscreen(m_identity));
    ASSERT_EQ(nextLine(first), R"({"event":"ready"})");
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{"form"}, {"choose-folder"}, {"form", "choose-folder", "--smoke"}}) {
        const Outcome outcome = runToEnd(arguments, offscreen(m_identity));
        EXPECT_EQ(outcome.output, "{\"event\":\"duplicate\"}\n");
        EXPECT_EQ(outcome.errors, "");
        EXPECT_EQ(outcome.status, 0);
    }
    // Another identity is another instance.
    Process other = startTray({"form"}, offscreen(identityOf('b')));
    EXPECT_EQ(nextLine(other), R"({"event":"ready"})");
}

TEST_F(Launch, LockIsReleasedWhenItsHolderDies)
{
    {
        Process first = startTray({"form"}, offscreen(m_identity));
        ASSERT_EQ(nextLine(first), R"({"event":"ready"})");
        first.kill();
        ASSERT_TRUE(first.wait(patience));
    }
    Process second = startTray({"form"}, offscreen(m_identity));
    EXPECT_EQ(nextLine(second), R"({"event":"ready"})");
}

TEST_F(Launch, StaleLockFileIsReusedWithItsPermissions)
{
    const fs::path lock = lockPath(pathOf(m_scratch), m_identity, true);
    std::ofstream(lock).close();
    fs::permissions(lock, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    Process process = startTray({"form"}, offscreen(m_identity));
    EXPECT_EQ(nextLine(process), R"({"event":"ready"})");
    EXPECT_EQ(fs::status(lock).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(fs::file_size(lock), 0u);
}

TEST_F(Launch, NewLockFileIsOwnerOnly)
{
    Process process = startTray({"form"}, offscreen(m_identity));
    ASSERT_EQ(nextLine(process), R"({"event":"ready"})");
    EXPECT_EQ(fs::status(lockPath(pathOf(m_scratch), m_identity, true)).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(Launch, SymlinkAtTheLockPathIsRefusedAndNotFollowed)
{
    const fs::path target = pathOf(m_scratch) / "victim";
    fs::create_symlink(target, lockPath(pathOf(m_scratch), m_identity, false));
    const Outcome outcome = runToEnd({}, offscreen(m_identity));
    EXPECT_EQ(outcome.errors, lockFailure);
    EXPECT_EQ(outcome.output, "");
    EXPECT_EQ(outcome.status, 1);
    EXPECT_FALSE(fs::exists(target));
}

TEST_F(Launch, DirectoryAtTheLockPathOrMissingTemporaryDirectoryIsALockFailure)
{
    fs::create_directory(lockPath(pathOf(m_scratch), m_identity, true));
    EXPECT_EQ(runToEnd({"form"}, offscreen(m_identity)).errors, lockFailure);

    Process::Options missing = offscreen(m_identity);
    missing.environment.set("TMPDIR", (pathOf(m_scratch) / "missing").string());
    const Outcome outcome = runToEnd({}, missing);
    EXPECT_EQ(outcome.errors, lockFailure);
    EXPECT_EQ(outcome.status, 1);
}

TEST_F(Launch, LockDescriptorIsClosedOnExec)
{
    Process process = startTray({"form"}, offscreen(m_identity));
    ASSERT_EQ(nextLine(process), R"({"event":"ready"})");
    const fs::path lock = lockPath(pathOf(m_scratch), m_identity, true);
    const fs::path descriptors = "/proc/" + std::to_string(process.pid()) + "/fd";
    int found = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(descriptors)) {
        std::error_code error;
        if (fs::read_symlink(entry.path(), error) != lock) {
            continue;
        }
        ++found;
        std::ifstream info("/proc/" + std::to_string(process.pid()) + "/fdinfo/" + entry.path().filename().string());
        std::string key;
        std::string flags;
        while (info >> key >> flags && key != "flags:") {
        }
        EXPECT_NE(std::stoul(flags, nullptr, 8) & O_CLOEXEC, 0u);
    }
    EXPECT_EQ(found, 1);
}

TEST_F(Launch, WithoutADisplaySessionEveryModeFailsWithPolicyTwo)
{
    Process::Options options = offscreen(m_identity);
    options.environment.unset("QT_QPA_PLATFORM");
    options.environment.unset("DISPLAY");
    options.environment.unset("WAYLAND_DISPLAY");
    Process::Options unreachable = options;
    unreachable.environment.set("DISPLAY", ":4093");
    for (const Process::Options& environment : {options, unreachable}) {
        for (const std::vector<std::string>& arguments :
             std::vector<std::vector<std::string>>{{}, {"form"}, {"choose-folder"}}) {
            const Outcome outcome = runToEnd(arguments, environment);
            EXPECT_EQ(outcome.errors, "Corvane could not enter a visible macOS application session (policy=2).\n");
            EXPECT_EQ(outcome.output, "");
            EXPECT_EQ(outcome.status, 1);
        }
    }
}

TEST_F(Launch, APlatformThatIsMissingOrCannotConnectFailsWithPolicyTwoInsteadOfAborting)
{
    Process::Options options = offscreen(m_identity);
    options.environment.unset("DISPLAY");
    options.environment.set("XDG_RUNTIME_DIR", pathOf(m_scratch).string());
    // Wayland with no compositor at WAYLAND_DISPLAY, a plugin that does not exist, and a list of both.
    const std::vector<std::pair<std::string, std::string>> platforms = {
        {"wayland", "wayland-nobody"}, {"nosuchplatform", ""}, {"nosuchplatform;wayland", "wayland-nobody"}};
    for (const auto& [platform, wayland] : platforms) {
        options.environment.set("QT_QPA_PLATFORM", platform);
        options.environment.set("WAYLAND_DISPLAY", wayland);
        for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{{}, {"form"}}) {
            const Outcome outcome = runToEnd(arguments, options);
            EXPECT_EQ(outcome.errors, "Corvane could not enter a visible macOS application session (policy=2).\n")
                << platform;
            EXPECT_EQ(outcome.output, "") << platform;
            EXPECT_EQ(outcome.status, 1) << platform;
        }
    }
}

TEST_F(Launch, APlatformThatFailsInsideQtStillEndsWithTheLaunchFailureLine)
{
    // Past every check made beforehand (the plugin is installed and needs no display server): EGLFS on a
    // DRM device that does not exist, which Qt answers with a fatal message while QApplication starts.
    const fs::path config = pathOf(m_scratch) / "kms.json";
    std::ofstream(config) << R"({"device": "/nonexistent/dri/card0"})";
    Process::Options options = offscreen(m_identity);
    options.environment.set("QT_QPA_PLATFORM", "eglfs");
    options.environment.set("QT_QPA_EGLFS_INTEGRATION", "eglfs_kms");
    options.environment.set("QT_QPA_EGLFS_KMS_CONFIG", config.string());
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{{}, {"form"}}) {
        const Outcome outcome = runToEnd(arguments, options);
        EXPECT_EQ(outcome.errors, "Corvane could not enter a visible macOS application session (policy=2).\n");
        EXPECT_EQ(outcome.output, "");
        EXPECT_EQ(outcome.status, 1);
    }
}

} // namespace
} // namespace corvane::test
