// Reads the controller's message lines from a descriptor (standard input in the process; a pipe in
// tests) until end of input, a read failure or an over-long line.
//
// Threading: run() blocks on its own thread and calls the sink from that thread; the sink hands every
// call over to the main thread. cancel() may be called from any thread: it wakes run(), which then
// returns without another sink call. The reader never polls: it sleeps in poll() until the descriptor or
// the cancel pipe has something.
#pragma once

#include "protocol/LineFramer.h"

#include <array>
#include <string>

namespace corvane {

class InputSink {
public:
    virtual ~InputSink() = default;
    virtual void line(std::string&& line) = 0;
    // End of input; bytes of an unterminated last line are dropped.
    virtual void ended() = 0;
    // A read failure (already reported on standard error) or an over-long line.
    virtual void failed() = 0;
};

class InputReader final {
public:
    static constexpr std::size_t chunkBytes = 4096;

    InputReader(int descriptor, InputSink& sink);
    ~InputReader();
    InputReader(const InputReader&) = delete;
    InputReader& operator=(const InputReader&) = delete;

    // Reads to one of the terminal conditions, which is reported exactly once, or until cancelled.
    void run();
    void cancel();

    // 0, or the errno of the cancel pipe that could not be made: such a reader could not be cancelled,
    // and a run that ends while its input is still open would wait for it for good. Not to be run.
    int startError() const { return m_startError; }

private:
    int m_descriptor = -1;
    InputSink& m_sink;
    std::array<int, 2> m_cancelPipe = {-1, -1};
    int m_startError = 0;
    LineFramer m_framer;
};

} // namespace corvane
