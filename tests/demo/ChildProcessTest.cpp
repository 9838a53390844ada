// The demo's child processes and its poll loop with small shell children: lines in order from both
// streams, an unterminated last line, exit statuses and signals, closed input, timers.
#include "ChildProcess.h"

#include "ChildListener.h"
#include "EventLoop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <system_error>

namespace corvane::demo {
namespace {

using namespace std::chrono_literals;

// Records everything the loop reports, as "<name> > line", "<name> ! line" and "<name> = status".
class Recorder final : public ChildListener {
public:
    explicit Recorder(EventLoop& loop) : m_loop(loop) {}

    void onOutputLine(ChildProcess& child, const std::string& line) override
    {
        seen.push_back(child.name() + " > " + line);
        if (reply) {
            reply(child, line);
        }
    }
    void onErrorLine(ChildProcess& child, const std::string& line) override
    {
        seen.push_back(child.name() + " ! " + line);
    }
    void onExit(ChildProcess& child, int status) override
    {
        seen.push_back(child.name() + " = " + std::to_string(status));
        if (m_loop.children().empty()) {
            m_loop.quit();
        }
    }

    std::vector<std::string> seen;
    std::function<void(ChildProcess&, const std::string&)> reply;

private:
    EventLoop& m_loop;
};

class ChildProcesses : public ::testing::Test {
protected:
    static void SetUpTestSuite() { std::signal(SIGPIPE, SIG_IGN); }

    ChildProcess& shell(const std::string& name, const std::string& script)
    {
        return m_loop.adopt(std::make_unique<ChildProcess>(name, std::vector<std::string>{"sh", "-c", script},
                                                           std::vector<std::string>{"PATH=/usr/bin:/bin"}),
                            m_recorder);
    }

    EventLoop m_loop;
    Recorder m_recorder{m_loop};
};

TEST_F(ChildProcesses, ReportsLinesFromBothStreamsAndTheExitAfterTheLastLine)
{
    ChildProcess& child = shell("a", "read line; echo \"got $line\"; echo oops >&2; printf 'no line feed'; exit 3");
    ASSERT_TRUE(child.send("hello"));
    m_loop.run();
    // Lines keep their order within a stream; the two streams are separate pipes, read as they come.
    std::vector<std::string> output = m_recorder.seen;
    std::erase(output, "a ! oops");
    EXPECT_EQ(output, (std::vector<std::string>{"a > got hello", "a > no line feed", "a = 3"}));
    EXPECT_EQ(std::count(m_recorder.seen.begin(), m_recorder.seen.end(), "a ! oops"), 1);
}

TEST_F(ChildProcesses, ClosingInputEndsAReaderAndTheEnvironmentIsExactlyTheOneGiven)
{
    ChildProcess& child = shell("cat", "echo \"[$HOME]\"; cat; echo done");
    ASSERT_TRUE(child.send("one"));
    m_recorder.reply = [](ChildProcess& from, const std::string& line) {
        if (line == "one") {
            from.closeInput();
        }
    };
    m_loop.run();
    EXPECT_EQ(m_recorder.seen, (std::vector<std::string>{"cat > []", "cat > one", "cat > done", "cat = 0"}));
}

TEST_F(ChildProcesses, ASignalEndingTheChildIsReportedAs128PlusItsNumber)
{
    shell("k", "kill -9 $$");
    m_loop.run();
    EXPECT_EQ(m_recorder.seen, std::vector<std::string>{"k = 137"});
}

TEST_F(ChildProcesses, WritingToAChildThatStoppedReadingFailsWithoutEndingUs)
{
    shell("x", "exec 0<&-; echo closed");
    m_recorder.reply = [](ChildProcess& from, const std::string&) {
        EXPECT_FALSE(from.send("anyone?"));
        EXPECT_FALSE(from.inputOpen());
        EXPECT_FALSE(from.send("again"));
    };
    m_loop.run();
    EXPECT_EQ(m_recorder.seen, (std::vector<std::string>{"x > closed", "x = 0"}));
}

TEST_F(ChildProcesses, KillingByPidEndsAChildThatWouldNotEnd)
{
    shell("stuck", "echo up; exec tail -f /dev/null");
    m_recorder.reply = [](ChildProcess& from, const std::string&) { from.kill(); };
    m_loop.run();
    EXPECT_EQ(m_recorder.seen, (std::vector<std::string>{"stuck > up", "stuck = 137"}));
}

TEST_F(ChildProcesses, FindsRunningChildrenByName)
{
    shell("a", "read line");
    ChildProcess& second = shell("a", "read line");
    shell("b", "read line");
    EXPECT_EQ(m_loop.find("a"), &second);
    EXPECT_EQ(m_loop.find("c"), nullptr);
    EXPECT_EQ(m_loop.children().size(), 3u);
    for (ChildProcess* child : m_loop.children()) {
        child->closeInput();
    }
    m_loop.run();
    EXPECT_EQ(m_recorder.seen.size(), 3u);
    EXPECT_EQ(m_loop.find("a"), nullptr);
}

TEST_F(ChildProcesses, AProgramThatCannotStartThrows)
{
    EXPECT_THROW(ChildProcess("none", {"/nonexistent/program"}, {}), std::system_error);
    EXPECT_THROW(ChildProcess("none", {}, {}), std::invalid_argument);
}

TEST(EventLoopTimers, FireInDueOrderAndCancelledOnesNever)
{
    EventLoop loop;
    std::vector<int> fired;
    loop.after(30ms, [&] { fired.push_back(3); });
    const EventLoop::TimerId cancelled = loop.after(10ms, [&] { fired.push_back(99); });
    loop.after(20ms, [&] { fired.push_back(2); });
    loop.after(0ms, [&] { fired.push_back(1); });
    loop.cancel(cancelled);
    loop.run();
    EXPECT_EQ(fired, (std::vector<int>{1, 2, 3}));
}

TEST(EventLoopTimers, ATimerSetFromATimerFiresToo)
{
    EventLoop loop;
    std::vector<int> fired;
    loop.after(0ms, [&] {
        fired.push_back(1);
        loop.after(0ms, [&] { fired.push_back(2); });
    });
    loop.run();
    EXPECT_EQ(fired, (std::vector<int>{1, 2}));
}

TEST(EventLoopTimers, QuitEndsTheRunWithTimersLeft)
{
    EventLoop loop;
    bool late = false;
    loop.after(0ms, [&] { loop.quit(); });
    loop.after(60s, [&] { late = true; });
    loop.run();
    EXPECT_FALSE(late);
}

} // namespace
} // namespace corvane::demo
