// The Access Key form window and its controls, laid out for the setup variant (key and project folder,
// 480 x 440) or the replace-key variant (key only, 480 x 350). It holds no flow logic: AccessKeyForm
// decides what each control shows. The close button becomes closeRequested() unless closing is allowed.
// Main thread.
#pragma once

#include <QWidget>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace corvane {

class PathLabel;
class Spinner;

class FormWindow final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FormWindow)

public:
    // The object name of the feedback line, the form's status line for assistive technology.
    static constexpr const char* statusLineName = "status";

    explicit FormWindow(bool setup, QWidget* parent = nullptr);

    QLineEdit* keyField() const { return m_keyField; }
    PathLabel* projectRootLabel() const { return m_projectRootLabel; }
    QLabel* feedback() const { return m_feedback; }
    Spinner* progress() const { return m_progress; }
    QPushButton* chooseButton() const { return m_chooseButton; }
    QPushButton* submitButton() const { return m_submitButton; }
    QPushButton* cancelButton() const { return m_cancelButton; }

    // Shows `message` in the feedback line: as it is when it wraps into four lines or fewer that fit the
    // width, otherwise cut to four lines that end in "…", with the whole message as the tooltip.
    void setFeedbackText(const QString& message);
    // The feedback line in the error colour, or in the secondary text colour.
    void setFeedbackError(bool error);
    void allowClose() { m_closeAllowed = true; }

Q_SIGNALS:
    void closeRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    // Keys no control took: Return and Enter press the default button (the submit button), Escape the
    // cancel button, each only while it can be pressed. A focused button takes Return and Space itself.
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyLook();
    QWidget* buildFolderRow();
    QWidget* buildStatusRow();
    QWidget* buildButtonRow(bool setup);

    QLineEdit* m_keyField = nullptr;
    PathLabel* m_projectRootLabel = nullptr;
    QLabel* m_explanation = nullptr;
    QLabel* m_feedback = nullptr;
    Spinner* m_progress = nullptr;
    QPushButton* m_chooseButton = nullptr;
    QPushButton* m_submitButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
    bool m_closeAllowed = false;
    bool m_feedbackError = false;
};

// The submit button's title in the variant, before the form completes.
QString submitTitle(bool setup);
// The explanation in the variant; the setup text names the system this build runs on.
QString explanationText(bool setup);

} // namespace corvane
