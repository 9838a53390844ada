// The demo's only loop: one poll() over every child's output pipes and pidfd, with one-shot timers for
// the poll timeout. Nothing sleeps and nothing spins; run() returns after quit() or once there is
// nothing left to wait for. Listeners may start children, set timers and quit from their callbacks.
// One thread; not copyable or movable.
#pragma once

#include "ChildListener.h"
#include "ChildProcess.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string_view>
#include <vector>

namespace corvane::demo {

class EventLoop final {
public:
    using TimerId = std::uint64_t;
    using Clock = std::chrono::steady_clock;

    EventLoop() = default;
    EventLoop(const EventLoop&) = delete;
    EventLoop& operator=(const EventLoop&) = delete;

    // The loop owns `child` until its end has been reported to `listener`; the reference answered is
    // valid until then.
    ChildProcess& adopt(std::unique_ptr<ChildProcess> child, ChildListener& listener);
    // The most recently adopted child called `name` that has not ended, or null.
    ChildProcess* find(std::string_view name) const;
    // Every child that has not ended, oldest first.
    std::vector<ChildProcess*> children() const;

    TimerId after(std::chrono::milliseconds delay, std::function<void()> action);
    void cancel(TimerId timer);

    void run();
    void quit() { m_quit = true; }

private:
    struct Adopted {
        std::unique_ptr<ChildProcess> child;
        ChildListener* listener;
    };
    struct Timer {
        Clock::time_point due;
        std::function<void()> action;
    };

    int pollTimeout() const;
    void dispatch(std::size_t index, int fd);
    void fireDueTimers();
    void reportEnded();

    std::vector<Adopted> m_children;
    std::map<TimerId, Timer> m_timers;
    TimerId m_nextTimer = 1;
    bool m_quit = false;
};

} // namespace corvane::demo
