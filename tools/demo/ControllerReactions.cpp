// The controller's reactions to each child's events: tray states and menu actions, the Access Key
// form and its answers, the folder chooser, and the UI marker check. Part of Controller (Controller.h).
// Main thread, inside the event loop.
#include "Controller.h"

#include <fstream>
#include <iterator>
#include <regex>

namespace corvane::demo {
namespace {

using nlohmann::json;

std::string compact(const json& value)
{
    return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

json formResult(const char* phase, const char* message)
{
    return {{"type", "form-result"}, {"phase", phase}, {"message", message}};
}

} // namespace

void Controller::onTrayEvent(const std::string& event, const json& line)
{
    if (event == "tray-visible") {
        m_trayVisible = true;
        checkMarker("tray");
        showState();
        m_connectTimer.start(m_settings.connectDelay);
    } else if (event == "protocol-error" && stringMember(line, "reason") == "tray-not-visible") {
        fail("no tray host showed the item in time (CORVANE_UI_WAIT_MS)");
    } else if (event == "protocol-error") {
        m_transcript.note("the tray refused that line; nothing changed");
    } else if (event == "duplicate") {
        fail("a tray with this identity is already running");
    } else if (event == "menu") {
        onMenuAction(stringMember(line, "action"));
    } else if (event.empty()) {
        m_transcript.note("that is not an event line");
    }
}

void Controller::onMenuAction(const std::string& action)
{
    if (action == "pause" && m_model.status == TrayModel::Status::Ready) {
        m_model.status = TrayModel::Status::Suspended;
        showState();
    } else if (action == "resume" && m_model.status == TrayModel::Status::Suspended) {
        m_model.status = TrayModel::Status::Ready;
        showState();
    } else if (action == "access-key") {
        openForm();
    } else if (action == "choose-folder") {
        chooseFolder();
    } else if (action == "open-logs") {
        m_transcript.note("this is where Corvane would open its logs");
    } else if (action == "quit" || action == "exit") {
        m_transcript.note("quit requested (" + action + ")");
        finish();
    } else {
        m_transcript.note("nothing to do for " + action);
    }
}

void Controller::openForm()
{
    if (find("form") || find("folder")) {
        m_transcript.note("the form or the folder chooser is already open");
        return;
    }
    launch("form", modeArguments("form"));
}

void Controller::chooseFolder()
{
    if (find("form") || find("folder")) {
        m_transcript.note("the form or the folder chooser is already open");
        return;
    }
    launch("folder", modeArguments("choose-folder"), {{"CORVANE_CURRENT_PROJECT_ROOT", m_model.projectRoot}});
}

void Controller::onFormEvent(const std::string& event, const json& line)
{
    if (event == "ready") {
        send("form", compact({{"type", "form"},
                              {"mode", m_model.keySet ? "replace-key" : "setup"},
                              {"projectRoot", m_model.projectRoot}}));
    } else if (event == "form-visible") {
        checkMarker("form");
    } else if (event == "submit") {
        send("form", compact(formResult("busy", "正在验证 Access Key…")));
        m_submittedKey = stringMember(line, "accessKey");
        m_verifyTimer.start(m_settings.verifyDelay);
    } else if (event == "cancel") {
        m_transcript.note("the form was closed");
        if (ChildProcess* form = find("form")) {
            form->closeInput();
        }
    } else if (event == "protocol-error" && stringMember(line, "reason") == "form-not-visible") {
        m_transcript.note("the form could not be shown");
    } else if (event == "duplicate") {
        m_transcript.note("another form or folder chooser of this identity is open");
    }
}

void Controller::verifyKey(const std::string& key)
{
    if (key != demoAccessKey) {
        send("form", compact(formResult("error", "Access Key 无效，请检查后重试。")));
        return;
    }
    send("form", compact(formResult("success", "Access Key 已保存。")));
    m_model.keySet = true;
    showState();
}

void Controller::onFolderEvent(const std::string& event, const json& line)
{
    if (event != "folder-result") {
        return;
    }
    const auto root = line.find("projectRoot");
    if (root == line.end() || !root->is_string()) {
        m_transcript.note("no folder chosen; the project folder stays " + m_model.projectRoot);
        return;
    }
    m_model.projectRoot = root->get<std::string>();
    m_transcript.note("the project folder is now " + m_model.projectRoot);
    showState();
}

void Controller::showState()
{
    if (m_trayVisible) {
        send("tray", m_model.line());
    }
}

void Controller::checkMarker(const std::string& name)
{
    const std::filesystem::path& marker = m_markers[name];
    std::ifstream file(marker);
    const std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    static const std::regex seconds("[0-9]+(\\.[0-9]+)?([eE][+-]?[0-9]+)?\n");
    if (!std::regex_match(content, seconds)) {
        fail(name + ": visible, but its UI marker " + marker.string() + " is missing or malformed");
        return;
    }
    m_transcript.note(name + ": visible; its UI marker says " + content.substr(0, content.size() - 1));
}

} // namespace corvane::demo
