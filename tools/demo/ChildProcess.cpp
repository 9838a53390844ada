// Spawning, feeding, reading and reaping one child. Owner's thread only.
#include "ChildProcess.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace corvane::demo {
namespace {

[[noreturn]] void throwErrno(int error, const std::string& what)
{
    throw std::system_error(error, std::generic_category(), what);
}

void closeDescriptor(int& fd)
{
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

// Both ends of one pipe, closed on destruction unless taken.
struct Pipe {
    std::array<int, 2> ends{-1, -1};

    Pipe()
    {
        if (::pipe2(ends.data(), O_CLOEXEC) != 0) {
            throwErrno(errno, "pipe2");
        }
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    ~Pipe()
    {
        closeDescriptor(ends[0]);
        closeDescriptor(ends[1]);
    }
    int take(std::size_t end) { return std::exchange(ends[end], -1); }
};

// The spawn attributes and file actions for one child, released on destruction.
struct SpawnSetup {
    posix_spawn_file_actions_t actions{};
    posix_spawnattr_t attributes{};

    SpawnSetup(int input, int output, int errors)
    {
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attributes);
        posix_spawn_file_actions_adddup2(&actions, input, STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, errors, STDERR_FILENO);
        // This process ignores SIGPIPE; an ignored signal would stay ignored across exec.
        sigset_t defaults;
        sigemptyset(&defaults);
        sigaddset(&defaults, SIGPIPE);
        posix_spawnattr_setsigdefault(&attributes, &defaults);
        sigset_t none;
        sigemptyset(&none);
        posix_spawnattr_setsigmask(&attributes, &none);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;
    ~SpawnSetup()
    {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
};

std::vector<char*> pointers(std::vector<std::string>& strings)
{
    std::vector<char*> result;
    result.reserve(strings.size() + 1);
    for (std::string& text : strings) {
        result.push_back(text.data());
    }
    result.push_back(nullptr);
    return result;
}

void setNonBlocking(int fd)
{
    if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK) != 0) {
        throwErrno(errno, "fcntl");
    }
}

} // namespace

ChildProcess::ChildProcess(std::string name, const std::vector<std::string>& argv,
                           const std::vector<std::string>& environment)
    : m_name(std::move(name))
{
    if (argv.empty()) {
        throw std::invalid_argument("a child needs a program");
    }
    Pipe input;
    Pipe output;
    Pipe errors;
    std::vector<std::string> arguments = argv;
    std::vector<std::string> variables = environment;
    const std::vector<char*> argumentPointers = pointers(arguments);
    const std::vector<char*> variablePointers = pointers(variables);
    SpawnSetup setup(input.ends[0], output.ends[1], errors.ends[1]);
    pid_t pid = -1;
    const int error = ::posix_spawnp(&pid, argumentPointers[0], &setup.actions, &setup.attributes,
                                     argumentPointers.data(), variablePointers.data());
    if (error != 0) {
        throwErrno(error, "cannot start " + argv.front());
    }
    m_pid = pid;
    m_pidFd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (m_pidFd < 0) {
        const int openError = errno;
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        throwErrno(openError, "pidfd_open");
    }
    m_input = input.take(1);
    m_output = output.take(0);
    m_errors = errors.take(0);
    setNonBlocking(m_output);
    setNonBlocking(m_errors);
}

ChildProcess::~ChildProcess()
{
    closeDescriptor(m_input);
    closeDescriptor(m_output);
    closeDescriptor(m_errors);
    if (!m_status) {
        ::kill(m_pid, SIGKILL);
        while (::waitpid(m_pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    closeDescriptor(m_pidFd);
}

bool ChildProcess::send(std::string_view line)
{
    if (m_input < 0) {
        return false;
    }
    std::string bytes(line);
    bytes += '\n';
    std::string_view rest = bytes;
    while (!rest.empty()) {
        const ssize_t written = ::write(m_input, rest.data(), rest.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            // EPIPE: the child has closed its input or ended (SIGPIPE is ignored in this process).
            closeDescriptor(m_input);
            return false;
        }
        rest.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

void ChildProcess::closeInput()
{
    closeDescriptor(m_input);
}

std::vector<std::string> ChildProcess::readLines(Stream stream)
{
    int& fd = stream == Stream::Output ? m_output : m_errors;
    LineBuffer& buffer = stream == Stream::Output ? m_outputLines : m_errorLines;
    std::vector<std::string> lines;
    bool atEnd = fd < 0;
    std::array<char, 4096> chunk{};
    while (!atEnd) {
        const ssize_t count = ::read(fd, chunk.data(), chunk.size());
        if (count > 0) {
            buffer.append(std::string_view(chunk.data(), static_cast<std::size_t>(count)));
        } else if (count < 0 && errno == EINTR) {
            continue;
        } else if (count < 0 && errno == EAGAIN) {
            break;
        } else {
            atEnd = true;
        }
    }
    while (std::optional<std::string> line = buffer.takeLine()) {
        lines.push_back(std::move(*line));
    }
    if (atEnd) {
        closeDescriptor(fd);
        if (std::optional<std::string> rest = buffer.takeRest()) {
            lines.push_back(std::move(*rest));
        }
    }
    return lines;
}

bool ChildProcess::reap()
{
    if (m_status) {
        return true;
    }
    int status = 0;
    pid_t reaped = 0;
    do {
        reaped = ::waitpid(m_pid, &status, WNOHANG);
    } while (reaped < 0 && errno == EINTR);
    if (reaped != m_pid) {
        return false;
    }
    m_status = WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
    closeDescriptor(m_pidFd);
    return true;
}

void ChildProcess::kill()
{
    // Until it is reaped the child's PID cannot be reused, so this reaches the child or its zombie.
    if (!m_status) {
        ::kill(m_pid, SIGKILL);
    }
}

} // namespace corvane::demo
