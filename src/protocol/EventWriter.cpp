#include "protocol/EventWriter.h"

#include "protocol/Wipe.h"

#include <cerrno>
#include <unistd.h>

namespace corvane {

void EventWriter::emit(std::string_view name, const EventPayload& payload)
{
    // A line may carry the Access Key; it does not outlive the write.
    std::string line = encodeEventLine(name, payload);
    writeLine(line);
    wipe(line);
}

bool EventWriter::writeLine(std::string_view line)
{
    if (m_failed) {
        return false;
    }
    while (!line.empty()) {
        const ssize_t written = ::write(m_descriptor, line.data(), line.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            m_failed = true;
            if (m_failureHandler) {
                m_failureHandler();
            }
            return false;
        }
        line.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

EventWriter& standardOutput()
{
    static EventWriter writer(STDOUT_FILENO);
    return writer;
}

void emit(std::string_view name, const EventPayload& payload)
{
    standardOutput().emit(name, payload);
}

} // namespace corvane
