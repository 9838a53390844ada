// Turns the ways the system asks this process to end into one quitRequested() signal: QEvent::Quit on
// the application object (the session manager, a platform quit) and SIGTERM (logout on Linux), which
// arrives through a self-pipe so that nothing but write() runs in the signal handler.
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
};

} // namespace corvane
