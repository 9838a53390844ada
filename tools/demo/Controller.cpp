// The controller's session: launching and sending, reading each child's lines, and ending. Its
// reactions to the events are in ControllerReactions.cpp. Main thread, inside the event loop.
#include "Controller.h"

#include <QCoreApplication>

#include <stdexcept>

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

Controller::Controller(Settings settings, Transcript& transcript)
    : m_settings(std::move(settings)), m_transcript(transcript), m_launcher(m_settings.trayProgram)
{
    m_model.projectRoot = m_settings.projectRoot;
    for (QTimer* timer : {&m_connectTimer, &m_verifyTimer, &m_stopTimer}) {
        timer->setSingleShot(true);
    }
    m_connectTimer.callOnTimeout([this] {
        m_model.status = TrayModel::Status::Ready;
        m_transcript.note("connected");
        showState();
    });
    m_verifyTimer.callOnTimeout([this] { verifyKey(m_submittedKey); });
    m_stopTimer.callOnTimeout([this] {
        for (ChildProcess* child : running()) {
            m_transcript.note(child->name() + ": did not end in time; killing pid " + std::to_string(child->pid()));
            child->kill();
            m_failed = true;
        }
    });
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
    TrayLauncher::Launch launched = m_launcher.prepare(name, arguments, extra);
    m_markers[name] = launched.marker;
    std::vector<std::string> shown = {std::filesystem::path(m_launcher.program()).filename().string()};
    shown.insert(shown.end(), arguments.begin(), arguments.end());
    return adopt(name, launched.argv, launched.environment, std::move(shown));
}

bool Controller::startHelper(const std::string& name, const std::vector<std::string>& argv)
{
    if (m_stopping || !adopt(name, argv, TrayLauncher::inheritedEnvironment(), argv)) {
        return false;
    }
    m_helpers.insert(name);
    return true;
}

bool Controller::adopt(const std::string& name, const std::vector<std::string>& argv,
                       const QProcessEnvironment& environment, std::vector<std::string> shown)
{
    try {
        const ChildProcess& child =
            *m_children.emplace_back(std::make_unique<ChildProcess>(name, argv, environment, *this));
        m_transcript.note(name + ": started " + joined(shown) + " (pid " + std::to_string(child.pid()) + ")");
        return true;
    } catch (const std::runtime_error& error) {
        fail(error.what());
        return false;
    }
}

ChildProcess* Controller::find(const std::string& name) const
{
    for (auto child = m_children.rbegin(); child != m_children.rend(); ++child) {
        if ((*child)->name() == name && !(*child)->ended()) {
            return child->get();
        }
    }
    return nullptr;
}

std::vector<ChildProcess*> Controller::running() const
{
    std::vector<ChildProcess*> result;
    for (const std::unique_ptr<ChildProcess>& child : m_children) {
        if (!child->ended()) {
            result.push_back(child.get());
        }
    }
    return result;
}

bool Controller::send(const std::string& name, const std::string& line)
{
    ChildProcess* child = find(name);
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
    m_connectTimer.stop();
    m_verifyTimer.stop();
    m_transcript.note("closing the input of every child");
    for (ChildProcess* child : running()) {
        child->closeInput();
    }
    m_stopTimer.start(m_settings.stopTimeout);
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
    if (m_stopping && running().empty()) {
        m_stopTimer.stop();
        QCoreApplication::quit();
    }
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
