// Faults at the process's edges: a controller that stops listening, standard input that cannot be read.
#include "ScratchDirectory.h"
#include "TrayProgram.h"

#include <gtest/gtest.h>

#include <fcntl.h>

namespace corvane::test {
namespace {

class Fault : public ::testing::Test {
protected:
    Process::Options offscreen() const
    {
        return {.environment = offscreenEnvironment(identityOf('f'), m_scratch.path())};
    }

    ScratchDirectory m_scratch{"corvane-fault"};
};

TEST_F(Fault, ControllerThatClosesOurStdoutEndsTheRunInOrder)
{
    Process form = startTray({"form", "--smoke"}, offscreen());
    ASSERT_EQ(nextLine(form), R"({"event":"ready"})");
    form.closeStdout();
    // The reply to this line cannot be written: no SIGPIPE death, an orderly stop instead.
    ASSERT_TRUE(form.writeStdin(R"({"type":"form","mode":"replace-key","projectRoot":""})"
                                "\n"));
    EXPECT_EQ(form.wait(patience), 0);
    EXPECT_FALSE(form.diedBySignal());
    EXPECT_EQ(form.readAllStderr(patience), "");
}

TEST_F(Fault, UnreadableStdinIsAReadFailure)
{
    // A descriptor open for writing only: read() fails with EBADF.
    const int writeOnly = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    ASSERT_GE(writeOnly, 0);
    Process::Options options = offscreen();
    options.input = Process::Stream::Inherit;
    const int saved = ::dup(STDIN_FILENO);
    ::dup2(writeOnly, STDIN_FILENO);
    Process form = startTray({"form"}, options);
    ::dup2(saved, STDIN_FILENO);
    ::close(saved);
    ::close(writeOnly);
    EXPECT_EQ(nextLine(form), R"({"event":"ready"})");
    EXPECT_EQ(nextLine(form), R"({"event":"protocol-error"})");
    EXPECT_EQ(form.wait(patience), 0);
    EXPECT_EQ(form.readAllStderr(patience), "Corvane UI input read failed (errno=" + std::to_string(EBADF) + ").\n");
}

} // namespace
} // namespace corvane::test
