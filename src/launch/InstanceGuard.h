// At most one process per user, identity and lock mode: an exclusive flock on
// "$TMPDIR/corvane-tray-<euid>-<identity>[-form].lock" (/tmp when TMPDIR is unset or empty).
// Holding the guard is holding the lock; destroying it closes the descriptor and releases the lock.
// The lock file is never written, truncated or deleted, a symbolic link at its path is refused, and the
// descriptor is closed on exec. Main thread, before any event loop.
#pragma once

#include <string>
#include <string_view>
#include <variant>

namespace corvane {

class InstanceGuard final {
public:
    // Another open of the lock file holds the lock.
    struct HeldElsewhere {};
    // The file could not be opened or locked; `error` is the failing call's errno.
    struct Failure {
        int error = 0;
    };
    using Acquisition = std::variant<InstanceGuard, HeldElsewhere, Failure>;

    // `identity` must already have passed validInstanceID.
    static Acquisition acquire(std::string_view identity, bool form);
    static std::string lockPath(std::string_view identity, bool form);

    InstanceGuard(InstanceGuard&& other) noexcept;
    InstanceGuard& operator=(InstanceGuard&&) = delete;
    InstanceGuard(const InstanceGuard&) = delete;
    InstanceGuard& operator=(const InstanceGuard&) = delete;
    ~InstanceGuard();

private:
    explicit InstanceGuard(int descriptor) : m_descriptor(descriptor) {}

    int m_descriptor = -1;
};

} // namespace corvane
