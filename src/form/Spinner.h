// A 16 x 16 busy indicator (Qt has none). Stopped, it draws nothing but keeps its place in the layout;
// its timer runs only while it spins. Main thread.
#pragma once

#include <QTimer>
#include <QWidget>

namespace corvane {

class Spinner final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Spinner)

public:
    explicit Spinner(QWidget* parent = nullptr);

    void setRunning(bool running);
    bool isRunning() const { return m_timer.isActive(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QTimer m_timer;
    int m_step = 0;
};

} // namespace corvane
