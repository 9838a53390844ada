#include "app/Application.h"

#include "form/AccessKeyForm.h"
#include "protocol/FormDispatcher.h"
#include "protocol/TrayDispatcher.h"
#include "shell/InputChannel.h"
#include "shell/MainMenu.h"
#include "shell/TerminationRequests.h"
#include "shell/UiMarker.h"
#include "tray/BusPacing.h"
#include "tray/TrayItem.h"
#include "tray/TrayPresence.h"

#include <QApplication>
#include <QWidget>

namespace corvane {

Application::Application(bool form, bool smoke, EventSink& events, int inputDescriptor)
    : m_formMode(form), m_smoke(smoke), m_events(events), m_inputDescriptor(inputDescriptor)
{
    m_termination = new TerminationRequests(this);
    connect(m_termination, &TerminationRequests::quitRequested, this, &Application::requestClose);
}

// The reader is cancelled and joined before anything it could reach is gone.
Application::~Application()
{
    m_input.reset();
}

void Application::launch()
{
    m_mainMenu = new MainMenu([this] { requestClose(); }, this);
    if (m_formMode) {
        m_form = new AccessKeyForm(m_events, this);
        // Input that comes while the form's visibility is being confirmed waits in the channel: lines and
        // the end of input are handled after "form-visible", in the order they came.
        connect(m_form, &AccessKeyForm::windowBuilt, this, [this](QWidget* window) {
            m_mainMenu->attachTo(window);
            m_input->pause();
        });
        connect(m_form, &AccessKeyForm::visibilityConfirmed, this, [this] { m_input->resume(); });
        connect(m_form, &AccessKeyForm::notVisible, this, &Application::stop);
        m_formDispatcher = std::make_unique<FormDispatcher>(*m_form, m_events, m_smoke);
        sendReady();
        startReading();
        return;
    }
    m_trayPresence = new TrayPresence(this);
    connect(m_trayPresence, &TrayPresence::hostSettled, this, &Application::buildTray);
    connect(m_trayPresence, &TrayPresence::visibilityKnown, this, &Application::onTrayVisibility);
    m_trayPresence->awaitHost();
}

void Application::buildTray(TrayPath path)
{
    m_statusItem = new TrayItem(m_events, path, this);
    m_trayDispatcher = std::make_unique<TrayDispatcher>(*m_statusItem, m_events, m_smoke);
    sendReady();
    // Lines wait in the pipe until the item is confirmed visible, so "tray-visible" comes before any
    // reply to them.
    m_trayPresence->confirmVisible(*m_statusItem);
}

void Application::sendReady()
{
    m_events.emit("ready");
    m_ready = true;
    for (; m_earlyQuitRequests > 0; --m_earlyQuitRequests) {
        requestClose();
    }
}

void Application::onTrayVisibility(bool visible)
{
    if (m_stopping) {
        return;
    }
    if (!visible) {
        m_events.emit("protocol-error", {{"reason", std::string("tray-not-visible")}});
        stop();
        return;
    }
    markUIVisible();
    m_events.emit("tray-visible");
    startReading();
    // The item may move to the D-Bus path later on, so its bus traffic is paced on either path.
    if (const QString service = m_statusItem->busService(); !service.isEmpty()) {
        auto* pacing = new BusPacing(service, *m_input, this);
        connect(m_statusItem, &TrayItem::applied, pacing, &BusPacing::stateApplied);
    }
}

void Application::startReading()
{
    InputChannel::Handlers handlers{
        .line = [this](std::string&& line) { receive(std::move(line)); },
        .ended = [this] { stop(); },
        .failed = [this] { onInputFailed(); },
    };
    m_input = std::make_unique<InputChannel>(m_inputDescriptor, std::move(handlers));
    m_input->start();
}

void Application::onInputFailed()
{
    if (m_stopping) {
        return;
    }
    m_events.emit("protocol-error");
    stop();
}

void Application::receive(std::string&& line)
{
    if (m_stopping) {
        return;
    }
    if (m_formDispatcher) {
        m_formDispatcher->receive(line);
    } else if (m_trayDispatcher) {
        m_trayDispatcher->receive(line);
    }
}

void Application::requestClose()
{
    if (m_stopping) {
        return;
    }
    if (!m_ready) {
        ++m_earlyQuitRequests;
        return;
    }
    if (m_formMode) {
        if (m_form) {
            m_form->requestClose();
        }
        return;
    }
    m_events.emit("menu", {{"action", std::string("exit")}});
}

void Application::stop()
{
    if (m_stopping) {
        return;
    }
    m_stopping = true;
    if (m_form) {
        m_form->stop();
    }
    m_termination->allowQuit();
    // exit() ends the event loop (and any nested one) without asking windows whether they may close.
    QCoreApplication::exit(0);
}

} // namespace corvane
