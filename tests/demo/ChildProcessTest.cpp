// The demo's child processes with small shell children in the Qt event loop: lines in order from both
// streams, an unterminated last line, exit statuses and signals, closed input, a child that stopped
// reading, a child that writes while it is written to, and ending by PID.
#include "ChildProcess.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <functional>
#include <memory>
#include <stdexcept>

namespace corvane::demo {
namespace {

using namespace std::chrono_literals;

// Starts shell children and records everything they report, as "<name> > line", "<name> ! line" and
// "<name> = status"; run() returns once every child has ended.
class ChildProcesses : public ::testing::Test, public ChildListener {
protected:
    ChildProcess& shell(const std::string& name, const std::string& script)
    {
        QProcessEnvironment environment;
        environment.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));
        ++m_running;
        return *m_children.emplace_back(
            std::make_unique<ChildProcess>(name, std::vector<std::string>{"sh", "-c", script}, environment, *this));
    }

    // Fails after 20 s with children still running.
    void run()
    {
        QTimer::singleShot(20s, &m_loop, [this] {
            ADD_FAILURE() << m_running << " children still running";
            m_loop.quit();
        });
        m_loop.exec();
    }

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
        if (--m_running == 0) {
            m_loop.quit();
        }
    }

    std::vector<std::string> seen;
    std::function<void(ChildProcess&, const std::string&)> reply;

private:
    QEventLoop m_loop;
    int m_running = 0;
    std::vector<std::unique_ptr<ChildProcess>> m_children;
};

TEST_F(ChildProcesses, ReportsLinesFromBothStreamsAndTheExitAfterTheLastLine)
{
    ChildProcess& child = shell("a", "read line; echo \"got $line\"; echo oops >&2; printf 'no line feed'; exit 3");
    ASSERT_TRUE(child.send("hello"));
    run();
    // Lines keep their order within a stream; the two streams are separate pipes, read as they come.
    std::vector<std::string> output = seen;
    std::erase(output, "a ! oops");
    EXPECT_EQ(output, (std::vector<std::string>{"a > got hello", "a > no line feed", "a = 3"}));
    EXPECT_EQ(std::count(seen.begin(), seen.end(), "a ! oops"), 1);
}

TEST_F(ChildProcesses, ClosingInputEndsAReaderAndTheEnvironmentIsExactlyTheOneGiven)
{
    ChildProcess& child = shell("cat", "echo \"[$HOME]\"; cat; echo done");
    ASSERT_TRUE(child.send("one"));
    reply = [](ChildProcess& from, const std::string& line) {
        if (line == "one") {
            from.closeInput();
            EXPECT_FALSE(from.send("two"));
        }
    };
    run();
    EXPECT_EQ(seen, (std::vector<std::string>{"cat > []", "cat > one", "cat > done", "cat = 0"}));
}

TEST_F(ChildProcesses, ASignalEndingTheChildIsReportedAs128PlusItsNumber)
{
    shell("k", "kill -9 $$");
    run();
    EXPECT_EQ(seen, std::vector<std::string>{"k = 137"});
}

TEST_F(ChildProcesses, WritingToAChildThatStoppedReadingFailsWithoutEndingUs)
{
    ChildProcess& child = shell("x", "exec 0<&-; echo closed; exec tail -f /dev/null");
    // Queued at once; the failure comes when the line is written, and closes the input.
    reply = [](ChildProcess& from, const std::string&) { EXPECT_TRUE(from.send("anyone?")); };
    // Only that failure ends the child here.
    QObject::connect(&child, &QProcess::errorOccurred, [&child](QProcess::ProcessError error) {
        if (error == QProcess::WriteError) {
            EXPECT_FALSE(child.inputOpen());
            EXPECT_FALSE(child.send("again"));
            child.kill();
        }
    });
    run();
    EXPECT_EQ(seen, (std::vector<std::string>{"x > closed", "x = 137"}));
}

TEST_F(ChildProcesses, AChildThatWritesWhileItIsWrittenToNeverBlocksEitherSide)
{
    // Far more than both pipes hold: a writer that blocked until its lines were taken would wait for a
    // child that waits for its own output to be read.
    constexpr int lines = 20000;
    const std::string row(200, 'r');
    ChildProcess& child = shell("cat", "exec cat");
    for (int index = 0; index < lines; ++index) {
        ASSERT_TRUE(child.send(std::to_string(index) + row));
    }
    child.closeInput();
    run();
    ASSERT_EQ(seen.size(), static_cast<std::size_t>(lines) + 1);
    for (int index = 0; index < lines; index += 997) {
        EXPECT_EQ(seen[static_cast<std::size_t>(index)], "cat > " + std::to_string(index) + row);
    }
    EXPECT_EQ(seen.back(), "cat = 0");
}

TEST_F(ChildProcesses, KillingByPidEndsAChildThatWouldNotEnd)
{
    shell("stuck", "echo up; exec tail -f /dev/null");
    reply = [](ChildProcess& from, const std::string&) { from.kill(); };
    run();
    EXPECT_EQ(seen, (std::vector<std::string>{"stuck > up", "stuck = 137"}));
}

TEST(ChildProcess, ARunningChildIsKilledByItsPidAndReapedWhenItGoes)
{
    struct : ChildListener {
        void onOutputLine(ChildProcess&, const std::string&) override {}
        void onErrorLine(ChildProcess&, const std::string&) override {}
        void onExit(ChildProcess&, int) override { ADD_FAILURE() << "nothing is reported while it goes"; }
    } silent;
    auto child = std::make_unique<ChildProcess>("t", std::vector<std::string>{"tail", "-f", "/dev/null"},
                                                QProcessEnvironment::systemEnvironment(), silent);
    const pid_t pid = child->pid();
    ASSERT_GT(pid, 0);
    child.reset();
    EXPECT_EQ(::kill(pid, 0), -1);
    EXPECT_EQ(errno, ESRCH);
}

TEST(ChildProcess, AProgramThatCannotStartThrows)
{
    struct : ChildListener {
        void onOutputLine(ChildProcess&, const std::string&) override {}
        void onErrorLine(ChildProcess&, const std::string&) override {}
        void onExit(ChildProcess&, int) override {}
    } none;
    EXPECT_THROW(ChildProcess("none", {"/nonexistent/program"}, {}, none), std::runtime_error);
    EXPECT_THROW(ChildProcess("none", {}, {}, none), std::invalid_argument);
}

} // namespace
} // namespace corvane::demo

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
