// Timed line streams over a child's standard input and output.
#include "LineStream.h"

#include <stdexcept>

namespace corvane::bench {
namespace {

using namespace std::chrono_literals;

constexpr auto answerTimeout = 30s;

double microseconds(LineStream::Clock::duration span)
{
    return std::chrono::duration<double, std::micro>(span).count();
}

} // namespace

void LineStream::readAnswer()
{
    const std::optional<std::string> answer = m_process.readLine(answerTimeout);
    if (!answer) {
        throw std::runtime_error("no answer to a line");
    }
    if (answer->starts_with(R"({"event":"state-applied")")) {
        ++m_accepted;
    } else if (!answer->starts_with(R"({"event":"protocol-error")")) {
        throw std::runtime_error("unexpected answer: " + *answer);
    }
}

void LineStream::settle(const std::string& line)
{
    m_accepted = 0;
    if (!m_process.writeStdin(line + '\n')) {
        throw std::runtime_error("the program no longer reads its input");
    }
    readAnswer();
}

double LineStream::microsecondsPerLine(const std::vector<std::string>& lines,
                                       const std::function<void(std::size_t accepted)>& finished)
{
    std::string payload;
    for (const std::string& line : lines) {
        payload += line;
        payload += '\n';
    }
    m_accepted = 0;
    const Clock::time_point start = Clock::now();
    if (!m_process.writeStdin(payload)) {
        throw std::runtime_error("the program stopped reading its input");
    }
    for (std::size_t index = 0; index < lines.size(); ++index) {
        readAnswer();
    }
    if (finished) {
        finished(m_accepted);
    }
    const Clock::time_point end = Clock::now();
    return microseconds(end - start) / static_cast<double>(lines.size());
}

Samples LineStream::latencies(const std::vector<std::string>& lines)
{
    Samples samples;
    m_accepted = 0;
    for (const std::string& line : lines) {
        const std::string framed = line + '\n';
        const Clock::time_point start = Clock::now();
        if (!m_process.writeStdin(framed)) {
            throw std::runtime_error("the program no longer reads its input");
        }
        readAnswer();
        samples.add(microseconds(Clock::now() - start));
    }
    return samples;
}

} // namespace corvane::bench
