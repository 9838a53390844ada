#include "launch/InstanceGuard.h"

#include "launch/TemporaryDirectory.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {

std::string InstanceGuard::lockPath(std::string_view identity, bool form)
{
    std::string name = "corvane-tray-" + std::to_string(::geteuid()) + "-";
    name += identity;
    name += form ? "-form.lock" : ".lock";
    return joinPath(temporaryDirectory(), name);
}

InstanceGuard::Acquisition InstanceGuard::acquire(std::string_view identity, bool form)
{
    const std::string path = lockPath(identity, form);
    const int descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (descriptor < 0) {
        return Failure{errno};
    }
    // Checked before the lock is tried: someone else's file, locked by them, must not read as a run of
    // ours holding it.
    struct stat status {};
    const bool examined = ::fstat(descriptor, &status) == 0;
    const int statError = errno;
    if (!examined || !S_ISREG(status.st_mode) || status.st_uid != ::geteuid() ||
        (status.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        ::close(descriptor);
        return Failure{examined ? EPERM : statError};
    }
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(descriptor);
        if (error == EWOULDBLOCK) {
            return HeldElsewhere{};
        }
        return Failure{error};
    }
    return InstanceGuard(descriptor);
}

InstanceGuard::InstanceGuard(InstanceGuard&& other) noexcept : m_descriptor(other.m_descriptor)
{
    other.m_descriptor = -1;
}

InstanceGuard::~InstanceGuard()
{
    if (m_descriptor >= 0) {
        ::close(m_descriptor);
    }
}

} // namespace corvane
