// Plays the user in an unattended run: performs each step's action and checks that the expected events
// follow, in order per child, each within the timeout. An unexpected event or a timeout fails the
// controller's session. Main thread, inside the event loop.
#pragma once

#include "Controller.h"
#include "ControllerObserver.h"
#include "SmokeStep.h"
#include "Transcript.h"

#include <QTimer>

#include <chrono>
#include <string>
#include <vector>

namespace corvane::demo {

class SmokeDriver final : public ControllerObserver {
public:
    struct Settings {
        std::chrono::milliseconds timeout{20000};
        // Run as "<command> <snapshot name>" for snapshot steps.
        std::string snapshotCommand;
    };

    SmokeDriver(std::vector<SmokeStep> steps, Settings settings, Controller& controller, Transcript& transcript);

    // Begins the first step; call after Controller::start.
    void start();
    bool complete() const { return m_step >= m_steps.size(); }

    void onEvent(const std::string& child, const nlohmann::json& event) override;
    void onExit(const std::string& child, int status) override;

private:
    void beginStep();
    void perform(const SmokeStep& step);
    // The first expectation of the current step for `child` that is not met yet, or null.
    const Expectation* next(const std::string& child) const;
    void met(const Expectation* expectation);
    // Restarts the timeout of the current step.
    void arm();
    // The timeout passed: the session fails, naming what did not come.
    void timedOut();

    std::vector<SmokeStep> m_steps;
    Settings m_settings;
    Controller& m_controller;
    Transcript& m_transcript;
    std::size_t m_step = 0;
    std::vector<bool> m_met;
    QTimer m_timer;
};

} // namespace corvane::demo
