// The one object that owns the user interface of a tray-mode or form-mode run and every flag of it.
//
// launch() runs once the event loop does: the main-menu shortcuts, then the mode's own part (TrayRun:
// the status item once a tray host is there; FormRun: the Access Key form), the "ready" event, and the
// input reader. Every inbound line reaches receive() on the main thread in input order. Close and quit
// requests never end the process: they become "menu"/"exit" (tray) or one "cancel" (form). Only stop()
// ends it, after which the event loop returns and the process exits with status 0. Main thread only.
#pragma once

#include "protocol/EventSink.h"

#include <QObject>

#include <memory>
#include <string>

namespace corvane {

class FormRun;
class InputChannel;
class MainMenu;
class TerminationRequests;
class TrayRun;

class Application final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Application)

public:
    Application(bool form, bool smoke, EventSink& events, int inputDescriptor);
    ~Application() override;

    // 0, or the errno of what the constructor could not make (a self-pipe, the reader's thread): the
    // launch then ends instead of running without it.
    int startError() const;

    void launch();
    void receive(std::string&& line);
    void requestClose();
    void stop();

private:
    void launchForm();
    void launchTray();
    void onTrayVisibility(bool visible);
    void startReading();
    void onInputFailed();
    void sendReady();

    const bool m_formMode = false;
    const bool m_smoke = false;
    bool m_stopping = false;
    // Quit requests that came before "ready"; they are reported right after it.
    int m_earlyQuitRequests = 0;
    bool m_ready = false;
    EventSink& m_events;
    int m_inputDescriptor = 0;
    TerminationRequests* m_termination = nullptr;
    MainMenu* m_mainMenu = nullptr;
    TrayRun* m_tray = nullptr;
    FormRun* m_form = nullptr;
    std::unique_ptr<InputChannel> m_input;
};

} // namespace corvane
