// Child processes, instance locks and opening documents.
// A child runs in its own process group: closing it signals the whole group, and when the
// child itself ends whatever it left behind in its group is ended with it, so nothing keeps
// running and no zombie stays.
#include "platform/Process.h"

#include "platform/Clock.h"
#include "platform/Locations.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace plat {

namespace {

constexpr int kIdleNice = 19;            // the idle priority class
constexpr int kPollMs = 5;               // step of every wait for a process
constexpr int kGroupGoneWaitMs = 250;    // how long forceEnd waits for the group to vanish
constexpr int kSignalExitBase = 128;     // exit code of a child ended by signal N: 128+N
constexpr mode_t kLockFileMode = 0600;
constexpr const char* kDocumentOpener = "xdg-open";

int statusToExitCode(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return kSignalExitBase + WTERMSIG(status);
    return -1;
}

// waitpid that retries when a signal interrupts it.
pid_t waitRetry(pid_t pid, int* status, int options)
{
    pid_t r;
    do {
        r = waitpid(pid, status, options);
    } while (r < 0 && errno == EINTR);
    return r;
}

// Reaps every child of ours in group pgid that has ended (the leader, and helpers that were
// handed to us when this process is a child subreaper).
void reapGroupMembers(pid_t pgid)
{
    int status = 0;
    while (waitRetry(-pgid, &status, WNOHANG) > 0) {
    }
}

// Argument vector for exec: pointers into strings that outlive the call.
std::vector<char*> makeArgv(const std::string& program, const std::vector<std::string>& args)
{
    std::vector<char*> argv;
    argv.reserve(args.size() + 2);
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    return argv;
}

// The full path of an executable named without a folder, searched along PATH; "" when none.
std::string findInPath(const std::string& name)
{
    if (name.find('/') != std::string::npos)
        return access(name.c_str(), X_OK) == 0 ? name : std::string();
    const char* pathEnv = getenv("PATH");
    std::string path = pathEnv ? pathEnv : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(':', start);
        if (end == std::string::npos)
            end = path.size();
        // An empty entry means the current folder.
        const std::string dir = end > start ? path.substr(start, end - start) : std::string(".");
        std::string candidate = dir + "/" + name;
        struct stat st {};
        if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return {};
}

} // namespace

// ---------------------------------------------------------------------------------------
// ChildProcess

ChildProcess::~ChildProcess()
{
    if (!m_reaped)
        forceEnd(systemClock());
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : m_pid(other.m_pid), m_exitCode(other.m_exitCode), m_reaped(other.m_reaped)
{
    other.m_pid = -1;
    other.m_exitCode = -1;
    other.m_reaped = true;
}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept
{
    if (this != &other) {
        if (!m_reaped)
            forceEnd(systemClock());
        m_pid = other.m_pid;
        m_exitCode = other.m_exitCode;
        m_reaped = other.m_reaped;
        other.m_pid = -1;
        other.m_exitCode = -1;
        other.m_reaped = true;
    }
    return *this;
}

bool ChildProcess::start(const std::string& program, const std::vector<std::string>& args,
                         Priority priority, std::string* error)
{
    auto fail = [&](const std::string& why) {
        if (error)
            *error = why;
        return false;
    };
    if (!m_reaped && running())
        return fail("Cannot start " + program + ": a child is still running");
    if (program.empty())
        return fail("Cannot start a program without a name");

    posix_spawnattr_t attr;
    if (posix_spawnattr_init(&attr) != 0)
        return fail("Cannot start " + program + ": out of memory");
    // Own process group; default signal handling and an empty mask, whatever this
    // process has set up for itself.
    sigset_t all, none;
    sigfillset(&all);
    sigemptyset(&none);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    posix_spawnattr_setpgroup(&attr, 0);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setsigmask(&attr, &none);

    std::vector<char*> argv = makeArgv(program, args);
    pid_t pid = -1;
    int rc = posix_spawnp(&pid, program.c_str(), nullptr, &attr, argv.data(), environ);
    posix_spawnattr_destroy(&attr);
    if (rc != 0)
        return fail("Cannot start " + program + ": " + std::strerror(rc));

    m_pid = pid;
    m_exitCode = -1;
    m_reaped = false;
    if (priority == Priority::Idle) {
        // The whole group, so that a helper the child may already have started is lowered too.
        if (setpriority(PRIO_PGRP, id_t(pid), kIdleNice) != 0)
            setpriority(PRIO_PROCESS, id_t(pid), kIdleNice);
    }
    return true;
}

bool ChildProcess::running()
{
    if (m_reaped || m_pid <= 0)
        return false;
    // Look without reaping first: while the ended child is a zombie its group id cannot be
    // taken by anyone else, so its leftover helpers can be ended safely.
    siginfo_t info{};
    int r;
    do {
        r = waitid(P_PID, id_t(m_pid), &info, WEXITED | WNOHANG | WNOWAIT);
    } while (r < 0 && errno == EINTR);
    if (r < 0) {
        // Not our child any more (someone else reaped it): nothing left to track.
        m_reaped = true;
        return false;
    }
    if (info.si_pid == 0)
        return true;
    kill(-m_pid, SIGKILL);
    int status = 0;
    if (waitRetry(m_pid, &status, 0) == m_pid)
        m_exitCode = statusToExitCode(status);
    m_reaped = true;
    reapGroupMembers(m_pid);
    return false;
}

void ChildProcess::requestClose()
{
    // The child itself too, should it have left its group.
    if (!m_reaped && m_pid > 0 && kill(-m_pid, SIGTERM) != 0)
        kill(m_pid, SIGTERM);
}

void ChildProcess::sendEscape()
{
    // The child itself too, should it have left its group.
    if (!m_reaped && m_pid > 0 && kill(-m_pid, SIGINT) != 0)
        kill(m_pid, SIGINT);
}

void ChildProcess::forceEnd(Clock& clock, int graceMs)
{
    if (m_reaped || m_pid <= 0)
        return;
    if (graceMs > 0) {
        requestClose();
        if (wait(clock, graceMs))
            return;
    }
    if (!running())
        return;
    const pid_t pgid = m_pid;
    if (kill(-pgid, SIGKILL) != 0)
        kill(m_pid, SIGKILL);  // no group to signal: at least the child itself must end
    int status = 0;
    if (waitRetry(m_pid, &status, 0) == m_pid)
        m_exitCode = statusToExitCode(status);
    m_reaped = true;
    // The helpers got SIGKILL too; wait (bounded) until the last of them is gone, reaping
    // those that were handed to us.
    const int64_t start = clock.nowMs();
    for (;;) {
        reapGroupMembers(pgid);
        if (kill(-pgid, 0) != 0 && errno == ESRCH)
            break;
        if (clock.nowMs() - start >= kGroupGoneWaitMs)
            break;
        clock.sleepMs(kPollMs);
    }
}

bool ChildProcess::wait(Clock& clock, int timeoutMs)
{
    const int64_t start = clock.nowMs();
    for (;;) {
        if (!running())
            return true;
        int64_t waited = clock.nowMs() - start;
        if (timeoutMs >= 0 && waited >= timeoutMs)
            return false;
        int64_t step = kPollMs;
        if (timeoutMs >= 0)
            step = std::min<int64_t>(step, timeoutMs - waited);
        clock.sleepMs(step);
    }
}

// ---------------------------------------------------------------------------------------
// InstanceLock

InstanceLock::InstanceLock(const std::string& runFolder, const std::string& name)
    : m_path(runFolder + "/" + name + ".pid")
{
}

InstanceLock::~InstanceLock()
{
    release();
}

bool InstanceLock::acquire()
{
    if (m_fd >= 0)
        return true;
    const std::string folder = m_path.substr(0, m_path.rfind('/'));
    if (!folder.empty() && !makeFolders(folder))
        return false;
    int fd = open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, kLockFileMode);
    if (fd < 0)
        return false;
    int r;
    do {
        r = flock(fd, LOCK_EX | LOCK_NB);
    } while (r < 0 && errno == EINTR);
    if (r != 0) {
        close(fd);
        return false;
    }
    // Record who holds it. The file is never removed: removing a lock file lets two
    // processes lock two different files of one name.
    std::string text = std::to_string(getpid()) + "\n";
    if (ftruncate(fd, 0) == 0) {
        ssize_t w = pwrite(fd, text.data(), text.size(), 0);
        (void)w;
    }
    m_fd = fd;
    return true;
}

void InstanceLock::release()
{
    if (m_fd < 0)
        return;
    // Forget the pid before the lock goes, so nobody reads a stale holder.
    if (ftruncate(m_fd, 0) != 0) {
    }
    flock(m_fd, LOCK_UN);
    close(m_fd);
    m_fd = -1;
}

pid_t InstanceLock::holder() const
{
    if (m_fd >= 0)
        return 0;
    int fd = open(m_path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return 0;
    pid_t result = 0;
    if (flock(fd, LOCK_SH | LOCK_NB) == 0) {
        flock(fd, LOCK_UN);  // nobody holds it
    } else if (errno == EWOULDBLOCK) {
        char buf[32] = {};
        ssize_t n = pread(fd, buf, sizeof buf - 1, 0);
        if (n > 0) {
            long long value = 0;
            bool digits = false;
            for (ssize_t i = 0; i < n && buf[i] >= '0' && buf[i] <= '9'; ++i) {
                value = value * 10 + (buf[i] - '0');
                digits = true;
                if (value > INT_MAX) {
                    digits = false;
                    break;
                }
            }
            if (digits && value > 0)
                result = pid_t(value);
        }
    }
    close(fd);
    return result;
}

// ---------------------------------------------------------------------------------------
// Documents

bool openDocument(const std::string& pathOrUrl)
{
    const std::string opener = findInPath(kDocumentOpener);
    if (opener.empty())
        return false;
    const std::vector<std::string> args{pathOrUrl};  // outlives argv, which points into it
    std::vector<char*> argv = makeArgv(opener, args);
    argv[0] = const_cast<char*>(kDocumentOpener);

    // The viewer is detached: an intermediate child starts a new session and forks the
    // opener, then ends at once, so the opener belongs to init and never becomes our zombie.
    // A close-on-exec pipe reports whether the opener could be executed.
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0)
        return false;
    pid_t middle = fork();
    if (middle < 0) {
        close(report[0]);
        close(report[1]);
        return false;
    }
    if (middle == 0) {
        close(report[0]);
        setsid();
        pid_t viewer = fork();
        if (viewer < 0) {
            int err = errno;
            ssize_t w = write(report[1], &err, sizeof err);
            (void)w;
            _exit(1);
        }
        if (viewer == 0) {
            sigset_t none;
            sigemptyset(&none);
            sigprocmask(SIG_SETMASK, &none, nullptr);
            execv(opener.c_str(), argv.data());
            int err = errno;
            ssize_t w = write(report[1], &err, sizeof err);
            (void)w;
            _exit(127);
        }
        _exit(0);
    }
    close(report[1]);
    int status = 0;
    waitRetry(middle, &status, 0);
    int err = 0;
    ssize_t n;
    do {
        n = read(report[0], &err, sizeof err);
    } while (n < 0 && errno == EINTR);
    close(report[0]);
    // Nothing read: the pipe closed on a successful exec.
    return n == 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace plat
