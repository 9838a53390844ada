// Confirms that a shown window really reached the screen: known(true) once the window system exposes
// it, known(false) when the bound passes first or the window is gone. A window's isVisible() holds right
// after show(), long before anything is drawn, so it proves nothing. Reports once. Main thread.
#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWindow>

#include <chrono>

namespace corvane {

class WindowExposure final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WindowExposure)

public:
    WindowExposure(QWindow* window, std::chrono::milliseconds bound, QObject* parent = nullptr);

Q_SIGNALS:
    void known(bool exposed);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void check();
    void report(bool exposed);

    QPointer<QWindow> m_window;
    QTimer m_bound;
    bool m_reported = false;
};

} // namespace corvane
