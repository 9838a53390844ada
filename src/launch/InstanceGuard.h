// At most one process per user, identity and lock mode: an exclusive flock on
// "<dir>/corvane-tray-<euid>-<identity>[-form].lock" in the user's temporary directory
// (temporaryDirectory(): $TMPDIR, else $XDG_RUNTIME_DIR, else /tmp).
// Holding the guard is holding the lock; destroying it closes the descriptor and releases the lock.
// The lock file is never written, truncated or deleted, a symbolic link at its path is refused, and the
// descriptor is closed on exec. Only a private regular file of ours counts: one that is not a regular
// file, belongs to another user or can be written by group or others is a failure, never "held
// elsewhere", so that nobody else can make a run of ours a duplicate. Main thread, before any event loop.
#pragma once

#include <string>
#include <string_view>
#include <variant>

namespace corvane {

class InstanceGuard final {
public:
    // Another open of the lock file holds the lock.
    struct HeldElsewhere {};
    // The file could not be opened or locked, or is not a private regular file of ours; `error` is the
    // failing call's errno (EPERM for a file that is not ours).
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
