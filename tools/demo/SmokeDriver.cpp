// Stepping through the unattended scenario. Main thread, inside the event loop.
#include "SmokeDriver.h"

#include <algorithm>

namespace corvane::demo {

SmokeDriver::SmokeDriver(std::vector<SmokeStep> steps, Settings settings, Controller& controller,
                         Transcript& transcript)
    : m_steps(std::move(steps)), m_settings(std::move(settings)), m_controller(controller), m_transcript(transcript)
{
    m_timer.setSingleShot(true);
    m_timer.callOnTimeout([this] { timedOut(); });
}

void SmokeDriver::start()
{
    m_step = 0;
    if (!m_controller.failed()) {
        beginStep();
    }
}

void SmokeDriver::beginStep()
{
    if (complete()) {
        m_timer.stop();
        m_transcript.note("unattended scenario complete");
        return;
    }
    const SmokeStep& step = m_steps[m_step];
    m_transcript.note("step " + std::to_string(m_step + 1) + "/" + std::to_string(m_steps.size()) + ": " + step.title);
    m_met.assign(step.expected.size(), false);
    arm();
    perform(step);
}

void SmokeDriver::perform(const SmokeStep& step)
{
    if (const auto* send = std::get_if<SmokeStep::Send>(&step.action)) {
        if (!m_controller.send(send->child, send->line)) {
            m_controller.fail("cannot write to " + send->child);
        }
    } else if (const auto* snapshot = std::get_if<SmokeStep::Snapshot>(&step.action)) {
        m_controller.startHelper("snap", {m_settings.snapshotCommand, snapshot->name});
    }
}

const Expectation* SmokeDriver::next(const std::string& child) const
{
    if (complete()) {
        return nullptr;
    }
    const std::vector<Expectation>& expected = m_steps[m_step].expected;
    for (std::size_t index = 0; index < expected.size(); ++index) {
        if (!m_met[index] && expected[index].child() == child) {
            return &expected[index];
        }
    }
    return nullptr;
}

void SmokeDriver::onEvent(const std::string& child, const nlohmann::json& event)
{
    if (m_controller.failed()) {
        return;
    }
    const Expectation* expectation = next(child);
    if (!expectation || !expectation->matchesEvent(child, event)) {
        m_controller.fail("unexpected " + child + " line" +
                          (expectation ? "; expected " + expectation->describe() : std::string()));
        return;
    }
    met(expectation);
}

void SmokeDriver::onExit(const std::string& child, int status)
{
    if (m_controller.failed()) {
        return;
    }
    const Expectation* expectation = next(child);
    if (!expectation || !expectation->matchesExit(child, status)) {
        m_controller.fail("unexpected end of " + child +
                          (expectation ? "; expected " + expectation->describe() : std::string()));
        return;
    }
    met(expectation);
}

void SmokeDriver::met(const Expectation* expectation)
{
    const std::vector<Expectation>& expected = m_steps[m_step].expected;
    m_met[static_cast<std::size_t>(expectation - expected.data())] = true;
    if (std::all_of(m_met.begin(), m_met.end(), [](bool done) { return done; })) {
        ++m_step;
        beginStep();
        return;
    }
    arm();
}

void SmokeDriver::arm()
{
    m_timer.start(m_settings.timeout);
}

void SmokeDriver::timedOut()
{
    std::string missing;
    const std::vector<Expectation>& expected = m_steps[m_step].expected;
    for (std::size_t index = 0; index < expected.size(); ++index) {
        if (!m_met[index]) {
            missing += (missing.empty() ? "" : ", ") + expected[index].describe();
        }
    }
    m_controller.fail("timed out after " + std::to_string(m_settings.timeout.count()) + " ms waiting for " + missing);
}

} // namespace corvane::demo
