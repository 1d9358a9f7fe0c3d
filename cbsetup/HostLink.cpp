// The settings-changed datagram and the detached start of the host's settings program.
#include "cbsetup/HostLink.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace cbsetup {

bool announceSettingsChanged(const std::string& runFolder)
{
    std::string path = runFolder + "/" + kHostSocketName;
    sockaddr_un addr {};
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof(addr.sun_path))
        return false;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    size_t len = std::strlen(kSettingsChangedMessage);
    ssize_t sent = ::sendto(fd, kSettingsChangedMessage, len, MSG_NOSIGNAL,
                            reinterpret_cast<const sockaddr*>(&addr), sizeof(addr));
    ::close(fd);
    return sent == static_cast<ssize_t>(len);
}

std::string ownExecutableFolder()
{
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof(buf) - 1);
    if (n <= 0)
        return "";
    std::string self(buf, static_cast<size_t>(n));
    size_t slash = self.find_last_of('/');
    return slash == std::string::npos ? "" : self.substr(0, slash);
}

std::string settingsProgramPath(const std::string& ownFolder)
{
    if (!ownFolder.empty()) {
        std::string beside = ownFolder + "/" + kSettingsProgram;
        if (::access(beside.c_str(), X_OK) == 0)
            return beside;
    }
    return kSettingsProgram;
}

pid_t startSettingsProgram(const std::string& program, std::string* error)
{
    // posix_spawnp is used directly rather than a supervised child process: the installer
    // ends right after this start, and the settings must outlive it, not end with it.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
    std::vector<std::string> args {program, kSettingsScreensaverTab};
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    int rc = ::posix_spawnp(&pid, program.c_str(), nullptr, &attr, argv.data(), environ);
    posix_spawnattr_destroy(&attr);
    if (rc != 0) {
        if (error)
            *error = program + ": " + std::strerror(rc);
        return -1;
    }
    return pid;
}

} // namespace cbsetup
