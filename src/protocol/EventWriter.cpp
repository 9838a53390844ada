#include "protocol/EventWriter.h"

#include "protocol/Wipe.h"
#include "protocol/WriteAll.h"

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
    if (!writeAll(m_descriptor, line)) {
        m_failed = true;
        if (m_failureHandler) {
            m_failureHandler();
        }
        return false;
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
