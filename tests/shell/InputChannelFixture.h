// An input channel reading from a pipe that the test writes, with every line and the end of input
// recorded in order. Main thread.
#pragma once

#include "shell/InputChannel.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

namespace corvane {

class Pipe final {
public:
    Pipe()
    {
        int ends[2] = {-1, -1};
        EXPECT_EQ(::pipe2(ends, O_CLOEXEC), 0);
        m_read = ends[0];
        m_write = ends[1];
    }
    ~Pipe()
    {
        closeWriteEnd();
        ::close(m_read);
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;

    int readEnd() const { return m_read; }

    void write(const std::string& bytes)
    {
        ASSERT_EQ(::write(m_write, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }

    // Writes `line` without blocking until the pipe takes no more; false if that did not happen in time.
    bool fillWith(const std::string& line, const std::function<void()>& meanwhile)
    {
        ::fcntl(m_write, F_SETFL, ::fcntl(m_write, F_GETFL) | O_NONBLOCK);
        const QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired()) {
            const ssize_t written = ::write(m_write, line.data(), line.size());
            if (written < 0 && errno == EAGAIN) {
                return true;
            }
            meanwhile();
        }
        return false;
    }

    void closeWriteEnd()
    {
        if (m_write >= 0) {
            ::close(m_write);
            m_write = -1;
        }
    }

private:
    int m_read = -1;
    int m_write = -1;
};

class InputChannelFixture : public ::testing::Test {
protected:
    InputChannelFixture()
        : m_channel(m_pipe.readEnd(), InputChannel::Handlers{
                                          .line = [this](std::string&& line) { onLine(std::move(line)); },
                                          .ended = [this] { received.push_back("<end>"); },
                                          .failed = [this] { received.push_back("<failed>"); },
                                      })
    {}

    // Processes events until `done` holds; false if it did not within ten seconds.
    static bool awaitUntil(const std::function<bool()>& done)
    {
        const QDeadlineTimer deadline(10000);
        while (!done() && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        }
        return done();
    }

    bool awaitEnd()
    {
        return awaitUntil([this] { return !received.empty() && received.back() == "<end>"; });
    }

    virtual void onLine(std::string&& line) { received.push_back(std::move(line)); }

    Pipe m_pipe;
    InputChannel m_channel;
    std::vector<std::string> received;
};

} // namespace corvane
