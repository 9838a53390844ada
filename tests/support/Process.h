// A child process started from argv with its own environment and, as asked, pipes to its standard
// streams. The child gets SIGKILL if the thread that started it dies, and a still-running child is killed
// by its PID and reaped on destruction. Waits poll the pipes and a pidfd; nothing sleeps. One owner
// thread; not copyable or movable.
#pragma once

#include "Environment.h"
#include "UniqueFd.h"

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
        Stream output = Stream::Pipe;
        Stream errors = Stream::Pipe;
    };

    // argv[0] is a path, or a name looked up in the PATH of the child's environment. Throws
    // std::system_error when the program cannot be started.
    explicit Process(std::vector<std::string> argv);
    Process(std::vector<std::string> argv, Options options);
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process();

    pid_t pid() const { return m_pid; }

    // False when standard input is not a pipe, was closed, or the child no longer reads it.
    bool writeStdin(std::string_view bytes);
    void closeStdin();
    // Closes our end of the child's standard output, as a controller that stops listening would.
    void closeStdout();

    // The next line of standard output without its line feed; the unterminated rest at end of file.
    // Nothing on timeout or once standard output is exhausted.
    std::optional<std::string> readLine(std::chrono::milliseconds timeout);

    // Waits up to `timeout` for the child to exit, then returns the output not read yet.
    std::string readAllStdout(std::chrono::milliseconds timeout);
    std::string readAllStderr(std::chrono::milliseconds timeout);

    // The exit status once the child has ended (128 + signal number when a signal ended it); nothing if it
    // is still running when `timeout` passes. Output arriving meanwhile is kept for the readers.
    std::optional<int> wait(std::chrono::milliseconds timeout);
    std::optional<int> exitStatus() const;
    bool diedBySignal() const;
    // The signal that ended the child, or 0.
    int terminationSignal() const;

    // SIGTERM and SIGKILL by PID; nothing once the child has been reaped.
    void terminate();
    void kill();

private:
    // Waits up to `timeout` for output or the child's end and takes in whatever is ready; false when
    // nothing happened.
    bool pump(std::chrono::milliseconds timeout);
    void reap();
    void signal(int number);

    pid_t m_pid = -1;
    UniqueFd m_pidFd;
    UniqueFd m_input;
    UniqueFd m_output;
    UniqueFd m_errors;
    std::string m_outputBuffer;
    std::string m_errorBuffer;
    std::optional<int> m_waitStatus;
};

} // namespace corvane::test
