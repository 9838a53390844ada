// The schemas against the real process: in a test desktop, every corpus line is sent to a smoke run
// and the process's verdict (shown, or one protocol-error) must be the schema's, apart from the
// "beyond" lines the process refuses for rules a schema cannot express. Every event line read along
// the way must satisfy the event schema and be in the event wire form, as check_schemas.py judges them.
#include "SchemaCheck.h"
#include "TestDesktop.h"
#include "TrayProgram.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <fstream>

namespace corvane::test {
namespace {

using nlohmann::json;

// The lines of corpus/<name>.jsonl, empty lines skipped; a missing file fails the test.
std::vector<std::string> corpusLines(const std::string& name)
{
    const std::string file = std::string(CORVANE_SCHEMA_CORPUS_DIR) + "/" + name + ".jsonl";
    std::ifstream stream(file);
    EXPECT_TRUE(stream.good()) << "cannot read " << file;
    std::vector<std::string> lines;
    for (std::string line; std::getline(stream, line);) {
        if (!line.empty()) {
            lines.push_back(line);
        }
    }
    EXPECT_FALSE(lines.empty()) << file;
    return lines;
}

constexpr const char* refused = R"({"event":"protocol-error"})";
constexpr const char* busyProbe = R"({"type":"form-result","phase":"busy","message":"probe"})";
constexpr const char* successProbe = R"({"type":"form-result","phase":"success","message":"probe"})";

class SchemaAgreement : public ::testing::Test {
protected:
    Process start(const std::vector<std::string>& arguments)
    {
        m_desktop.startHost(CORVANE_TEST_HOST_PATH);
        Environment environment = m_desktop.environment();
        environment.set("CORVANE_TRAY_INSTANCE_ID", identityOf('5'));
        return startTray(arguments, {.environment = environment});
    }

    // Every event line read is checked by the schema checker at the end.
    void TearDown() override
    {
        EXPECT_FALSE(m_events.empty());
        EXPECT_EQ(schemaFaults(m_events), "");
    }

    // The next event line, kept for the schema check.
    std::string event(Process& process)
    {
        const std::string line = nextLine(process);
        if (line != "<nothing>") {
            m_events.push_back(line);
        }
        return line;
    }

    void send(Process& process, const std::string& line) { ASSERT_TRUE(process.writeStdin(line + "\n")); }

    // Sends `line`, then two form-result probes; answers the events `line` caused, that is the events
    // before the probes' "busy" and "success" updates.
    std::vector<std::string> formVerdict(Process& form, const std::string& line)
    {
        send(form, line);
        send(form, busyProbe);
        send(form, successProbe);
        std::vector<std::string> events;
        for (;;) {
            const std::string next = event(form);
            if (next == "<nothing>") {
                ADD_FAILURE() << "no probe answer after " << line.substr(0, 120);
                return events;
            }
            events.push_back(next);
            const std::size_t count = events.size();
            if (count >= 2 && events[count - 2] == R"({"event":"form-updated","inputEnabled":false,"phase":"busy"})" &&
                json::parse(events[count - 1]).value("phase", "") == "success") {
                events.resize(count - 2);
                return events;
            }
        }
    }

    TestDesktop m_desktop;
    std::vector<std::string> m_events;
};

TEST_F(SchemaAgreement, TrayStatesAreShownExactlyWhenTheSchemaAcceptsThem)
{
    Process tray = start({"--smoke"});
    ASSERT_EQ(event(tray), R"({"event":"ready"})");
    ASSERT_EQ(event(tray), R"({"event":"tray-visible"})");
    for (const std::string& line : corpusLines("tray-state.valid")) {
        const std::string status = json::parse(line).at("status");
        send(tray, line);
        EXPECT_EQ(event(tray), R"({"event":"state-applied","status":")" + status + R"("})") << line.substr(0, 200);
    }
    for (const char* file : {"tray-state.invalid", "tray-state.beyond"}) {
        for (const std::string& line : corpusLines(file)) {
            send(tray, line);
            EXPECT_EQ(event(tray), refused) << file << ": " << line.substr(0, 200);
        }
    }
    tray.closeStdin();
    EXPECT_EQ(tray.wait(patience), 0);
}

TEST_F(SchemaAgreement, FormMessagesAreAcceptedExactlyWhenTheSchemaAndTheFormsStateAllowThem)
{
    Process form = start({"form", "--smoke"});
    ASSERT_EQ(event(form), R"({"event":"ready"})");
    std::vector<std::string> valid = corpusLines("form-message.valid");
    // Before the form is shown every line but a valid form message is refused, and so are form
    // messages the schema accepts but the process cannot (an over-long project folder).
    for (const char* file : {"form-message.invalid", "form-message.beyond"}) {
        for (const std::string& line : corpusLines(file)) {
            send(form, line);
            EXPECT_EQ(event(form), refused) << file << ": " << line.substr(0, 200);
        }
    }
    for (const std::string& line : valid) {
        if (json::parse(line).at("type") != "form") {
            send(form, line);
            EXPECT_EQ(event(form), refused) << "before the form: " << line.substr(0, 200);
        }
    }
    send(form, valid.front());
    ASSERT_EQ(event(form), R"({"event":"form-presented","mode":"setup"})");
    ASSERT_EQ(event(form), R"({"event":"form-visible"})");

    // Once shown: a second form message is refused, results and exercises are taken, invalid lines
    // refused. The corpus keeps cancelling exercises last.
    for (const std::string& line : valid) {
        const bool formMessage = json::parse(line).at("type") == "form";
        const std::vector<std::string> events = formVerdict(form, line);
        if (formMessage) {
            EXPECT_EQ(events, std::vector<std::string>{refused}) << "second form: " << line.substr(0, 200);
        } else {
            EXPECT_EQ(std::count(events.begin(), events.end(), refused), 0) << line.substr(0, 200);
        }
    }
    for (const std::string& line : corpusLines("form-message.invalid")) {
        EXPECT_EQ(formVerdict(form, line), std::vector<std::string>{refused}) << line.substr(0, 200);
    }
    form.closeStdin();
    EXPECT_EQ(form.wait(patience), 0);
}

} // namespace
} // namespace corvane::test
