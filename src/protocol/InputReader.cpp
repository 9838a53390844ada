#include "protocol/InputReader.h"

#include "protocol/StandardError.h"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <unistd.h>

namespace corvane {
namespace {

void reportReadFailure(int error)
{
    writeStandardError("Corvane UI input read failed (errno=" + std::to_string(error) + ").\n");
}

} // namespace

InputReader::InputReader(int descriptor, InputSink& sink) : m_descriptor(descriptor), m_sink(sink)
{
    if (::pipe2(m_cancelPipe.data(), O_CLOEXEC) != 0) {
        m_startError = errno;
        m_cancelPipe[0] = m_cancelPipe[1] = -1;
    }
}

InputReader::~InputReader()
{
    for (int end : m_cancelPipe) {
        if (end >= 0) {
            ::close(end);
        }
    }
}

void InputReader::cancel()
{
    if (m_cancelPipe[1] >= 0) {
        const char wake = 1;
        // A full pipe already holds a wake-up, so a short or failed write loses nothing.
        [[maybe_unused]] const ssize_t ignored = ::write(m_cancelPipe[1], &wake, 1);
    }
}

void InputReader::run()
{
    std::array<char, chunkBytes> chunk{};
    const auto deliver = [this](std::string&& line) { m_sink.line(std::move(line)); };
    for (;;) {
        std::array<pollfd, 2> waits = {pollfd{m_descriptor, POLLIN, 0}, pollfd{m_cancelPipe[0], POLLIN, 0}};
        if (::poll(waits.data(), m_cancelPipe[0] >= 0 ? 2 : 1, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
        } else if (waits[1].revents != 0) {
            return;
        }
        // Readable, hung up, in error or not open at all: read() tells which.
        const ssize_t count = ::read(m_descriptor, chunk.data(), chunk.size());
        if (count < 0) {
            // A signal that interrupts the read is no failure; read again.
            if (errno == EINTR || errno == EAGAIN) {
                continue;
            }
            reportReadFailure(errno);
            m_sink.failed();
            return;
        }
        if (count == 0) {
            m_sink.ended();
            return;
        }
        const auto bytes = std::string_view(chunk.data(), static_cast<std::size_t>(count));
        if (m_framer.feed(bytes, deliver) == LineFramer::Result::Overlong) {
            m_sink.failed();
            return;
        }
    }
}

} // namespace corvane
