#include "form/AccessKeyForm.h"

#include "form/FolderDialog.h"
#include "form/FormWindow.h"
#include "form/PathLabel.h"
#include "form/PortalFolderChooser.h"
#include "form/Spinner.h"
#include "protocol/Wipe.h"
#include "shell/UiMarker.h"
#include "shell/VisibilityWait.h"
#include "shell/VisibleText.h"
#include "shell/WindowExposure.h"

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWindow>

namespace corvane {
namespace {

constexpr qsizetype maxAccessKeyBytes = 256;

QString fromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Empties the key field, its text overwritten first: Qt frees the old text unwiped. The QString that
// text() answers shares the field's own buffer, so the zeros land there. Text without a buffer of its
// own (a literal, read-only) held no typed key.
void clearKeyField(QLineEdit* field)
{
    const QString text = field->text();
    if (text.data_ptr().isMutable()) {
        wipe(reinterpret_cast<char*>(const_cast<QChar*>(text.constData())),
             static_cast<std::size_t>(text.size()) * sizeof(QChar));
    }
    // setText, unlike clear(), also drops the field's undo steps.
    field->setText(QString());
}

} // namespace

AccessKeyForm::AccessKeyForm(EventSink& events, QObject* parent) : QObject(parent), m_events(events) {}

AccessKeyForm::~AccessKeyForm()
{
    delete m_window;
}

bool AccessKeyForm::formShown() const
{
    return m_window != nullptr;
}

QWidget* AccessKeyForm::window() const
{
    return m_window;
}

void AccessKeyForm::buildForm(bool setup, const std::string& projectRoot)
{
    m_setup = setup;
    m_projectRoot = projectRoot;
    // Before any window exists: loaded later, the language change that follows resets the labels of an
    // open folder dialog, its confirm button's 选择 among them.
    installQtTranslations();
    m_window = new FormWindow(setup);
    connect(m_window, &FormWindow::closeRequested, this, &AccessKeyForm::requestClose);
    connect(m_window->submitButton(), &QPushButton::clicked, this, &AccessKeyForm::submitForm);
    connect(m_window->cancelButton(), &QPushButton::clicked, this, &AccessKeyForm::requestClose);
    connect(m_window->chooseButton(), &QPushButton::clicked, this, &AccessKeyForm::chooseFolder);
    refreshProjectRoot();
    refreshControls();
    Q_EMIT windowBuilt(m_window);

    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    m_window->keyField()->setFocus();
    checkVisibility();
}

void AccessKeyForm::checkVisibility()
{
    auto* exposure = new WindowExposure(m_window->windowHandle(), visibilityWaitBound(), this);
    connect(exposure, &WindowExposure::known, this, [this, exposure](bool exposed) {
        exposure->deleteLater();
        if (m_stopping) {
            return;
        }
        if (exposed) {
            markUIVisible();
            m_events.emit("form-visible");
            Q_EMIT visibilityConfirmed();
            return;
        }
        m_events.emit("protocol-error", {{"reason", std::string("form-not-visible")}});
        Q_EMIT notVisible();
    });
}

void AccessKeyForm::refreshProjectRoot()
{
    const QString path = visibleText(QFile::decodeName(QByteArray::fromStdString(m_projectRoot)));
    m_window->projectRootLabel()->setText(path.isEmpty() ? QStringLiteral("尚未选择项目目录") : path);
    m_window->projectRootLabel()->setToolTip(path);
}

void AccessKeyForm::submitForm()
{
    if (m_complete) {
        requestClose();
        return;
    }
    if (m_busy || m_cancellationSent || !m_window) {
        return;
    }
    // The field's text is shared, not copied, and trimmed as a view: the one copy made is the UTF-8 key.
    const QString typed = m_window->keyField()->text();
    QByteArray key = QStringView(typed).trimmed().toUtf8();
    const bool acceptable = !key.isEmpty() && key.size() <= maxAccessKeyBytes && (!m_setup || !m_projectRoot.empty());
    if (!acceptable) {
        wipe(key.data(), static_cast<std::size_t>(key.size()));
        m_window->setFeedbackText(m_setup ? QStringLiteral("请输入 Access Key，并选择项目目录。")
                                          : QStringLiteral("请输入完整的 Access Key。"));
        // Back to the key, whichever control submitted: a Space meant for the key must not press a button.
        m_window->keyField()->setFocus();
        return;
    }
    showResult(FormPhase::Busy, "正在验证 Access Key…");
    // Filled in place: a braced payload would copy the key through a temporary that is freed unwiped.
    EventPayload payload;
    auto& sentKey = std::get<std::string>(payload.try_emplace("accessKey", std::string()).first->second);
    sentKey.assign(key.constData(), static_cast<std::size_t>(key.size()));
    if (m_setup) {
        payload.emplace("projectRoot", m_projectRoot);
    }
    m_events.emit("submit", payload);
    // Our copies of the key go as soon as it is sent; the key field's own text is Qt's until it is cleared.
    wipe(sentKey);
    wipe(key.data(), static_cast<std::size_t>(key.size()));
}

void AccessKeyForm::showResult(FormPhase phase, const std::string& message)
{
    m_busy = phase == FormPhase::Busy;
    m_complete = phase == FormPhase::Success;
    if (!m_window) {
        return;
    }
    refreshControls();
    m_window->setFeedbackText(visibleText(message));
    m_window->setFeedbackError(phase == FormPhase::Error);
    m_window->progress()->setRunning(m_busy);
    if (m_complete) {
        clearKeyField(m_window->keyField());
    }
    if (phase == FormPhase::Error) {
        m_window->keyField()->setFocus();
    }
}

// Every control follows from busy, complete and cancellationSent alone.
void AccessKeyForm::refreshControls()
{
    if (!m_window) {
        return;
    }
    const bool inputEnabled = !m_busy && !m_complete && !m_cancellationSent;
    const bool submitEnabled = !m_busy && !m_cancellationSent;
    // A control that loses its focus by being disabled would hand it to the next one, Cancel perhaps,
    // which Return or Space would then press unasked. The window keeps it instead, where Return means
    // the default button.
    const QWidget* focused = m_window->focusWidget();
    if ((!inputEnabled && (focused == m_window->keyField() || focused == m_window->chooseButton())) ||
        (!submitEnabled && focused == m_window->submitButton()) ||
        ((m_cancellationSent || m_complete) && focused == m_window->cancelButton())) {
        m_window->setFocus();
    }
    m_window->keyField()->setEnabled(inputEnabled);
    m_window->chooseButton()->setEnabled(inputEnabled);
    m_window->submitButton()->setEnabled(submitEnabled);
    m_window->submitButton()->setText(m_complete ? QStringLiteral("完成") : submitTitle(m_setup));
    m_window->cancelButton()->setEnabled(!m_cancellationSent);
    m_window->cancelButton()->setVisible(!m_complete);
}

bool AccessKeyForm::keyFieldEnabled() const
{
    return m_window && m_window->keyField()->isEnabled();
}

void AccessKeyForm::requestClose()
{
    if (m_cancellationSent) {
        return;
    }
    m_cancellationSent = true;
    refreshControls();
    m_events.emit("cancel");
}

void AccessKeyForm::submitKey(const std::string& accessKey)
{
    // A disabled field (busy, completed or cancelled) takes no key: it would only linger there unseen.
    if (m_window && m_window->keyField()->isEnabled()) {
        m_window->keyField()->setText(fromUtf8(accessKey));
    }
    submitForm();
}

// The desktop's own chooser where its portal offers one, Qt's dialog otherwise.
void AccessKeyForm::chooseFolder()
{
    if (m_busy || m_complete || !m_window || m_folderDialog || m_portal) {
        return;
    }
    const QString start = startFolder(QFile::decodeName(QByteArray::fromStdString(m_projectRoot)));
    m_portal = new PortalFolderChooser(this);
    connect(m_portal, &PortalFolderChooser::unavailable, this, [this, start] {
        m_portal->deleteLater();
        openFolderDialog(start);
    });
    connect(m_portal, &PortalFolderChooser::finished, this, [this](const QString& folder) {
        m_portal->deleteLater();
        onFolderChosen(folder);
    });
    // The portal puts its chooser over the form when it knows the form's window.
    const QString parent = QGuiApplication::platformName() == QLatin1String("xcb")
                               ? QStringLiteral("x11:%1").arg(m_window->winId(), 0, 16)
                               : QString();
    m_portal->open(parent, start);
}

void AccessKeyForm::openFolderDialog(const QString& start)
{
    if (m_stopping || !m_window) {
        return;
    }
    m_folderDialog = new FolderDialog(m_window, start);
    m_folderDialog->setWindowModality(Qt::WindowModal);
    m_folderDialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_folderDialog, &QDialog::finished, this, [this](int result) {
        const QString folder = m_folderDialog ? m_folderDialog->chosenFolder() : QString();
        // The result is taken on the next turn of the event loop, once the dialog has closed.
        QMetaObject::invokeMethod(
            this, [this, result, folder] { onFolderChosen(result == QDialog::Accepted ? folder : QString()); },
            Qt::QueuedConnection);
    });
    m_folderDialog->open();
}

void AccessKeyForm::onFolderChosen(const QString& path)
{
    if (path.isEmpty() || !m_window) {
        return;
    }
    m_projectRoot = QFile::encodeName(path).toStdString();
    refreshProjectRoot();
}

void AccessKeyForm::stop()
{
    m_stopping = true;
    if (m_folderDialog) {
        m_folderDialog->reject();
    }
    if (m_portal) {
        m_portal->close();
    }
    if (m_window) {
        clearKeyField(m_window->keyField());
        m_window->allowClose();
    }
}

} // namespace corvane
