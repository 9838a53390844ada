#include "app/Application.h"

#include "app/FormRun.h"
#include "app/TrayRun.h"
#include "shell/InputChannel.h"
#include "shell/MainMenu.h"
#include "shell/TerminationRequests.h"
#include "shell/UiMarker.h"

#include <QApplication>
#include <QWidget>

namespace corvane {

Application::Application(bool form, bool smoke, EventSink& events, int inputDescriptor)
    : m_formMode(form), m_smoke(smoke), m_events(events), m_inputDescriptor(inputDescriptor)
{
    m_termination = new TerminationRequests(this);
    connect(m_termination, &TerminationRequests::quitRequested, this, &Application::requestClose);
    // Made now, so that what it needs fails at start-up; it reads only once startReading() says so.
    InputChannel::Handlers handlers{
        .line = [this](std::string&& line) { receive(std::move(line)); },
        .ended = [this] { stop(); },
        .failed = [this] { onInputFailed(); },
    };
    m_input = std::make_unique<InputChannel>(m_inputDescriptor, std::move(handlers));
}

int Application::startError() const
{
    return m_termination->startError() != 0 ? m_termination->startError() : m_input->startError();
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
        launchForm();
    } else {
        launchTray();
    }
}

void Application::launchForm()
{
    m_form = new FormRun(m_events, m_smoke, this);
    connect(m_form, &FormRun::windowBuilt, this, [this](QWidget* window) {
        m_mainMenu->attachTo(window);
        m_input->pause();
    });
    connect(m_form, &FormRun::visibilityConfirmed, this, [this] { m_input->resume(); });
    connect(m_form, &FormRun::notVisible, this, &Application::stop);
    sendReady();
    startReading();
}

void Application::launchTray()
{
    m_tray = new TrayRun(m_events, m_smoke, this);
    connect(m_tray, &TrayRun::itemBuilt, this, &Application::sendReady);
    connect(m_tray, &TrayRun::visibilityKnown, this, &Application::onTrayVisibility);
    m_tray->start();
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
    // While the item is visible every applied state writes the marker again if it is gone (whoever
    // removed it, or made its folder, meanwhile), before its reply.
    connect(m_tray, &TrayRun::stateApplied, this, [] { markUIVisible(); });
    m_events.emit("tray-visible");
    startReading();
    m_tray->paceInput(*m_input);
}

void Application::startReading()
{
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
    if (m_form) {
        m_form->receive(line);
    } else if (m_tray) {
        m_tray->receive(line);
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
    if (m_form) {
        m_form->requestClose();
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
