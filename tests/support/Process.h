// A child process for end-to-end tests, on a QProcess: started from argv with its own environment and, as
// asked, pipes to its standard streams. The child gets SIGTERM if the thread that started it dies, and one
// still running on destruction is killed by its PID and reaped. Every wait is bounded and sleeps nowhere:
// QProcess polls the pipes and the child's end, and while it waits for one thing it keeps reading both
// output pipes and writing pending input, so neither side can stall the other. Needs no event loop. One
// thread at a time; not copyable or movable.
#pragma once

#include "Environment.h"

#include <QProcess>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace corvane::test {

class Process final {
public:
    // Pipe: connected to this object. Null: /dev/null. Inherit: this process's own stream.
    enum class Stream { Pipe, Null, Inherit };

    struct Options {
        Environment environment = Environment::inherited();
        Stream input = Stream::Pipe;
        Stream errors = Stream::Pipe;
    };

    // argv[0] is a path, or a name looked up in this process's PATH. Throws std::runtime_error when the
    // program cannot be started.
    explicit Process(const std::vector<std::string>& argv);
    Process(const std::vector<std::string>& argv, const Options& options);
    ~Process();

    pid_t pid() const { return m_pid; }

    // Returns once every byte is in the pipe (or a minute has passed); false when standard input is not a
    // pipe, was closed, or the child no longer reads it.
    bool writeStdin(std::string_view bytes);
    // Once what was written has been taken.
    void closeStdin();

    // The next line of standard output without its line feed; the unterminated rest once the child has
    // ended. Nothing on timeout or once standard output is exhausted.
    std::optional<std::string> readLine(std::chrono::milliseconds timeout);

    // Waits up to `timeout` for the child to exit, then returns the output not read yet.
    std::string readAllStdout(std::chrono::milliseconds timeout);
    std::string readAllStderr(std::chrono::milliseconds timeout);

    // The exit status once the child has ended (128 + signal number when a signal ended it); nothing if it
    // is still running when `timeout` passes.
    std::optional<int> wait(std::chrono::milliseconds timeout);
    std::optional<int> exitStatus() const;
    bool diedBySignal() const;
    // The signal that ended the child, or 0.
    int terminationSignal() const;

    // SIGTERM and SIGKILL by PID; nothing once the child is known to have ended.
    void terminate();
    void kill();

private:
    QProcess m_process;
    pid_t m_pid = -1;
    bool m_inputOpen = false;
};

} // namespace corvane::test
