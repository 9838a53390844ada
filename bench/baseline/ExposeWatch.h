// Calls back once when a window is first exposed by the window system, the way a bare Qt program would
// learn that its window reached the screen: an event filter for Expose, checked after the window took
// the event. Main thread.
#pragma once

#include <QObject>
#include <QWindow>

#include <functional>

class ExposeWatch final : public QObject {
public:
    ExposeWatch(QWindow* window, std::function<void()> exposed);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void check();

    QWindow* m_window = nullptr;
    std::function<void()> m_exposed;
};
