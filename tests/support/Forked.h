// Runs pieces of a test in child processes at once, as separate programs sharing files would.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace testsupport {

// Starts `count` children together; child k runs work(k) and reports its result as its exit
// status. Fails the test unless every child was started and ended with success. Call it
// inside ASSERT_NO_FATAL_FAILURE so that a failed start ends the test.
inline void runInChildren(int count, const std::function<bool(int)>& work)
{
    std::vector<pid_t> children;
    for (int k = 0; k < count; ++k) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0)
            ::_exit(work(k) ? 0 : 1);
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
}

} // namespace testsupport
