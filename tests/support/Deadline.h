// A point in time a wait must not pass, and the milliseconds left until it. Value type; any thread.
#pragma once

#include <algorithm>
#include <chrono>

namespace corvane::test {

class Deadline final {
public:
    explicit Deadline(std::chrono::milliseconds timeout) : m_end(std::chrono::steady_clock::now() + timeout) {}

    // Never negative; rounded up so that a wait for it does not end early.
    std::chrono::milliseconds remaining() const
    {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(m_end - std::chrono::steady_clock::now());
        return std::max(left, std::chrono::milliseconds(0));
    }

private:
    std::chrono::steady_clock::time_point m_end;
};

} // namespace corvane::test
