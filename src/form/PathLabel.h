// Shows a folder path in at most two lines, shortened in the middle when it does not fit, with the
// whole path as its tooltip. Main thread.
#pragma once

#include <QPointer>
#include <QWidget>

namespace corvane {

class PathLabel final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PathLabel)

public:
    explicit PathLabel(QWidget* parent = nullptr);

    // Assistive technology hears a new text as a new accessible name.
    void setText(const QString& text);
    QString text() const { return m_text; }
    // The control assistive technology names as this label's label (the choose button).
    void setLabelledBy(QWidget* control) { m_labelledBy = control; }
    QWidget* labelledBy() const { return m_labelledBy; }
    // The lines as drawn at the current width.
    QStringList shownLines() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
    QPointer<QWidget> m_labelledBy;
};

} // namespace corvane
