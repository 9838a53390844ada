// Starting, feeding, reading and ending one child. Its thread only.
#include "ChildProcess.h"

#include <csignal>
#include <stdexcept>
#include <sys/prctl.h>
#include <unistd.h>

namespace corvane::demo {

ChildProcess::ChildProcess(std::string name, const std::vector<std::string>& argv,
                           const QProcessEnvironment& environment, ChildListener& listener)
    : m_name(std::move(name)), m_listener(listener)
{
    if (argv.empty()) {
        throw std::invalid_argument("a child needs a program");
    }
    QStringList arguments;
    for (auto argument = argv.begin() + 1; argument != argv.end(); ++argument) {
        arguments.append(QString::fromStdString(*argument));
    }
    setProgram(QString::fromStdString(argv.front()));
    setArguments(arguments);
    setProcessEnvironment(environment);
    const pid_t parent = ::getpid();
    setChildProcessModifier([parent] {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        // The demo may have died before the line above.
        if (::getppid() != parent) {
            ::_exit(127);
        }
    });
    connect(this, &QProcess::readyReadStandardOutput, this, [this] { reportLines(StandardOutput, false); });
    connect(this, &QProcess::readyReadStandardError, this, [this] { reportLines(StandardError, false); });
    connect(this, &QProcess::finished, this, &ChildProcess::onFinished);
    // A write error is the child no longer reading its input; QProcess closes the pipe, without SIGPIPE.
    connect(this, &QProcess::errorOccurred, this,
            [this](ProcessError error) { m_inputOpen = m_inputOpen && error != WriteError; });
    start();
    if (!waitForStarted()) {
        throw std::runtime_error("cannot start " + argv.front() + ": " + errorString().toStdString());
    }
    m_pid = static_cast<pid_t>(processId());
}

ChildProcess::~ChildProcess()
{
    // Nothing is reported from here on.
    disconnect(this, nullptr, nullptr, nullptr);
    if (state() != NotRunning) {
        kill();
        waitForFinished(-1);
    }
}

bool ChildProcess::send(std::string_view line)
{
    if (!inputOpen()) {
        return false;
    }
    write(line.data(), static_cast<qint64>(line.size()));
    write("\n", 1);
    return true;
}

void ChildProcess::closeInput()
{
    m_inputOpen = false;
    closeWriteChannel();
}

void ChildProcess::reportLines(ProcessChannel channel, bool atEnd)
{
    setReadChannel(channel);
    const auto report = [this, channel](const QByteArray& line) {
        channel == StandardOutput ? m_listener.onOutputLine(*this, line.toStdString())
                                  : m_listener.onErrorLine(*this, line.toStdString());
    };
    while (canReadLine()) {
        report(readLine().chopped(1));
    }
    if (atEnd && bytesAvailable() > 0) {
        report(readAll());
    }
}

void ChildProcess::onFinished(int exitCode, ExitStatus exitStatus)
{
    // QProcess has read both pipes to their end before this.
    reportLines(StandardOutput, true);
    reportLines(StandardError, true);
    m_status = exitStatus == CrashExit ? 128 + exitCode : exitCode;
    m_listener.onExit(*this, *m_status);
}

} // namespace corvane::demo
