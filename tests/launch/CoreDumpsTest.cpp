// Turning core dumps off for a form run: afterwards the process has no core size and is not dumpable.
// Checked in a child process, so the test runner itself stays as it was.
#include "launch/CoreDumps.h"

#include <gtest/gtest.h>

#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace corvane {
namespace {

TEST(CoreDumps, AfterDisablingTheProcessHasNoCoreSizeAndIsNotDumpable)
{
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        rlimit limit{};
        const bool disabled = disableCoreDumps();
        const bool noCore = ::getrlimit(RLIMIT_CORE, &limit) == 0 && limit.rlim_cur == 0 && limit.rlim_max == 0;
        const bool notDumpable = ::prctl(PR_GET_DUMPABLE, 0, 0, 0, 0) == 0;
        ::_exit((disabled ? 0 : 1) | (noCore ? 0 : 2) | (notDumpable ? 0 : 4));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: reported a failure, 2: a core size is left, 4: still dumpable";
}

} // namespace
} // namespace corvane
