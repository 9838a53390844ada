// Turns the ways the system asks this process to end into one quitRequested() signal: QEvent::Quit on
// the application object (the session manager, a platform quit) and SIGTERM (logout on Linux), which
// arrives through a self-pipe so that nothing but write() runs in the signal handler.
//
// SIGTERM is held (blocked) from the first instruction of main (holdRequests()) until an object of this
// class has its pipe and handler; its constructor then unblocks it in the main thread, so a request
// that came meanwhile is delivered at once and waits in the pipe. Threads made before that inherit the
// block; the input reader keeps it blocked too. Qt's own later threads may take a request: the handler
// is safe on any thread.
// Main thread; the signal handler only writes one byte.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace corvane {

class TerminationRequests final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TerminationRequests)

public:
    explicit TerminationRequests(QObject* parent = nullptr);
    ~TerminationRequests() override;

    // Blocks SIGTERM in the calling thread, and so in every thread it starts from now on.
    static void holdRequests();

    // 0, or the errno of the self-pipe that could not be made: SIGTERM then stays held, and the caller
    // ends the launch.
    int startError() const { return m_startError; }

    // While allowed, QEvent::Quit reaches the application and ends its event loop.
    void allowQuit() { m_quitAllowed = true; }

Q_SIGNALS:
    void quitRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void drainSignalPipe();

    QSocketNotifier* m_notifier = nullptr;
    bool m_quitAllowed = false;
    int m_startError = 0;
};

} // namespace corvane
