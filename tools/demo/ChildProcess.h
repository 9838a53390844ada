// One named child program on a QProcess, with pipes for its three standard streams. The lines it writes
// and its end reach a ChildListener from the Qt event loop; the end comes after the last line, and an
// unterminated last line is reported at the end. Writes to the child are buffered and leave as it reads,
// so the demo never blocks on a child. The child gets SIGTERM if the demo dies first; one still running
// when this object goes is killed by its PID and reaped. One thread; not copyable or movable.
#pragma once

#include "ChildListener.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace corvane::demo {

class ChildProcess final : public QProcess {
public:
    // Starts `argv` (argv[0] a path, or a name looked up in PATH) with exactly `environment`. Throws
    // std::runtime_error when the program cannot be started.
    ChildProcess(std::string name, const std::vector<std::string>& argv, const QProcessEnvironment& environment,
                 ChildListener& listener);
    ~ChildProcess() override;

    // The name the transcript shows for this child.
    const std::string& name() const { return m_name; }
    pid_t pid() const { return m_pid; }

    // Queues `line` and a line feed. False once input is closed, the child no longer reads it, or it ended.
    bool send(std::string_view line);
    // Once what was queued has been written.
    void closeInput();
    bool inputOpen() const { return m_inputOpen && !ended(); }

    bool ended() const { return m_status.has_value(); }
    // The exit status, or 128 + the signal number when a signal ended the child.
    std::optional<int> status() const { return m_status; }

private:
    // Reports the complete lines of `channel` and, at the end, the unterminated rest.
    void reportLines(ProcessChannel channel, bool atEnd);
    void onFinished(int exitCode, ExitStatus exitStatus);

    std::string m_name;
    ChildListener& m_listener;
    pid_t m_pid = -1;
    bool m_inputOpen = true;
    std::optional<int> m_status;
};

} // namespace corvane::demo
