// The Access Key form: its window, its flow (submit, verdicts, folder choice) and its one-way
// cancellation. The controller drives it through FormFrontend; the user through its controls.
// Main thread.
#pragma once

#include "protocol/EventSink.h"
#include "protocol/FormFrontend.h"

#include <QObject>
#include <QPointer>

#include <functional>

class QWidget;

namespace corvane {

class FolderDialog;
class PortalFolderChooser;
class FormWindow;

class AccessKeyForm final : public QObject, public FormFrontend {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AccessKeyForm)

public:
    AccessKeyForm(EventSink& events, QObject* parent = nullptr);
    ~AccessKeyForm() override;

    bool formShown() const override;
    void buildForm(bool setup, const std::string& projectRoot) override;
    void showResult(FormPhase phase, const std::string& message) override;
    bool keyFieldEnabled() const override;
    void requestClose() override;
    void submitKey(const std::string& accessKey) override;

    // The orderly stop: the window may close, the key is wiped, any folder dialog ends.
    void stop();

    void submitForm();
    void chooseFolder();

    QWidget* window() const;

Q_SIGNALS:
    // The window was built; the application attaches its shortcuts to it.
    void windowBuilt(QWidget* window);
    // The window's visibility is known: "form-visible" was sent. Lines that came after the "form" message
    // are answered only from now on.
    void visibilityConfirmed();
    // The window did not become visible: the application stops.
    void notVisible();

private:
    void checkVisibility();
    void refreshProjectRoot();
    void refreshControls();
    void openFolderDialog(const QString& start);
    void onFolderChosen(const QString& path);

    EventSink& m_events;
    FormWindow* m_window = nullptr;
    QPointer<FolderDialog> m_folderDialog;
    QPointer<PortalFolderChooser> m_portal;
    bool m_setup = true;
    bool m_busy = false;
    bool m_complete = false;
    bool m_cancellationSent = false;
    bool m_stopping = false;
    std::string m_projectRoot;
};

} // namespace corvane
