// A built form on the offscreen platform with every event it emits recorded as its wire line (without
// the line feed), and a snapshot of what its controls show.
#pragma once

#include "form/AccessKeyForm.h"
#include "form/FormWindow.h"
#include "protocol/EventSink.h"

#include <QColor>
#include <QString>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace corvane::test {

using namespace std::chrono_literals;

class RecordingSink final : public EventSink {
public:
    void emit(std::string_view name, const EventPayload& payload = {}) override;

    // Runs the event loop until `count` lines are recorded or `bound` passes; answers whether they are.
    bool awaitLines(std::size_t count, std::chrono::milliseconds bound = 10s);
    // The lines recorded since the last call.
    std::vector<std::string> take();

private:
    std::vector<std::string> m_lines;
    std::function<void()> m_arrived;
};

// What the controls show, for comparing whole states at once.
struct Controls {
    bool keyEnabled = false;
    bool chooseEnabled = false;
    bool submitEnabled = false;
    QString submitTitle;
    bool cancelShown = false;
    bool cancelEnabled = false;
    bool spinning = false;
    bool red = false;
    QString key;

    bool operator==(const Controls&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Controls& controls);
void PrintTo(const QString& text, std::ostream* out);

class FormHarness : public ::testing::Test {
protected:
    // Builds the form, checks that it reports itself visible and active, and forgets that event.
    FormWindow& open(bool setup, const std::string& projectRoot = "/tmp/project");
    // Builds a form of the test's own, waits for its first event and for its window to be active, and
    // answers that window (its first event left unread), or null when either did not come.
    FormWindow* showActive(AccessKeyForm& form, bool setup, const std::string& projectRoot);

    FormWindow& window() const;
    Controls controls() const { return controlsOf(window()); }
    static Controls controlsOf(const FormWindow& shown);
    void setKey(const QString& key);
    // The submit event the form sends for `key` (and, in setup, `projectRoot`).
    static std::string submitLine(const std::string& key, const std::string& projectRoot);
    static bool isRed(const QColor& colour);

    RecordingSink m_events;
    AccessKeyForm m_form{m_events};
};

} // namespace corvane::test
