#include "InputChannel.h"

namespace corvane {

InputChannel::InputChannel(int descriptor, Handlers handlers, QObject* parent)
    : QObject(parent), m_handlers(std::move(handlers)), m_reader(descriptor, *this)
{}

InputChannel::~InputChannel()
{
    if (m_thread.joinable()) {
        m_reader.cancel();
        m_thread.join();
    }
}

void InputChannel::start()
{
    m_thread = std::thread([this] { m_reader.run(); });
}

// The three sink calls run on the reader thread. Queued calls with `this` as context are dropped if the
// channel is destroyed first, and run on the main thread in the order posted.
void InputChannel::line(std::string&& line)
{
    QMetaObject::invokeMethod(
        this, [this, line = std::move(line)]() mutable { m_handlers.line(std::move(line)); }, Qt::QueuedConnection);
}

void InputChannel::ended()
{
    QMetaObject::invokeMethod(
        this, [this] { m_handlers.ended(); }, Qt::QueuedConnection);
}

void InputChannel::failed()
{
    QMetaObject::invokeMethod(
        this, [this] { m_handlers.failed(); }, Qt::QueuedConnection);
}

} // namespace corvane
