// Faults at the process's edges: a controller that stops listening, standard input that cannot be read.
#include "TrayProgram.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace corvane::test {
namespace {

class Fault : public ::testing::Test {
protected:
    Process::Options offscreen() const
    {
        return {.environment = offscreenEnvironment(identityOf('f'), pathOf(m_scratch))};
    }

    QTemporaryDir m_scratch;
};

TEST_F(Fault, ControllerThatClosesOurStdoutEndsTheRunInOrder)
{
    // The controller's end of standard output is a reader that passes the first line on, closes the pipe
    // and says so; bash then exits with the status of the form process.
    Process form({"bash", "-c",
                  R"("$@" | { IFS= read -r line; printf '%s\n' "$line"; exec 0<&-; echo closed; }; )"
                  R"(exit "${PIPESTATUS[0]}")",
                  "bash", CORVANE_TRAY_PATH, "form", "--smoke"},
                 offscreen());
    ASSERT_EQ(nextLine(form), R"({"event":"ready"})");
    ASSERT_EQ(nextLine(form), "closed");
    // The reply to this line cannot be written: no SIGPIPE death (status 141), an orderly stop instead.
    ASSERT_TRUE(form.writeStdin(R"({"type":"form","mode":"replace-key","projectRoot":""})"
                                "\n"));
    EXPECT_EQ(form.wait(patience), 0);
    EXPECT_EQ(form.readAllStderr(patience), "");
}

TEST_F(Fault, UnreadableStdinIsAReadFailure)
{
    // Standard input open for writing only: read() fails with EBADF.
    Process form({"sh", "-c", R"(exec "$@" 0>/dev/null)", "sh", CORVANE_TRAY_PATH, "form"}, offscreen());
    EXPECT_EQ(nextLine(form), R"({"event":"ready"})");
    EXPECT_EQ(nextLine(form), R"({"event":"protocol-error"})");
    EXPECT_EQ(form.wait(patience), 0);
    EXPECT_EQ(form.readAllStderr(patience), "Corvane UI input read failed (errno=" + std::to_string(EBADF) + ").\n");
}

} // namespace
} // namespace corvane::test
