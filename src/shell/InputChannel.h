// Runs the input reader on its own thread and hands each line, in order, to the main thread, where
// the receiver (held weakly) gets it. End of input and input failure arrive the same way, after every
// line before them. The thread is cancelled and joined on destruction, so nothing is posted to a
// receiver that is gone. Construct and destroy on the main thread.
//
// Everything the reader needs (its cancel pipe, its thread) is made by the constructor, so that a
// failure shows at start-up (startError()); the thread waits there until start(). It never takes a
// termination request (SIGTERM stays blocked in it).
//
// At most maxQueuedLines lines (and maxQueuedBytes of them) wait for the main thread at once; the reader
// thread then waits for room, so a controller that writes faster than lines are handled fills the pipe
// instead of this process's memory.
//
// pause() holds delivery until as many resume() calls have come: what arrives meanwhile waits, in order,
// and still counts against those bounds, so a paused channel also ends up filling the pipe.
#pragma once

#include "protocol/InputReader.h"

#include <QObject>
#include <QPointer>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace corvane {

class InputChannel final : public QObject, private InputSink {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(InputChannel)

public:
    struct Handlers {
        std::function<void(std::string&&)> line;
        std::function<void()> ended;
        std::function<void()> failed;
    };

    static constexpr std::size_t maxQueuedLines = 256;
    static constexpr std::size_t maxQueuedBytes = std::size_t{1} << 20;

    InputChannel(int descriptor, Handlers handlers, QObject* parent = nullptr);
    ~InputChannel() override;

    // 0, or the errno of what could not be made; then the channel never reads.
    int startError() const { return m_startError; }

    void start();
    void pause();
    void resume();

private:
    void line(std::string&& line) override;
    void ended() override;
    void failed() override;

    // Main thread: runs `item` now, or keeps it for resume() while paused.
    void deliver(std::function<void()> item);
    // Main thread: a queued line is about to be handled.
    void dequeued(std::size_t bytes);

    Handlers m_handlers;
    int m_pauses = 0;
    std::deque<std::function<void()>> m_held;
    InputReader m_reader;
    std::thread m_thread;
    std::mutex m_queueMutex;
    std::condition_variable m_queueRoom;
    std::condition_variable m_started;
    std::size_t m_queuedLines = 0;
    std::size_t m_queuedBytes = 0;
    bool m_reading = false;
    bool m_closing = false;
    int m_startError = 0;
};

} // namespace corvane
