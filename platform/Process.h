// Child processes and instance locks. Each child runs in its own process group, so that its
// helpers end with it; nothing is left running, nor a zombie.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace plat {

class Clock;

enum class Priority { Normal, Idle };  // Idle is nice 19

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();  // ends the whole group if still running (forceEnd)
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // posix_spawn of program with args (argv[1..]); false when it cannot start.
    bool start(const std::string& program, const std::vector<std::string>& args,
               Priority priority = Priority::Normal, std::string* error = nullptr);
    bool running();                       // "still active"
    int exitCode() const { return m_exitCode; }  // after it ended; 128+signal when killed
    pid_t pid() const { return m_pid; }

    void requestClose();                  // SIGTERM to the group
    void sendEscape();                    // SIGINT to the group
    // SIGKILL to the group, then reap; waits at most graceMs for it first after SIGTERM
    // when graceMs > 0.
    void forceEnd(Clock& clock, int graceMs = 0);
    // Waits up to timeoutMs (-1 no limit) for the child to end; true when it has.
    bool wait(Clock& clock, int timeoutMs);

private:
    pid_t m_pid = -1;
    int m_exitCode = -1;
    bool m_reaped = true;
};

// One long-running instance per name: an exclusive flock on NAME.pid in the run folder,
// which holds the owner's pid. The lock vanishes when the process dies.
class InstanceLock {
public:
    InstanceLock(const std::string& runFolder, const std::string& name);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    bool acquire();                 // false when another process holds it
    void release();
    bool held() const { return m_fd >= 0; }
    // The pid of the holder when another process holds the lock, else 0.
    pid_t holder() const;

private:
    std::string m_path;
    int m_fd = -1;
};

// Opens a document or web address with its viewer (xdg-open); false when none can start.
bool openDocument(const std::string& pathOrUrl);

} // namespace plat
