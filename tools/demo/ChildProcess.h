// One child program started with posix_spawn: its standard input, output and error are pipes to this
// process, and a pidfd tells when it has ended. The event loop polls the descriptors and calls the
// read and reap members; nothing here blocks except writes to the child's input. A child still running
// when this object goes is killed by its PID and reaped. One owner thread; not copyable or movable.
#pragma once

#include "LineBuffer.h"

#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace corvane::demo {

class ChildProcess final {
public:
    enum class Stream { Output, Errors };

    // `argv[0]` is a path, or a name looked up in this process's PATH; `environment` holds "NAME=value"
    // entries. Throws std::system_error when the program cannot be started.
    ChildProcess(std::string name, const std::vector<std::string>& argv, const std::vector<std::string>& environment);
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess();

    // The name the transcript shows for this child.
    const std::string& name() const { return m_name; }
    pid_t pid() const { return m_pid; }

    // Writes `line` and a line feed. False once input is closed or the child no longer reads it.
    bool send(std::string_view line);
    void closeInput();
    bool inputOpen() const { return m_input >= 0; }

    // Descriptors to poll for reading; -1 once the pipe is at end of file or the child is reaped.
    int descriptor(Stream stream) const { return stream == Stream::Output ? m_output : m_errors; }
    int exitDescriptor() const { return m_pidFd; }

    // Reads what the pipe holds now and answers the complete lines; at end of file also the unterminated
    // rest, and the pipe is closed.
    std::vector<std::string> readLines(Stream stream);
    // Collects the exit status if the child has ended; answers whether it has.
    bool reap();
    // Reaped and both pipes at end of file: nothing more will come from this child.
    bool ended() const { return m_status && m_output < 0 && m_errors < 0; }
    // The exit status, or 128 + the signal number when a signal ended the child.
    std::optional<int> status() const { return m_status; }

    // SIGKILL by PID, until the child is reaped.
    void kill();

private:
    std::string m_name;
    pid_t m_pid = -1;
    int m_pidFd = -1;
    int m_input = -1;
    int m_output = -1;
    int m_errors = -1;
    LineBuffer m_outputLines;
    LineBuffer m_errorLines;
    std::optional<int> m_status;
};

} // namespace corvane::demo
