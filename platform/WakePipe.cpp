// The wake pipe of the window backends.
#include "platform/WakePipe.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace plat {

namespace {
constexpr int kDrainChunk = 64;
} // namespace

WakePipe::~WakePipe()
{
    for (int fd : m_fds) {
        if (fd >= 0) {
            close(fd);
        }
    }
}

bool WakePipe::open()
{
    if (pipe2(m_fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        m_fds[0] = m_fds[1] = -1;
        return false;
    }
    return true;
}

void WakePipe::signal(char byte) const
{
    if (m_fds[1] >= 0) {
        const int saved = errno;
        [[maybe_unused]] ssize_t n = write(m_fds[1], &byte, 1);
        errno = saved;
    }
}

bool WakePipe::drain() const
{
    if (m_fds[0] < 0) {
        return false;
    }
    bool any = false;
    char buf[kDrainChunk];
    while (read(m_fds[0], buf, sizeof buf) > 0) {
        any = true;
    }
    return any;
}

} // namespace plat
