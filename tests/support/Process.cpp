// Child processes for end-to-end tests: fork and execve, pipes, pidfd-based waiting. Owner's thread only.
#include "Process.h"

#include "Deadline.h"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>

namespace corvane::test {
namespace {

[[noreturn]] void throwErrno(const std::string& what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

struct Pipe {
    UniqueFd read;
    UniqueFd write;
};

Pipe openPipe()
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        throwErrno("pipe2");
    }
    return {UniqueFd(ends[0]), UniqueFd(ends[1])};
}

std::string resolveProgram(const std::string& program, const Environment& environment)
{
    if (program.find('/') != std::string::npos) {
        return program;
    }
    const std::string path = environment.get("PATH").value_or("/usr/bin:/bin");
    for (std::size_t start = 0; start <= path.size();) {
        const std::size_t end = std::min(path.find(':', start), path.size());
        const std::string candidate = path.substr(start, end - start) + '/' + program;
        if (end > start && ::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        start = end + 1;
    }
    throw std::system_error(ENOENT, std::generic_category(), "cannot find " + program);
}

std::vector<char*> pointers(std::vector<std::string>& strings)
{
    std::vector<char*> result;
    for (std::string& text : strings) {
        result.push_back(text.data());
    }
    result.push_back(nullptr);
    return result;
}

// Everything the child needs after fork, prepared beforehand so that it only makes system calls.
struct ChildSetup {
    const char* program;
    char* const* argv;
    char* const* envp;
    std::array<int, 3> streams;
    int errorReport;
    pid_t parent;
};

[[noreturn]] void failChild(int errorReport)
{
    const int error = errno;
    if (::write(errorReport, &error, sizeof error) < 0) {
        // The parent then sees end of file and an exit status of 127.
    }
    ::_exit(127);
}

[[noreturn]] void execChild(const ChildSetup& setup)
{
    for (int target = 0; target < 3; ++target) {
        if (setup.streams[target] >= 0 && ::dup2(setup.streams[target], target) < 0) {
            failChild(setup.errorReport);
        }
    }
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != setup.parent) {
        ::_exit(127);
    }
    ::execve(setup.program, setup.argv, setup.envp);
    failChild(setup.errorReport);
}

void setNonBlocking(const UniqueFd& fd)
{
    if (fd && ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) | O_NONBLOCK) != 0) {
        throwErrno("fcntl");
    }
}

// Reads everything available now; closes `fd` at end of file.
void drain(UniqueFd& fd, std::string& buffer)
{
    std::array<char, 4096> chunk;
    for (;;) {
        const ssize_t count = ::read(fd.get(), chunk.data(), chunk.size());
        if (count > 0) {
            buffer.append(chunk.data(), static_cast<std::size_t>(count));
        } else if (count < 0 && errno == EINTR) {
            continue;
        } else if (count < 0 && errno == EAGAIN) {
            return;
        } else {
            fd.reset();
            return;
        }
    }
}

std::optional<std::string> takeLine(std::string& buffer)
{
    const std::size_t end = buffer.find('\n');
    if (end == std::string::npos) {
        return std::nullopt;
    }
    std::string line = buffer.substr(0, end);
    buffer.erase(0, end + 1);
    return line;
}

} // namespace

Process::Process(std::vector<std::string> argv) : Process(std::move(argv), Options{}) {}

Process::Process(std::vector<std::string> argv, Options options)
{
    if (argv.empty()) {
        throw std::invalid_argument("Process needs a program");
    }
    const std::string program = resolveProgram(argv.front(), options.environment);
    std::vector<std::string> environment = options.environment.entries();
    const std::vector<char*> argPointers = pointers(argv);
    const std::vector<char*> envPointers = pointers(environment);

    const std::array<Stream, 3> modes{options.input, options.output, options.errors};
    std::array<UniqueFd*, 3> ours{&m_input, &m_output, &m_errors};
    std::array<UniqueFd, 3> theirs;
    for (std::size_t index = 0; index < modes.size(); ++index) {
        if (modes[index] == Stream::Pipe) {
            Pipe pipe = openPipe();
            *ours[index] = index == 0 ? std::move(pipe.write) : std::move(pipe.read);
            theirs[index] = index == 0 ? std::move(pipe.read) : std::move(pipe.write);
        } else if (modes[index] == Stream::Null) {
            theirs[index] = UniqueFd(::open("/dev/null", (index == 0 ? O_RDONLY : O_WRONLY) | O_CLOEXEC));
            if (!theirs[index]) {
                throwErrno("open /dev/null");
            }
        }
    }
    Pipe errorReport = openPipe();
    const ChildSetup setup{program.c_str(),         argPointers.data(),
                           envPointers.data(),      {theirs[0].get(), theirs[1].get(), theirs[2].get()},
                           errorReport.write.get(), ::getpid()};

    const pid_t pid = ::fork();
    if (pid < 0) {
        throwErrno("fork");
    }
    if (pid == 0) {
        execChild(setup);
    }
    errorReport.write.reset();
    int error = 0;
    ssize_t count = 0;
    do {
        count = ::read(errorReport.read.get(), &error, sizeof error);
    } while (count < 0 && errno == EINTR);
    if (count == sizeof error) {
        ::waitpid(pid, nullptr, 0);
        throw std::system_error(error, std::generic_category(), "cannot run " + program);
    }
    m_pid = pid;
    m_pidFd = UniqueFd(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
    if (!m_pidFd) {
        const int openError = errno;
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        throw std::system_error(openError, std::generic_category(), "pidfd_open");
    }
    setNonBlocking(m_output);
    setNonBlocking(m_errors);
}

Process::~Process()
{
    if (!m_waitStatus) {
        ::kill(m_pid, SIGKILL);
        while (::waitpid(m_pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
}

bool Process::writeStdin(std::string_view bytes)
{
    if (!m_input) {
        return false;
    }
    // A child that stopped reading must not take this process down with SIGPIPE.
    sigset_t pipeSignal;
    sigset_t previous;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    int error = 0;
    while (!bytes.empty()) {
        const ssize_t count = ::write(m_input.get(), bytes.data(), bytes.size());
        if (count >= 0) {
            bytes.remove_prefix(static_cast<std::size_t>(count));
        } else if (errno != EINTR) {
            error = errno;
            break;
        }
    }
    if (error == EPIPE && !sigismember(&previous, SIGPIPE)) {
        const timespec noWait{};
        sigtimedwait(&pipeSignal, nullptr, &noWait);
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return error == 0;
}

void Process::closeStdin()
{
    m_input.reset();
}

void Process::closeStdout()
{
    m_output.reset();
    m_outputBuffer.clear();
}

std::optional<std::string> Process::readLine(std::chrono::milliseconds timeout)
{
    const Deadline deadline(timeout);
    for (;;) {
        if (auto line = takeLine(m_outputBuffer)) {
            return line;
        }
        if (!m_output) {
            if (m_outputBuffer.empty()) {
                return std::nullopt;
            }
            return std::exchange(m_outputBuffer, {});
        }
        const auto left = deadline.remaining();
        if (!pump(left) || left.count() == 0) {
            return takeLine(m_outputBuffer);
        }
    }
}

std::string Process::readAllStdout(std::chrono::milliseconds timeout)
{
    wait(timeout);
    pump(std::chrono::milliseconds(0));
    return std::exchange(m_outputBuffer, {});
}

std::string Process::readAllStderr(std::chrono::milliseconds timeout)
{
    wait(timeout);
    pump(std::chrono::milliseconds(0));
    return std::exchange(m_errorBuffer, {});
}

std::optional<int> Process::wait(std::chrono::milliseconds timeout)
{
    const Deadline deadline(timeout);
    while (!m_waitStatus) {
        const auto left = deadline.remaining();
        if (!pump(left) || left.count() == 0) {
            break;
        }
    }
    return exitStatus();
}

std::optional<int> Process::exitStatus() const
{
    if (!m_waitStatus) {
        return std::nullopt;
    }
    return WIFSIGNALED(*m_waitStatus) ? 128 + WTERMSIG(*m_waitStatus) : WEXITSTATUS(*m_waitStatus);
}

bool Process::diedBySignal() const
{
    return m_waitStatus && WIFSIGNALED(*m_waitStatus);
}

int Process::terminationSignal() const
{
    return diedBySignal() ? WTERMSIG(*m_waitStatus) : 0;
}

void Process::terminate()
{
    signal(SIGTERM);
}

void Process::kill()
{
    signal(SIGKILL);
}

void Process::signal(int number)
{
    // Until it is reaped the child's PID cannot be reused, so this reaches the child or its zombie.
    if (!m_waitStatus) {
        ::kill(m_pid, number);
    }
}

bool Process::pump(std::chrono::milliseconds timeout)
{
    std::array<pollfd, 3> watched{};
    nfds_t count = 0;
    for (const UniqueFd* fd : {&m_output, &m_errors, &m_pidFd}) {
        if (*fd) {
            watched[count++] = {fd->get(), POLLIN, 0};
        }
    }
    if (count == 0) {
        return false;
    }
    int ready = 0;
    do {
        ready = ::poll(watched.data(), count, static_cast<int>(timeout.count()));
    } while (ready < 0 && errno == EINTR);
    if (ready < 0) {
        throwErrno("poll");
    }
    for (nfds_t index = 0; index < count; ++index) {
        if (watched[index].revents == 0) {
            continue;
        }
        if (watched[index].fd == m_output.get()) {
            drain(m_output, m_outputBuffer);
        } else if (watched[index].fd == m_errors.get()) {
            drain(m_errors, m_errorBuffer);
        } else {
            reap();
        }
    }
    return ready > 0;
}

void Process::reap()
{
    int status = 0;
    pid_t reaped = 0;
    do {
        reaped = ::waitpid(m_pid, &status, 0);
    } while (reaped < 0 && errno == EINTR);
    if (reaped < 0) {
        throwErrno("waitpid");
    }
    m_waitStatus = status;
    m_pidFd.reset();
}

} // namespace corvane::test
