#include "shell/TerminationRequests.h"

#include <QCoreApplication>
#include <QEvent>
#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

namespace corvane {
namespace {

std::array<int, 2> signalPipe = {-1, -1};

void onTerminationSignal(int /*signal*/)
{
    const int savedErrno = errno;
    const char wake = 1;
    // A full pipe already holds a request; losing this byte loses nothing.
    [[maybe_unused]] const ssize_t ignored = ::write(signalPipe[1], &wake, 1);
    errno = savedErrno;
}

sigset_t terminationSignal()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    return signals;
}

} // namespace

void TerminationRequests::holdRequests()
{
    const sigset_t signals = terminationSignal();
    ::pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

TerminationRequests::TerminationRequests(QObject* parent) : QObject(parent)
{
    QCoreApplication::instance()->installEventFilter(this);
    if (::pipe2(signalPipe.data(), O_CLOEXEC | O_NONBLOCK) != 0) {
        m_startError = errno;
        signalPipe = {-1, -1};
        return;
    }
    m_notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationRequests::drainSignalPipe);
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    // A request held since main began is delivered now, to this thread, and waits in the pipe.
    const sigset_t signals = terminationSignal();
    ::pthread_sigmask(SIG_UNBLOCK, &signals, nullptr);
}

TerminationRequests::~TerminationRequests()
{
    // The process is ending in order: a request from now on is ignored rather than allowed to kill it,
    // and no handler can write to the pipe once it is closed.
    static_cast<void>(::signal(SIGTERM, SIG_IGN));
    for (int& end : signalPipe) {
        if (end >= 0) {
            ::close(end);
            end = -1;
        }
    }
}

bool TerminationRequests::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == QCoreApplication::instance() && event->type() == QEvent::Quit && !m_quitAllowed) {
        Q_EMIT quitRequested();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void TerminationRequests::drainSignalPipe()
{
    std::array<char, 64> bytes{};
    ssize_t count = 0;
    // One byte per signal: signals in quick succession are still one request each.
    while ((count = ::read(signalPipe[0], bytes.data(), bytes.size())) > 0) {
        for (ssize_t request = 0; request < count; ++request) {
            Q_EMIT quitRequested();
        }
    }
}

} // namespace corvane
