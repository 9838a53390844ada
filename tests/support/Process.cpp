// Child processes for end-to-end tests on QProcess. One thread at a time.
#include "Process.h"

#include <QDeadlineTimer>

#include <csignal>
#include <stdexcept>
#include <sys/prctl.h>
#include <unistd.h>

namespace corvane::test {
namespace {

using namespace std::chrono_literals;

constexpr std::chrono::milliseconds writeTimeout = 60s;

int milliseconds(const QDeadlineTimer& deadline)
{
    return static_cast<int>(deadline.remainingTime());
}

} // namespace

Process::Process(const std::vector<std::string>& argv) : Process(argv, Options{}) {}

Process::Process(const std::vector<std::string>& argv, const Options& options)
{
    if (argv.empty()) {
        throw std::invalid_argument("Process needs a program");
    }
    QStringList arguments;
    for (auto argument = argv.begin() + 1; argument != argv.end(); ++argument) {
        arguments.append(QString::fromStdString(*argument));
    }
    m_process.setProgram(QString::fromStdString(argv.front()));
    m_process.setArguments(arguments);
    m_process.setProcessEnvironment(options.environment);
    if (options.input == Stream::Null) {
        m_process.setStandardInputFile(QProcess::nullDevice());
    } else if (options.input == Stream::Inherit) {
        m_process.setInputChannelMode(QProcess::ForwardedInputChannel);
    }
    if (options.errors == Stream::Null) {
        m_process.setStandardErrorFile(QProcess::nullDevice());
    } else if (options.errors == Stream::Inherit) {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    }
    const pid_t parent = ::getpid();
    m_process.setChildProcessModifier([parent] {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        // The parent may have died before the line above.
        if (::getppid() != parent) {
            ::_exit(127);
        }
    });
    m_process.start();
    if (!m_process.waitForStarted()) {
        throw std::runtime_error("cannot run " + argv.front() + ": " + m_process.errorString().toStdString());
    }
    m_pid = static_cast<pid_t>(m_process.processId());
    m_inputOpen = options.input == Stream::Pipe;
}

Process::~Process()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(-1);
    }
}

bool Process::writeStdin(std::string_view bytes)
{
    if (!m_inputOpen || m_process.state() != QProcess::Running ||
        m_process.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())) {
        return false;
    }
    const QDeadlineTimer deadline(writeTimeout);
    while (m_process.bytesToWrite() > 0) {
        // False on an error (the child closed its input: no SIGPIPE here), its end, or the timeout.
        if (!m_process.waitForBytesWritten(milliseconds(deadline))) {
            return false;
        }
    }
    return true;
}

void Process::closeStdin()
{
    m_inputOpen = false;
    m_process.closeWriteChannel();
}

std::optional<std::string> Process::readLine(std::chrono::milliseconds timeout)
{
    const QDeadlineTimer deadline(timeout);
    for (;;) {
        if (m_process.canReadLine()) {
            QByteArray line = m_process.readLine();
            line.chop(1);
            return line.toStdString();
        }
        if (m_process.state() == QProcess::NotRunning) {
            return m_process.bytesAvailable() > 0 ? std::optional(m_process.readAll().toStdString()) : std::nullopt;
        }
        if (!m_process.waitForReadyRead(milliseconds(deadline)) && deadline.hasExpired()) {
            return std::nullopt;
        }
    }
}

std::string Process::readAllStdout(std::chrono::milliseconds timeout)
{
    wait(timeout);
    return m_process.readAllStandardOutput().toStdString();
}

std::string Process::readAllStderr(std::chrono::milliseconds timeout)
{
    wait(timeout);
    return m_process.readAllStandardError().toStdString();
}

std::optional<int> Process::wait(std::chrono::milliseconds timeout)
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.waitForFinished(static_cast<int>(timeout.count()));
    }
    return exitStatus();
}

std::optional<int> Process::exitStatus() const
{
    if (m_process.state() != QProcess::NotRunning) {
        return std::nullopt;
    }
    return diedBySignal() ? 128 + m_process.exitCode() : m_process.exitCode();
}

bool Process::diedBySignal() const
{
    return m_process.state() == QProcess::NotRunning && m_process.exitStatus() == QProcess::CrashExit;
}

int Process::terminationSignal() const
{
    return diedBySignal() ? m_process.exitCode() : 0;
}

void Process::terminate()
{
    // Until QProcess has reaped the child its PID cannot be reused, so this reaches the child or its zombie.
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
    }
}

void Process::kill()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
    }
}

} // namespace corvane::test
