// The demo's controller, acting as Corvane's own: it runs the self-test, starts the tray, sends tray
// states, answers menu picks (pause and resume, the Access Key form, the folder chooser, quit), checks
// submitted keys and ends every child by closing its input. Children are named in the transcript:
// "check" (self-test), "tray", "form", "folder", and "snap" for snapshot helpers. Quits the Qt event loop
// once the session has ended. Main thread, inside the event loop.
#pragma once

#include "ChildListener.h"
#include "ChildProcess.h"
#include "ControllerObserver.h"
#include "Transcript.h"
#include "TrayLauncher.h"
#include "TrayModel.h"

#include <QTimer>

#include <chrono>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace corvane::demo {

// The one Access Key the demo's controller accepts.
inline constexpr const char* demoAccessKey = "corvane-demo-key";

class Controller final : public ChildListener {
public:
    struct Settings {
        std::string trayProgram;
        // Smoke runs (--smoke) for unattended use.
        bool smoke = false;
        std::string projectRoot;
        // How long "connecting" takes, and checking a submitted key.
        std::chrono::milliseconds connectDelay{1000};
        std::chrono::milliseconds verifyDelay{800};
        // How long children may take to end once their input is closed before they are killed.
        std::chrono::milliseconds stopTimeout{10000};
    };

    Controller(Settings settings, Transcript& transcript);

    void setObserver(ControllerObserver* observer) { m_observer = observer; }
    // Starts the self-test; the tray follows when it passes.
    void start();

    // Writes `line` to the running child `name`; false when there is none or it no longer reads.
    bool send(const std::string& name, const std::string& line);
    // Starts a helper program (not corvane-tray) as child `name`.
    bool startHelper(const std::string& name, const std::vector<std::string>& argv);

    // Ends the session in order: every child's input is closed, children that do not end in time are
    // killed, and the event loop quits once all have ended.
    void finish();
    // finish(), and the session counts as failed.
    void fail(const std::string& reason);
    bool failed() const { return m_failed; }
    // 0 when nothing failed and every child ended with status 0.
    int exitStatus() const { return m_failed || m_childFailed ? 1 : 0; }

    void onOutputLine(ChildProcess& child, const std::string& line) override;
    void onErrorLine(ChildProcess& child, const std::string& line) override;
    void onExit(ChildProcess& child, int status) override;

private:
    bool launch(const std::string& name, const std::vector<std::string>& arguments,
                const std::map<std::string, std::string>& extra = {});
    // Starts child `name`, noting `shown` as its command line; false (and the session fails) when it
    // cannot be started.
    bool adopt(const std::string& name, const std::vector<std::string>& argv, const QProcessEnvironment& environment,
               std::vector<std::string> shown);
    // The most recently started child called `name` that has not ended, or null.
    ChildProcess* find(const std::string& name) const;
    // Every child that has not ended, oldest first.
    std::vector<ChildProcess*> running() const;
    std::vector<std::string> modeArguments(const char* mode) const;
    void onTrayEvent(const std::string& event, const nlohmann::json& line);
    void onFormEvent(const std::string& event, const nlohmann::json& line);
    void onFolderEvent(const std::string& event, const nlohmann::json& line);
    void onMenuAction(const std::string& action);
    void openForm();
    void chooseFolder();
    void verifyKey(const std::string& key);
    void showState();
    void checkMarker(const std::string& name);
    void endWhenAllEnded();
    // The string member `key` of an event line, or "" when it has none.
    static std::string stringMember(const nlohmann::json& line, const char* key);

    Settings m_settings;
    Transcript& m_transcript;
    ControllerObserver* m_observer = nullptr;
    TrayLauncher m_launcher;
    TrayModel m_model;
    // Kept after they end: a child ends inside its own signal.
    std::vector<std::unique_ptr<ChildProcess>> m_children;
    std::map<std::string, std::filesystem::path> m_markers;
    // Names of children that are helpers, not corvane-tray: their lines are no events.
    std::set<std::string> m_helpers;
    bool m_trayVisible = false;
    bool m_stopping = false;
    bool m_failed = false;
    bool m_childFailed = false;
    std::string m_submittedKey;
    QTimer m_connectTimer;
    QTimer m_verifyTimer;
    QTimer m_stopTimer;
};

} // namespace corvane::demo
