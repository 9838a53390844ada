// The controller's session: launching and sending, reading each child's lines, and ending. Its
// reactions to the events are in ControllerReactions.cpp. Main thread, inside EventLoop callbacks.
#include "Controller.h"

#include <system_error>

namespace corvane::demo {
namespace {

using nlohmann::json;

std::string joined(const std::vector<std::string>& words)
{
    std::string text;
    for (const std::string& word : words) {
        text += (text.empty() ? "" : " ") + word;
    }
    return text;
}

} // namespace

std::string Controller::stringMember(const nlohmann::json& line, const char* key)
{
    const auto found = line.find(key);
    return found != line.end() && found->is_string() ? found->get<std::string>() : std::string();
}

Controller::Controller(Settings settings, EventLoop& loop, Transcript& transcript)
    : m_settings(std::move(settings)), m_loop(loop), m_transcript(transcript), m_launcher(m_settings.trayProgram)
{
    m_model.projectRoot = m_settings.projectRoot;
}

void Controller::start()
{
    m_transcript.note("running " + m_launcher.program() + " with instance identity " + m_launcher.identity() +
                      "; UI markers in " + m_launcher.directory().string());
    launch("check", {"--self-test"});
}

std::vector<std::string> Controller::modeArguments(const char* mode) const
{
    std::vector<std::string> arguments;
    if (*mode) {
        arguments.emplace_back(mode);
    }
    if (m_settings.smoke) {
        arguments.emplace_back("--smoke");
    }
    return arguments;
}

bool Controller::launch(const std::string& name, const std::vector<std::string>& arguments,
                        const std::map<std::string, std::string>& extra)
{
    if (m_stopping) {
        return false;
    }
    try {
        TrayLauncher::Launch launched = m_launcher.launch(name, arguments, extra);
        m_markers[name] = launched.marker;
        const ChildProcess& child = m_loop.adopt(std::move(launched.child), *this);
        std::vector<std::string> argv = {std::filesystem::path(m_launcher.program()).filename().string()};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        m_transcript.note(name + ": started " + joined(argv) + " (pid " + std::to_string(child.pid()) + ")");
        return true;
    } catch (const std::system_error& error) {
        fail(error.what());
        return false;
    }
}

bool Controller::startHelper(const std::string& name, const std::vector<std::string>& argv)
{
    if (m_stopping) {
        return false;
    }
    try {
        const ChildProcess& child =
            m_loop.adopt(std::make_unique<ChildProcess>(name, argv, TrayLauncher::inheritedEnvironment()), *this);
        m_helpers.insert(name);
        m_transcript.note(name + ": started " + joined(argv) + " (pid " + std::to_string(child.pid()) + ")");
        return true;
    } catch (const std::system_error& error) {
        fail(error.what());
        return false;
    }
}

bool Controller::send(const std::string& name, const std::string& line)
{
    ChildProcess* child = m_loop.find(name);
    if (!child || !child->inputOpen()) {
        return false;
    }
    m_transcript.line(name, '<', line);
    return child->send(line);
}

void Controller::finish()
{
    if (m_stopping) {
        return;
    }
    m_stopping = true;
    for (const std::optional<EventLoop::TimerId>& timer : {m_connectTimer, m_verifyTimer}) {
        if (timer) {
            m_loop.cancel(*timer);
        }
    }
    m_transcript.note("closing the input of every child");
    for (ChildProcess* child : m_loop.children()) {
        child->closeInput();
    }
    m_stopTimer = m_loop.after(m_settings.stopTimeout, [this] {
        m_stopTimer.reset();
        for (ChildProcess* child : m_loop.children()) {
            m_transcript.note(child->name() + ": did not end in time; killing pid " + std::to_string(child->pid()));
            child->kill();
            m_failed = true;
        }
    });
    endWhenAllEnded();
}

void Controller::fail(const std::string& reason)
{
    if (!m_failed) {
        m_failed = true;
        m_transcript.note("FAILED: " + reason);
    }
    finish();
}

void Controller::endWhenAllEnded()
{
    if (!m_stopping || !m_loop.children().empty()) {
        return;
    }
    if (m_stopTimer) {
        m_loop.cancel(*m_stopTimer);
        m_stopTimer.reset();
    }
    m_loop.quit();
}

void Controller::onOutputLine(ChildProcess& child, const std::string& line)
{
    m_transcript.line(child.name(), '>', line);
    if (m_helpers.count(child.name())) {
        return;
    }
    const json event = json::parse(line, nullptr, false);
    const std::string name = event.is_object() ? stringMember(event, "event") : std::string();
    if (!m_stopping) {
        if (child.name() == "tray") {
            onTrayEvent(name, event);
        } else if (child.name() == "form") {
            onFormEvent(name, event);
        } else if (child.name() == "folder") {
            onFolderEvent(name, event);
        }
    }
    if (m_observer) {
        m_observer->onEvent(child.name(), event);
    }
}

void Controller::onErrorLine(ChildProcess& child, const std::string& line)
{
    m_transcript.line(child.name(), '!', line);
}

void Controller::onExit(ChildProcess& child, int status)
{
    m_transcript.line(child.name(), '=',
                      status > 128 ? "signal " + std::to_string(status - 128) : "exit " + std::to_string(status));
    m_childFailed = m_childFailed || status != 0;
    if (child.name() == "check" && status == 0) {
        launch("tray", modeArguments(""));
    } else if (child.name() == "check") {
        fail("the self-test did not pass");
    } else if (child.name() == "tray" && !m_stopping) {
        fail("the tray ended by itself");
    }
    if (m_observer) {
        m_observer->onExit(child.name(), status);
    }
    endWhenAllEnded();
}

} // namespace corvane::demo
