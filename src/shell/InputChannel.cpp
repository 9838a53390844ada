#include "shell/InputChannel.h"

#include <csignal>
#include <pthread.h>
#include <system_error>

namespace corvane {

static_assert(maxLineBytes <= InputChannel::maxQueuedBytes / 2, "a half-empty queue must take any line");

InputChannel::InputChannel(int descriptor, Handlers handlers, QObject* parent)
    : QObject(parent), m_handlers(std::move(handlers)), m_reader(descriptor, *this)
{
    m_startError = m_reader.startError();
    if (m_startError != 0) {
        return;
    }
    // A thread starts with the signal mask of the thread that makes it.
    sigset_t termination;
    sigset_t previous;
    sigemptyset(&termination);
    sigaddset(&termination, SIGTERM);
    ::pthread_sigmask(SIG_BLOCK, &termination, &previous);
    try {
        m_thread = std::thread([this] {
            {
                std::unique_lock lock(m_queueMutex);
                m_started.wait(lock, [this] { return m_reading || m_closing; });
                if (m_closing) {
                    return;
                }
            }
            m_reader.run();
        });
    } catch (const std::system_error& error) {
        m_startError = error.code().value();
    }
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

InputChannel::~InputChannel()
{
    if (m_thread.joinable()) {
        {
            const std::lock_guard lock(m_queueMutex);
            m_closing = true;
        }
        m_started.notify_all();
        m_queueRoom.notify_all();
        m_reader.cancel();
        m_thread.join();
    }
}

void InputChannel::start()
{
    {
        const std::lock_guard lock(m_queueMutex);
        m_reading = true;
    }
    m_started.notify_all();
}

// The three sink calls run on the reader thread. Queued calls with `this` as context are dropped if the
// channel is destroyed first, and run on the main thread in the order posted.
void InputChannel::line(std::string&& line)
{
    const std::size_t bytes = line.size();
    {
        // An empty queue always takes a line, so a line longer than the byte budget still passes.
        std::unique_lock lock(m_queueMutex);
        m_queueRoom.wait(lock, [this, bytes] {
            return m_closing || m_queuedLines == 0 ||
                   (m_queuedLines < maxQueuedLines && m_queuedBytes + bytes <= maxQueuedBytes);
        });
        if (m_closing) {
            return;
        }
        ++m_queuedLines;
        m_queuedBytes += bytes;
    }
    QMetaObject::invokeMethod(
        this,
        [this, bytes, line = std::move(line)]() mutable {
            deliver([this, bytes, line = std::move(line)]() mutable {
                dequeued(bytes);
                m_handlers.line(std::move(line));
            });
        },
        Qt::QueuedConnection);
}

void InputChannel::pause()
{
    ++m_pauses;
}

void InputChannel::resume()
{
    if (m_pauses == 0 || --m_pauses > 0) {
        return;
    }
    // A handler may pause again (or end the run); what is still held then waits for the next resume().
    while (m_pauses == 0 && !m_held.empty()) {
        std::function<void()> item = std::move(m_held.front());
        m_held.pop_front();
        item();
    }
}

void InputChannel::deliver(std::function<void()> item)
{
    if (m_pauses > 0 || !m_held.empty()) {
        m_held.push_back(std::move(item));
        return;
    }
    item();
}

void InputChannel::dequeued(std::size_t bytes)
{
    bool halfEmpty = false;
    {
        const std::lock_guard lock(m_queueMutex);
        --m_queuedLines;
        m_queuedBytes -= bytes;
        halfEmpty = m_queuedLines <= maxQueuedLines / 2 && m_queuedBytes <= maxQueuedBytes / 2;
    }
    // A reader waiting for room is woken once the queue is half empty rather than for every line taken,
    // and then finds room for any line.
    if (halfEmpty) {
        m_queueRoom.notify_one();
    }
}

void InputChannel::ended()
{
    QMetaObject::invokeMethod(
        this, [this] { deliver(m_handlers.ended); }, Qt::QueuedConnection);
}

void InputChannel::failed()
{
    QMetaObject::invokeMethod(
        this, [this] { deliver(m_handlers.failed); }, Qt::QueuedConnection);
}

} // namespace corvane
