// The drain thread: reads host lines until told to stop, counting tooltip signals.
#include "HostDrain.h"

namespace corvane::bench {

HostDrain::HostDrain(test::TestHost& host) : m_thread([this, &host] { drain(host); }) {}

HostDrain::~HostDrain()
{
    m_stop = true;
    m_thread.join();
}

void HostDrain::drain(test::TestHost& host)
{
    using namespace std::chrono_literals;
    while (!m_stop.load()) {
        const std::optional<std::string> line = host.process().readLine(100ms);
        if (!line) {
            // A host that has gone away has nothing more to drain.
            if (host.process().wait(0ms)) {
                return;
            }
            continue;
        }
        if (line->find(R"("event":"new-tooltip")") != std::string::npos) {
            {
                const std::lock_guard lock(m_mutex);
                ++m_tooltips;
            }
            m_reported.notify_all();
        }
    }
}

std::size_t HostDrain::tooltips() const
{
    const std::lock_guard lock(m_mutex);
    return m_tooltips;
}

bool HostDrain::awaitTooltips(std::size_t count, std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    return m_reported.wait_for(lock, timeout, [this, count] { return m_tooltips >= count; });
}

} // namespace corvane::bench
