// Child processes (start, exit codes, closing, forced end of a whole group, idle priority),
// instance locks across processes, and opening documents through the desktop's opener.
#include "platform/Clock.h"
#include "platform/Process.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kEndWaitMs = 5000;       // generous bound for a child to end
constexpr int kStubbornWaitMs = 300;   // long enough to see a signal ignored
constexpr int kPollMs = 10;
constexpr int kNiceField = 19;         // field of /proc/PID/stat holding the nice value
constexpr int kStateField = 3;
constexpr const char* kFolderTag = "orvane-process";  // names this program's temporary folders

using testsupport::readFile;

// Field N (1-based) of /proc/PID/stat; "" when the process is gone.
std::string statField(pid_t pid, int field)
{
    std::string stat = readFile("/proc/" + std::to_string(pid) + "/stat");
    size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return {};
    std::istringstream rest(stat.substr(close + 2));
    std::string value;
    for (int i = kStateField; i <= field; ++i)
        rest >> value;
    return value;
}

// Waits (really) until fn() holds or the bound passes.
template <typename F> bool eventually(F fn, int boundMs = kEndWaitMs)
{
    plat::SystemClock clock;
    int64_t start = clock.nowMs();
    while (!fn()) {
        if (clock.nowMs() - start > boundMs)
            return false;
        clock.sleepMs(kPollMs);
    }
    return true;
}

// A pid written by a child script into a file, once it is there.
pid_t pidFromFile(const std::string& path)
{
    pid_t pid = 0;
    eventually([&] {
        std::string text = readFile(path);
        if (text.empty() || text.back() != '\n')
            return false;
        pid = pid_t(std::atoi(text.c_str()));
        return pid > 0;
    });
    return pid;
}

bool groupGone(pid_t pgid)
{
    return kill(-pgid, 0) != 0 && errno == ESRCH;
}

bool endedOrZombie(pid_t pid)
{
    std::string state = statField(pid, kStateField);
    return state.empty() || state == "Z";
}

// No child of this process is left unreaped.
bool noChildLeft()
{
    int status = 0;
    return waitpid(-1, &status, WNOHANG) < 0 && errno == ECHILD;
}

} // namespace

// ---------------------------------------------------------------------------------------
// Starting and exit codes

struct ExitCase {
    const char* label;
    std::string program;
    std::vector<std::string> args;
    int exitCode;
};

void PrintTo(const ExitCase& c, std::ostream* os) { *os << c.label; }

class ChildExitTest : public testing::TestWithParam<ExitCase> {};

TEST_P(ChildExitTest, ReportsExitCode)
{
    const ExitCase& c = GetParam();
    plat::SystemClock clock;
    plat::ChildProcess child;
    std::string error;
    ASSERT_TRUE(child.start(c.program, c.args, plat::Priority::Normal, &error)) << error;
    EXPECT_GT(child.pid(), 0);
    ASSERT_TRUE(child.wait(clock, kEndWaitMs));
    EXPECT_FALSE(child.running());
    EXPECT_EQ(child.exitCode(), c.exitCode);
    EXPECT_TRUE(noChildLeft());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ChildExitTest,
    testing::Values(ExitCase{"zero", "/bin/sh", {"-c", "exit 0"}, 0},
                    ExitCase{"seven", "/bin/sh", {"-c", "exit 7"}, 7},
                    ExitCase{"found_along_path", "sh", {"-c", "exit 3"}, 3},
                    ExitCase{"killed_by_signal", "/bin/sh", {"-c", "kill -KILL $$"}, 128 + SIGKILL},
                    // argv[0] is the program as given
                    ExitCase{"argv0", "/bin/sh", {"-c", "test \"$0\" = /bin/sh && exit 5"}, 5},
                    // the child gets default signal handling and its own process group
                    ExitCase{"own_group", "/bin/sh",
                             {"-c", "test \"$(cut -d' ' -f5 /proc/$$/stat)\" = $$ && exit 9"}, 9}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(ChildProcess, MissingProgramFailsWithReason)
{
    for (const std::string program : {"/nonexistent/orvane-no-program", "orvane-no-such-program-here"}) {
        plat::ChildProcess child;
        std::string error;
        EXPECT_FALSE(child.start(program, {}, plat::Priority::Normal, &error)) << program;
        EXPECT_NE(error.find(program), std::string::npos) << error;
        EXPECT_FALSE(child.running());
    }
    EXPECT_TRUE(noChildLeft());
}

TEST(ChildProcess, SecondStartWhileRunningIsRefused)
{
    plat::SystemClock clock;
    plat::ChildProcess child;
    ASSERT_TRUE(child.start("sleep", {"100"}));
    pid_t first = child.pid();
    std::string error;
    EXPECT_FALSE(child.start("sleep", {"100"}, plat::Priority::Normal, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(child.pid(), first);
    EXPECT_TRUE(child.running());
    child.forceEnd(clock);
    EXPECT_FALSE(child.running());
    // Once ended, the same object starts the next child.
    ASSERT_TRUE(child.start("/bin/sh", {"-c", "exit 4"}));
    ASSERT_TRUE(child.wait(clock, kEndWaitMs));
    EXPECT_EQ(child.exitCode(), 4);
}

// ---------------------------------------------------------------------------------------
// Closing

struct CloseCase {
    const char* label;
    void (plat::ChildProcess::*send)();
    int signal;
};

void PrintTo(const CloseCase& c, std::ostream* os) { *os << c.label; }

class ChildCloseTest : public testing::TestWithParam<CloseCase> {};

TEST_P(ChildCloseTest, SignalEndsNormalChild)
{
    const CloseCase& c = GetParam();
    plat::SystemClock clock;
    plat::ChildProcess child;
    ASSERT_TRUE(child.start("sleep", {"100"}));
    EXPECT_TRUE(child.running());
    (child.*c.send)();
    ASSERT_TRUE(child.wait(clock, kEndWaitMs));
    EXPECT_EQ(child.exitCode(), 128 + c.signal);
    EXPECT_TRUE(groupGone(child.pid()));
}

INSTANTIATE_TEST_SUITE_P(Cases, ChildCloseTest,
                         testing::Values(CloseCase{"requestClose", &plat::ChildProcess::requestClose, SIGTERM},
                                         CloseCase{"sendEscape", &plat::ChildProcess::sendEscape, SIGINT}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(ChildProcess, WaitTimesOutThroughTheClock)
{
    // A simulated clock moves only when slept on: the wait must sleep in steps through it
    // and give up exactly at its bound.
    plat::SimulatedClock clock;
    plat::ChildProcess child;
    ASSERT_TRUE(child.start("sleep", {"100"}));
    EXPECT_FALSE(child.wait(clock, 50));
    EXPECT_EQ(clock.nowMs(), 50);
    EXPECT_TRUE(child.running());
    plat::SystemClock real;
    child.forceEnd(real);
    EXPECT_EQ(child.exitCode(), 128 + SIGKILL);
}

TEST(ChildProcess, ForceEndWithGraceLetsAPoliteChildClose)
{
    plat::SystemClock clock;
    plat::ChildProcess child;
    ASSERT_TRUE(child.start("sleep", {"100"}));
    child.forceEnd(clock, kEndWaitMs);
    EXPECT_FALSE(child.running());
    EXPECT_EQ(child.exitCode(), 128 + SIGTERM);  // it ended on the close request, not the kill
}

// Orphaned helpers normally go to init; making this test process their reaper lets the test
// see exactly when they are gone, without depending on how quickly init reaps.
class SubreaperTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
        m_folder = testsupport::makeTempFolder(kFolderTag);
    }
    void TearDown() override
    {
        prctl(PR_SET_CHILD_SUBREAPER, 0);
        int status = 0;
        while (waitpid(-1, &status, WNOHANG) > 0) {
        }
    }
    std::string m_folder;
};

TEST_F(SubreaperTest, ForceEndKillsStubbornChildAndItsHelpers)
{
    plat::SystemClock clock;
    const std::string helperFile = m_folder + "/helper.pid";
    plat::ChildProcess child;
    ASSERT_TRUE(child.start("/bin/sh", {"-c", "trap '' TERM INT; sleep 100 & echo $! > '" + helperFile + "'; wait"}));
    const pid_t pgid = child.pid();
    const pid_t helper = pidFromFile(helperFile);
    ASSERT_GT(helper, 0);
    EXPECT_EQ(statField(helper, 5), std::to_string(pgid));  // the helper is in the child's group

    // Both polite requests are ignored.
    child.requestClose();
    child.sendEscape();
    EXPECT_FALSE(child.wait(clock, kStubbornWaitMs));
    EXPECT_TRUE(child.running());

    child.forceEnd(clock, kStubbornWaitMs);
    EXPECT_FALSE(child.running());
    EXPECT_EQ(child.exitCode(), 128 + SIGKILL);
    EXPECT_TRUE(groupGone(pgid));
    EXPECT_TRUE(kill(helper, 0) != 0 && errno == ESRCH);
    EXPECT_TRUE(noChildLeft());
}

TEST_F(SubreaperTest, DestructorEndsRunningGroup)
{
    const std::string helperFile = m_folder + "/helper.pid";
    pid_t pgid = 0;
    {
        plat::ChildProcess child;
        ASSERT_TRUE(child.start("/bin/sh", {"-c", "trap '' TERM INT; sleep 100 & echo $! > '" + helperFile + "'; wait"}));
        pgid = child.pid();
        ASSERT_GT(pidFromFile(helperFile), 0);
    }
    EXPECT_TRUE(groupGone(pgid));
    EXPECT_TRUE(noChildLeft());
}

TEST_F(SubreaperTest, MoveHandsOverTheChild)
{
    plat::SystemClock clock;
    plat::ChildProcess first;
    ASSERT_TRUE(first.start("sleep", {"100"}));
    const pid_t pid = first.pid();
    plat::ChildProcess second(std::move(first));
    EXPECT_FALSE(first.running());
    EXPECT_EQ(second.pid(), pid);
    EXPECT_TRUE(second.running());

    plat::ChildProcess third;
    ASSERT_TRUE(third.start("sleep", {"100"}));
    const pid_t replaced = third.pid();
    third = std::move(second);  // the child third ran is ended, not left behind
    EXPECT_TRUE(groupGone(replaced));
    EXPECT_EQ(third.pid(), pid);
    third.requestClose();
    ASSERT_TRUE(third.wait(clock, kEndWaitMs));
    EXPECT_EQ(third.exitCode(), 128 + SIGTERM);
    EXPECT_TRUE(noChildLeft());
}

TEST(ChildProcess, HelpersEndWhenTheChildEnds)
{
    plat::SystemClock clock;
    const std::string folder = testsupport::makeTempFolder(kFolderTag);
    const std::string helperFile = folder + "/helper.pid";
    plat::ChildProcess child;
    ASSERT_TRUE(child.start("/bin/sh", {"-c", "sleep 100 & echo $! > '" + helperFile + "'; exit 3"}));
    const pid_t helper = pidFromFile(helperFile);
    ASSERT_GT(helper, 0);
    ASSERT_TRUE(child.wait(clock, kEndWaitMs));
    EXPECT_EQ(child.exitCode(), 3);
    // The helper is killed; it may stay a zombie until init collects it.
    EXPECT_TRUE(eventually([&] { return endedOrZombie(helper); }));
}

// ---------------------------------------------------------------------------------------
// Priority

struct PriorityCase {
    const char* label;
    plat::Priority priority;
    bool idle;
};

void PrintTo(const PriorityCase& c, std::ostream* os) { *os << c.label; }

class ChildPriorityTest : public testing::TestWithParam<PriorityCase> {};

TEST_P(ChildPriorityTest, NiceValue)
{
    const PriorityCase& c = GetParam();
    errno = 0;
    const int own = getpriority(PRIO_PROCESS, 0);
    ASSERT_EQ(errno, 0);
    plat::SystemClock clock;
    plat::ChildProcess child;
    ASSERT_TRUE(child.start("sleep", {"100"}, c.priority));
    EXPECT_EQ(statField(child.pid(), kNiceField), std::to_string(c.idle ? 19 : own));
    child.forceEnd(clock);
}

INSTANTIATE_TEST_SUITE_P(Cases, ChildPriorityTest,
                         testing::Values(PriorityCase{"normal", plat::Priority::Normal, false},
                                         PriorityCase{"idle", plat::Priority::Idle, true}),
                         [](const auto& info) { return std::string(info.param.label); });

// ---------------------------------------------------------------------------------------
// Instance locks

class InstanceLockTest : public testing::Test {
protected:
    void SetUp() override { m_run = testsupport::makeTempFolder(kFolderTag) + "/run/nested"; }
    std::string m_run;
};

TEST_F(InstanceLockTest, ExclusiveWithinOneProcessAndRecordsPid)
{
    plat::InstanceLock first(m_run, "Dicemere2");
    plat::InstanceLock second(m_run, "Dicemere2");
    plat::InstanceLock other(m_run, "Zyloria");
    EXPECT_EQ(second.holder(), 0);
    ASSERT_TRUE(first.acquire());  // creates the run folder
    EXPECT_TRUE(first.held());
    EXPECT_EQ(readFile(m_run + "/Dicemere2.pid"), std::to_string(getpid()) + "\n");
    EXPECT_FALSE(second.acquire());
    EXPECT_FALSE(second.held());
    EXPECT_EQ(second.holder(), getpid());
    EXPECT_EQ(first.holder(), 0);  // not "another" holder
    EXPECT_TRUE(other.acquire());  // other names are independent

    first.release();
    EXPECT_FALSE(first.held());
    EXPECT_EQ(second.holder(), 0);
    EXPECT_TRUE(second.acquire());
}

TEST_F(InstanceLockTest, HeldByAnotherProcessUntilItDies)
{
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t holderPid = fork();
    ASSERT_GE(holderPid, 0);
    if (holderPid == 0) {
        close(ready[0]);
        plat::InstanceLock lock(m_run, "Dicemere2");
        char ok = lock.acquire() ? 'y' : 'n';
        if (write(ready[1], &ok, 1) != 1)
            _exit(1);
        pause();
        _exit(0);
    }
    close(ready[1]);
    char ok = 0;
    ASSERT_EQ(read(ready[0], &ok, 1), 1);
    close(ready[0]);
    ASSERT_EQ(ok, 'y');

    plat::InstanceLock lock(m_run, "Dicemere2");
    EXPECT_FALSE(lock.acquire());
    EXPECT_EQ(lock.holder(), holderPid);

    kill(holderPid, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(holderPid, &status, 0), holderPid);
    EXPECT_EQ(lock.holder(), 0);
    EXPECT_TRUE(lock.acquire());
    EXPECT_EQ(readFile(m_run + "/Dicemere2.pid"), std::to_string(getpid()) + "\n");
}

TEST_F(InstanceLockTest, ChildrenDoNotInheritTheLock)
{
    // An inherited descriptor would keep the lock alive in the child after this process ends.
    plat::SystemClock clock;
    plat::InstanceLock lock(m_run, "Tray");
    ASSERT_TRUE(lock.acquire());
    plat::ChildProcess child;
    ASSERT_TRUE(child.start("sleep", {"100"}));
    const std::string fdFolder = "/proc/" + std::to_string(child.pid()) + "/fd";
    DIR* dir = opendir(fdFolder.c_str());
    ASSERT_NE(dir, nullptr);
    int descriptors = 0;
    while (dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        ++descriptors;
        char target[4096] = {};
        ssize_t n = readlink((fdFolder + "/" + entry->d_name).c_str(), target, sizeof target - 1);
        if (n > 0) {
            EXPECT_EQ(std::string(target, size_t(n)).find("Tray.pid"), std::string::npos) << target;
        }
    }
    closedir(dir);
    EXPECT_GT(descriptors, 0);  // the listing itself worked
    child.forceEnd(clock);
}

TEST_F(InstanceLockTest, HolderIgnoresStaleOrGarbledFile)
{
    ASSERT_TRUE(plat::InstanceLock(m_run, "Probe").acquire());  // creates folder and file
    for (const std::string text : {"12345\n", "not a pid", "", "99999999999999999999\n"}) {
        std::ofstream(m_run + "/Saver.pid") << text;
        plat::InstanceLock lock(m_run, "Saver");
        EXPECT_EQ(lock.holder(), 0) << text;  // nobody holds it, whatever the file says
        EXPECT_TRUE(lock.acquire()) << text;
        EXPECT_EQ(readFile(m_run + "/Saver.pid"), std::to_string(getpid()) + "\n");
    }
}

TEST_F(InstanceLockTest, UnusableFolderFailsCleanly)
{
    const std::string blocker = testsupport::makeTempFolder(kFolderTag) + "/file";
    std::ofstream(blocker) << "x";
    plat::InstanceLock lock(blocker + "/run", "Dicemere2");  // a file where a folder should be
    EXPECT_FALSE(lock.acquire());
    EXPECT_FALSE(lock.held());
    EXPECT_EQ(lock.holder(), 0);
}

// ---------------------------------------------------------------------------------------
// Opening documents

// Runs with PATH pointing at a folder of this test's own, restoring it afterwards.
class OpenDocumentTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_folder = testsupport::makeTempFolder(kFolderTag);
        m_bin = m_folder + "/bin";
        ASSERT_EQ(mkdir(m_bin.c_str(), 0755), 0);
        const char* path = getenv("PATH");
        m_hadPath = path != nullptr;
        if (path)
            m_oldPath = path;
        setenv("PATH", m_bin.c_str(), 1);
    }
    void TearDown() override
    {
        if (m_hadPath)
            setenv("PATH", m_oldPath.c_str(), 1);
        else
            unsetenv("PATH");
    }
    // A stand-in opener that records its argument and process group.
    void writeOpener(mode_t mode)
    {
        const std::string script = m_bin + "/xdg-open";
        std::ofstream(script) << "#!/bin/sh\n"
                              << "printf '%s\\n' \"$1\" > '" << m_folder << "/arg.tmp'\n"
                              << "/usr/bin/cut -d' ' -f5 /proc/$$/stat > '" << m_folder << "/pgid'\n"
                              << "/bin/mv '" << m_folder << "/arg.tmp' '" << m_folder << "/arg'\n";
        ASSERT_EQ(chmod(script.c_str(), mode), 0);
    }
    std::string m_folder, m_bin, m_oldPath;
    bool m_hadPath = false;
};

TEST_F(OpenDocumentTest, StartsOpenerDetached)
{
    writeOpener(0755);
    const std::string document = "/help/Zyloria help/index.html";
    ASSERT_TRUE(plat::openDocument(document));
    ASSERT_TRUE(eventually([&] { return !readFile(m_folder + "/arg").empty(); }));
    EXPECT_EQ(readFile(m_folder + "/arg"), document + "\n");
    const std::string pgid = readFile(m_folder + "/pgid");
    EXPECT_FALSE(pgid.empty());
    EXPECT_NE(pgid, std::to_string(getpgrp()) + "\n");  // not in this program's group
    EXPECT_TRUE(noChildLeft());  // no zombie of ours
}

TEST_F(OpenDocumentTest, NoUsableOpenerIsReported)
{
    EXPECT_FALSE(plat::openDocument("/help/index.html"));  // none on PATH
    writeOpener(0644);                                     // there, but not executable
    EXPECT_FALSE(plat::openDocument("/help/index.html"));
    EXPECT_TRUE(noChildLeft());
}
