// Tests of Process with small shell children: output lines, exit status, environment, stdin, signals and
// clean-up, and the child's end with the thread that started it. Runs on the test thread.
#include "Process.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <optional>
#include <signal.h>
#include <stdexcept>
#include <thread>

namespace corvane::test {
namespace {

using namespace std::chrono_literals;

constexpr auto timeout = 10s;

Process shell(const std::string& script, Process::Options options = {})
{
    return Process({"sh", "-c", script}, std::move(options));
}

TEST(Process, ReadsLinesThenTheUnterminatedRestAndTheExitStatus)
{
    Process child = shell("echo one; printf two; exit 3");
    EXPECT_EQ(child.readLine(timeout), "one");
    EXPECT_EQ(child.readLine(timeout), "two");
    EXPECT_EQ(child.readLine(timeout), std::nullopt);
    EXPECT_EQ(child.wait(timeout), 3);
    EXPECT_FALSE(child.diedBySignal());
}

TEST(Process, GivesTheChildItsEnvironmentAndStdin)
{
    Process::Options options;
    options.environment.set("CORVANE_PROBE", "bar");
    options.environment.unset("HOME");
    Process child = shell("read line; echo \"$CORVANE_PROBE $line ${HOME-unset}\"", std::move(options));
    ASSERT_TRUE(child.writeStdin("hi\n"));
    EXPECT_EQ(child.readLine(timeout), "bar hi unset");
}

TEST(Process, CollectsStderrUntilExit)
{
    Process child = shell("cat >&2");
    ASSERT_TRUE(child.writeStdin("abc"));
    child.closeStdin();
    EXPECT_EQ(child.readAllStderr(timeout), "abc");
    EXPECT_EQ(child.exitStatus(), 0);
}

TEST(Process, ReportsTheSignalThatEndedIt)
{
    Process child({"cat"});
    child.terminate();
    EXPECT_EQ(child.wait(timeout), 128 + SIGTERM);
    EXPECT_TRUE(child.diedBySignal());
    EXPECT_EQ(child.terminationSignal(), SIGTERM);
}

TEST(Process, WritingToAChildThatExitedFailsWithoutSigpipe)
{
    Process child({"true"});
    ASSERT_EQ(child.wait(timeout), 0);
    EXPECT_FALSE(child.writeStdin("ignored\n"));
}

TEST(Process, ReadLineTimesOutWhileTheChildIsSilent)
{
    Process child({"cat"});
    EXPECT_EQ(child.readLine(20ms), std::nullopt);
    EXPECT_EQ(child.exitStatus(), std::nullopt);
}

TEST(Process, DestructionKillsAndReapsTheChild)
{
    pid_t pid = 0;
    {
        Process child({"cat"});
        pid = child.pid();
    }
    EXPECT_EQ(::kill(pid, 0), -1);
    EXPECT_EQ(errno, ESRCH);
}

TEST(Process, ProgramsThatCannotRunThrow)
{
    EXPECT_THROW(Process({"/nonexistent/program"}), std::runtime_error);
    EXPECT_THROW(Process({"corvane-no-such-program"}), std::runtime_error);
}

TEST(Process, AChildGetsSigtermWhenTheThreadThatStartedItEnds)
{
    std::optional<Process> child;
    std::thread([&child] { child.emplace(std::vector<std::string>{"cat"}); }).join();
    EXPECT_EQ(child->wait(timeout), 128 + SIGTERM);
}

} // namespace
} // namespace corvane::test
