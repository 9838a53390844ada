// InputReader over real descriptors: lines, end of input, over-long input, read failures and cancel.
#include "protocol/InputReader.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace corvane {
namespace {

using namespace std::chrono_literals;

constexpr auto patience = 10s;

// Records every sink call as "line:<text>", "ended" or "failed", and lets the test wait for them.
class RecordingSink final : public InputSink {
public:
    void line(std::string&& text) override { record("line:" + text); }
    void ended() override { record("ended"); }
    void failed() override { record("failed"); }

    bool waitForCalls(std::size_t count)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, patience, [&] { return m_calls.size() >= count; });
    }

    std::vector<std::string> calls()
    {
        std::lock_guard lock(m_mutex);
        return m_calls;
    }

private:
    void record(std::string call)
    {
        {
            std::lock_guard lock(m_mutex);
            m_calls.push_back(std::move(call));
        }
        m_changed.notify_all();
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::string> m_calls;
};

// A pipe whose ends close on demand or at the end of the test.
class Pipe {
public:
    Pipe()
    {
        if (::pipe2(m_ends.data(), O_CLOEXEC) != 0) {
            m_ends = {-1, -1};
        }
    }
    ~Pipe()
    {
        closeWrite();
        if (m_ends[0] >= 0) {
            ::close(m_ends[0]);
        }
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;

    int read() const { return m_ends[0]; }

    bool write(const std::string& bytes) const
    {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t count = ::write(m_ends[1], bytes.data() + done, bytes.size() - done);
            if (count <= 0) {
                return false;
            }
            done += static_cast<std::size_t>(count);
        }
        return true;
    }

    void closeWrite()
    {
        if (m_ends[1] >= 0) {
            ::close(m_ends[1]);
            m_ends[1] = -1;
        }
    }

private:
    std::array<int, 2> m_ends = {-1, -1};
};

// Runs a reader on its own thread; the destructor waits for run() to return.
class RunningReader {
public:
    RunningReader(int descriptor, InputSink& sink)
        : m_reader(descriptor, sink), m_thread([this] {
              m_reader.run();
              {
                  std::lock_guard lock(m_mutex);
                  m_returned = true;
              }
              m_done.notify_all();
          })
    {}
    ~RunningReader()
    {
        m_reader.cancel(); // harmless after run() returned; unblocks it when a test stopped early
        m_thread.join();
    }
    RunningReader(const RunningReader&) = delete;
    RunningReader& operator=(const RunningReader&) = delete;

    void cancel() { m_reader.cancel(); }

    bool waitForReturn()
    {
        std::unique_lock lock(m_mutex);
        return m_done.wait_for(lock, patience, [&] { return m_returned; });
    }

private:
    InputReader m_reader;
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_returned = false;
    std::thread m_thread;
};

TEST(InputReader, DeliversLinesInOrderThenEndsOnce)
{
    Pipe pipe;
    RecordingSink sink;
    RunningReader reader(pipe.read(), sink);
    ASSERT_TRUE(pipe.write("one\ntwo\r\n"));
    ASSERT_TRUE(sink.waitForCalls(2));
    ASSERT_TRUE(pipe.write("thr"));
    ASSERT_TRUE(pipe.write("ee\n\n"));
    pipe.closeWrite();
    ASSERT_TRUE(reader.waitForReturn());
    EXPECT_EQ(sink.calls(), (std::vector<std::string>{"line:one", "line:two\r", "line:three", "line:", "ended"}));
}

TEST(InputReader, DropsAnUnterminatedTailAtEndOfInput)
{
    Pipe pipe;
    RecordingSink sink;
    RunningReader reader(pipe.read(), sink);
    ASSERT_TRUE(pipe.write("a\npartial"));
    pipe.closeWrite();
    ASSERT_TRUE(reader.waitForReturn());
    EXPECT_EQ(sink.calls(), (std::vector<std::string>{"line:a", "ended"}));
}

TEST(InputReader, KeepsLinesWholeAcrossReadChunks)
{
    Pipe pipe;
    RecordingSink sink;
    std::vector<std::string> expected;
    std::string bytes;
    for (std::size_t index = 0; index < 400; ++index) {
        const std::string text =
            std::to_string(index) + std::string(index * 37 % 5000, static_cast<char>('a' + index % 26));
        expected.push_back("line:" + text);
        bytes += text + "\n";
    }
    expected.push_back("ended");
    RunningReader reader(pipe.read(), sink);
    ASSERT_TRUE(pipe.write(bytes));
    pipe.closeWrite();
    ASSERT_TRUE(reader.waitForReturn());
    EXPECT_TRUE(sink.calls() == expected) << "lines were split, merged, reordered or lost";
}

TEST(InputReader, FailsOnAnOverlongLineWhileTheWriterStaysOpen)
{
    Pipe pipe;
    RecordingSink sink;
    RunningReader reader(pipe.read(), sink);
    // Only what the reader consumed must fit, so this write finishes once the reader has given up.
    std::thread writer([&] { pipe.write("ok\n" + std::string(70000, 'x')); });
    ASSERT_TRUE(reader.waitForReturn());
    writer.join();
    EXPECT_EQ(sink.calls(), (std::vector<std::string>{"line:ok", "failed"}));
}

TEST(InputReader, ReportsAReadFailureOnStandardErrorAndFails)
{
    const int writeOnly = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    ASSERT_GE(writeOnly, 0);
    RecordingSink sink;
    testing::internal::CaptureStderr();
    bool returned = false;
    {
        RunningReader reader(writeOnly, sink);
        returned = reader.waitForReturn();
    }
    const std::string errors = testing::internal::GetCapturedStderr();
    ::close(writeOnly);
    EXPECT_TRUE(returned);
    EXPECT_EQ(errors, "Corvane UI input read failed (errno=9).\n");
    EXPECT_EQ(sink.calls(), std::vector<std::string>{"failed"});
}

TEST(InputReader, ReturnsOnCancelWithoutAnotherSinkCall)
{
    for (const bool lineFirst : {false, true}) {
        Pipe pipe;
        RecordingSink sink;
        bool returned = false;
        {
            RunningReader reader(pipe.read(), sink);
            if (lineFirst) {
                ASSERT_TRUE(pipe.write("before\n"));
                ASSERT_TRUE(sink.waitForCalls(1));
            }
            reader.cancel();
            returned = reader.waitForReturn();
            if (!returned) {
                pipe.closeWrite(); // let run() end so the thread can be joined
            }
        }
        EXPECT_TRUE(returned) << "line first " << lineFirst;
        EXPECT_EQ(sink.calls(), lineFirst ? std::vector<std::string>{"line:before"} : std::vector<std::string>{});
    }
}

} // namespace
} // namespace corvane
