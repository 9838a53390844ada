// poll() over child pipes and pidfds, plus timers. The loop's thread only.
#include "EventLoop.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <system_error>

namespace corvane::demo {

ChildProcess& EventLoop::adopt(std::unique_ptr<ChildProcess> child, ChildListener& listener)
{
    ChildProcess& adopted = *child;
    m_children.push_back({std::move(child), &listener});
    return adopted;
}

ChildProcess* EventLoop::find(std::string_view name) const
{
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it) {
        if (it->child->name() == name && !it->child->ended()) {
            return it->child.get();
        }
    }
    return nullptr;
}

std::vector<ChildProcess*> EventLoop::children() const
{
    std::vector<ChildProcess*> result;
    for (const Adopted& adopted : m_children) {
        result.push_back(adopted.child.get());
    }
    return result;
}

EventLoop::TimerId EventLoop::after(std::chrono::milliseconds delay, std::function<void()> action)
{
    const TimerId id = m_nextTimer++;
    m_timers.emplace(id, Timer{Clock::now() + delay, std::move(action)});
    return id;
}

void EventLoop::cancel(TimerId timer)
{
    m_timers.erase(timer);
}

int EventLoop::pollTimeout() const
{
    if (m_timers.empty()) {
        return -1;
    }
    const auto earliest = std::min_element(m_timers.begin(), m_timers.end(), [](const auto& a, const auto& b) {
                              return a.second.due < b.second.due;
                          })->second.due;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(earliest - Clock::now());
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
}

void EventLoop::run()
{
    while (!m_quit && (!m_children.empty() || !m_timers.empty())) {
        std::vector<pollfd> watched;
        std::vector<std::size_t> owners;
        for (std::size_t index = 0; index < m_children.size(); ++index) {
            const ChildProcess& child = *m_children[index].child;
            for (const int fd : {child.descriptor(ChildProcess::Stream::Output),
                                 child.descriptor(ChildProcess::Stream::Errors), child.exitDescriptor()}) {
                if (fd >= 0) {
                    watched.push_back({fd, POLLIN, 0});
                    owners.push_back(index);
                }
            }
        }
        const int ready = ::poll(watched.data(), watched.size(), pollTimeout());
        if (ready < 0 && errno != EINTR) {
            throw std::system_error(errno, std::generic_category(), "poll");
        }
        for (std::size_t slot = 0; ready > 0 && slot < watched.size(); ++slot) {
            if (watched[slot].revents != 0) {
                dispatch(owners[slot], watched[slot].fd);
            }
        }
        reportEnded();
        fireDueTimers();
    }
}

void EventLoop::dispatch(std::size_t index, int fd)
{
    // Indices stay valid: callbacks may adopt children (appended) but nothing is removed meanwhile.
    ChildProcess& child = *m_children[index].child;
    ChildListener& listener = *m_children[index].listener;
    if (fd == child.exitDescriptor()) {
        child.reap();
        return;
    }
    const bool output = fd == child.descriptor(ChildProcess::Stream::Output);
    for (const std::string& line :
         child.readLines(output ? ChildProcess::Stream::Output : ChildProcess::Stream::Errors)) {
        output ? listener.onOutputLine(child, line) : listener.onErrorLine(child, line);
    }
}

void EventLoop::reportEnded()
{
    for (std::size_t index = 0; index < m_children.size();) {
        if (!m_children[index].child->ended()) {
            ++index;
            continue;
        }
        Adopted ended = std::move(m_children[index]);
        m_children.erase(m_children.begin() + static_cast<std::ptrdiff_t>(index));
        ended.listener->onExit(*ended.child, *ended.child->status());
    }
}

void EventLoop::fireDueTimers()
{
    const Clock::time_point now = Clock::now();
    std::vector<std::pair<Clock::time_point, TimerId>> due;
    for (const auto& [id, timer] : m_timers) {
        if (timer.due <= now) {
            due.emplace_back(timer.due, id);
        }
    }
    // Several can fall due in one turn on a loaded machine: they fire in the order they were due.
    std::sort(due.begin(), due.end());
    for (const auto& [when, id] : due) {
        // An earlier action may have cancelled this one.
        const auto found = m_timers.find(id);
        if (found == m_timers.end()) {
            continue;
        }
        std::function<void()> action = std::move(found->second.action);
        m_timers.erase(found);
        action();
    }
}

} // namespace corvane::demo
