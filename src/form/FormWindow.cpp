#include "form/FormWindow.h"

#include "form/ButtonStyle.h"
#include "form/FormAccessibility.h"
#include "form/FormLook.h"
#include "form/PathLabel.h"
#include "form/Spinner.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextLayout>
#include <QVBoxLayout>

#include <string_view>

namespace corvane {
namespace {

constexpr int windowWidth = 480;
constexpr int margin = 24;
constexpr int statusSpacing = 8;
constexpr int maxFeedbackLines = 4;

QLabel* label(const QString& text, bool wrap, QWidget* parent)
{
    auto* created = new QLabel(text, parent);
    created->setTextFormat(Qt::PlainText);
    created->setWordWrap(wrap);
    return created;
}

// Where the text says whose user rights remote work runs with.
#if defined(Q_OS_MACOS)
constexpr std::u16string_view systemName = u"macOS";
#elif defined(Q_OS_WIN)
constexpr std::u16string_view systemName = u"Windows";
#elif defined(Q_OS_LINUX)
constexpr std::u16string_view systemName = u"Linux";
#else
constexpr std::u16string_view systemName = u"本机";
#endif

// The lines `text` wraps into at `width`, as QLabel wraps it (a line feed ends a line and is kept as a
// space) or, with `anywhere`, also inside words wider than a line. Together they hold all of `text`.
// `overflows` tells whether a line is wider than `width` (a word too long for a line, without `anywhere`).
QStringList wrappedLines(QString text, const QFont& font, int width, bool anywhere, bool* overflows = nullptr)
{
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextOption option;
    option.setWrapMode(anywhere ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::WordWrap);
    QTextLayout layout(text, font);
    layout.setTextOption(option);
    QStringList lines;
    bool tooWide = false;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        tooWide = tooWide || line.naturalTextWidth() > width;
        lines.append(text.mid(line.textStart(), line.textLength()).replace(QChar::LineSeparator, QLatin1Char(' ')));
    }
    layout.endLayout();
    if (overflows) {
        *overflows = tooWide;
    }
    return lines;
}

} // namespace

QString submitTitle(bool setup)
{
    return setup ? QStringLiteral("连接") : QStringLiteral("更换");
}

QString explanationText(bool setup)
{
    if (!setup) {
        return QStringLiteral("更换后，当前远程连接会断开，并重新绑定这台电脑。项目目录设置保持不变。");
    }
    return QStringLiteral("输入管理员发放的 Access Key，并选择项目目录。远程操作使用你的 %1 "
                          "用户权限；项目目录限制文件工具，不是 Shell 沙箱。")
        .arg(QString::fromUtf16(systemName.data(), static_cast<qsizetype>(systemName.size())));
}

FormWindow::FormWindow(bool setup, QWidget* parent) : QWidget(parent, Qt::Window)
{
    installFormAccessibility();
    setWindowTitle(QStringLiteral("Corvane"));
    // Set before any control exists, so that every one inherits it (the heading's bold size too).
    setFont(simplifiedChineseFont(QApplication::font()));
    setFixedSize(windowWidth, setup ? 440 : 350);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);

    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(margin, margin, margin, margin);
    stack->setSpacing(12);
    stack->setAlignment(Qt::AlignTop);

    QLabel* heading = label(setup ? QStringLiteral("完成设置") : QStringLiteral("更换 Access Key"), false, this);
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    headingFont.setPointSize(20);
    heading->setFont(headingFont);
    stack->addWidget(heading);

    m_explanation = label(explanationText(setup), true, this);
    stack->addWidget(m_explanation);

    stack->addWidget(label(setup ? QStringLiteral("Access Key") : QStringLiteral("新的 Access Key"), false, this));
    m_keyField = new QLineEdit(this);
    m_keyField->setEchoMode(QLineEdit::Password);
    m_keyField->setPlaceholderText(QStringLiteral("Access Key"));
    m_keyField->setAccessibleName(QStringLiteral("Access Key"));
    stack->addWidget(m_keyField);

    m_chooseButton = new QPushButton(QStringLiteral("选择…"), this);
    m_projectRootLabel = new PathLabel(this);
    m_projectRootLabel->setLabelledBy(m_chooseButton);
    if (setup) {
        stack->addWidget(label(QStringLiteral("项目目录"), false, this));
        stack->addWidget(buildFolderRow());
    } else {
        m_chooseButton->hide();
        m_projectRootLabel->hide();
    }
    stack->addWidget(buildStatusRow());
    stack->addWidget(buildButtonRow(setup));
    // Return and Space press the focused button, as the desktop does it; the default button takes Return
    // only where no button has the focus (keyPressEvent).
    auto* buttonStyle = new ButtonStyle(this);
    for (QPushButton* button : {m_chooseButton, m_cancelButton, m_submitButton}) {
        button->setStyle(buttonStyle);
        button->installEventFilter(this);
    }
    applyLook();
    QCoreApplication::instance()->installEventFilter(this);
}

void FormWindow::applyLook()
{
    setPalette(formPalette(QApplication::palette()));
    QPalette secondary = palette();
    secondary.setColor(QPalette::WindowText, secondaryTextColour(palette()));
    m_explanation->setPalette(secondary);
    setFeedbackError(m_feedbackError);
}

// A focused button takes Return and Enter (Space it takes by itself).
bool FormWindow::eventFilter(QObject* watched, QEvent* event)
{
    // A new application palette (the desktop switched to dark, say) is taken over at once. Qt tells the
    // application object, not a window whose palette was set.
    if (watched == QCoreApplication::instance() && event->type() == QEvent::ApplicationPaletteChange) {
        applyLook();
        return false;
    }
    auto* button = qobject_cast<QPushButton*>(watched);
    if (button && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            if (!key->isAutoRepeat() && button->isEnabled()) {
                button->click();
            }
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

QWidget* FormWindow::buildFolderRow()
{
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    layout->addWidget(m_projectRootLabel, 1);
    layout->addWidget(m_chooseButton, 0, Qt::AlignTop);
    return row;
}

QWidget* FormWindow::buildStatusRow()
{
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(statusSpacing);
    m_progress = new Spinner(row);
    m_feedback = label(QString(), true, row);
    m_feedback->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_feedback->setObjectName(QLatin1String(statusLineName));
    // An error can be selected and copied, by mouse or by keyboard, to pass it on as it is.
    m_feedback->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    layout->addWidget(m_progress, 0, Qt::AlignTop);
    layout->addWidget(m_feedback, 1);
    return row;
}

QWidget* FormWindow::buildButtonRow(bool setup)
{
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    m_cancelButton = new QPushButton(QStringLiteral("取消"), row);
    m_submitButton = new QPushButton(submitTitle(setup), row);
    // Marked for ButtonStyle, not with setDefault(): a QPushButton's own default flag also follows the
    // focus, outside dialogs too, so two buttons would look like the default.
    m_submitButton->setProperty(ButtonStyle::defaultProperty, true);
    layout->addStretch(1);
    layout->addWidget(m_cancelButton);
    layout->addWidget(m_submitButton);
    return row;
}

// Four lines at most, so the buttons always stay inside the fixed window, and none wider than the label.
// The lines are measured with the glyphs actually drawn: Chinese text comes from a fallback font with
// taller lines than the label's own font.
void FormWindow::setFeedbackText(const QString& message)
{
    const int width = windowWidth - 2 * margin - m_progress->width() - statusSpacing;
    const QFont font = m_feedback->font();
    bool overflows = false;
    if (wrappedLines(message, font, width, false, &overflows).size() <= maxFeedbackLines && !overflows) {
        m_feedback->setText(message);
        m_feedback->setToolTip(QString());
        announceNameChange(m_feedback);
        return;
    }
    QStringList lines = wrappedLines(message, font, width, true);
    const QString rest = lines.mid(maxFeedbackLines - 1).join(QString());
    lines.erase(lines.begin() + (maxFeedbackLines - 1), lines.end());
    lines.append(QFontMetrics(font).elidedText(rest, Qt::ElideRight, width));
    m_feedback->setToolTip(message);
    m_feedback->setText(lines.join(QLatin1Char('\n')));
    announceNameChange(m_feedback);
}

void FormWindow::setFeedbackError(bool error)
{
    m_feedbackError = error;
    QPalette feedback = palette();
    feedback.setColor(QPalette::WindowText, error ? errorTextColour(palette()) : secondaryTextColour(palette()));
    m_feedback->setPalette(feedback);
}

void FormWindow::keyPressEvent(QKeyEvent* event)
{
    QPushButton* target = nullptr;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        target = m_submitButton;
    } else if (event->key() == Qt::Key_Escape) {
        target = m_cancelButton;
    }
    if (!target) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (target->isEnabled() && target->isVisible()) {
        target->click();
    }
    event->accept();
}

void FormWindow::closeEvent(QCloseEvent* event)
{
    if (m_closeAllowed) {
        event->accept();
        return;
    }
    event->ignore();
    Q_EMIT closeRequested();
}

} // namespace corvane
