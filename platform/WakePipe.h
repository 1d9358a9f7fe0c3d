// The self-pipe that ends a window backend's wait for input from another thread or from a
// signal handler.
#pragma once

namespace plat {

class WakePipe {
public:
    WakePipe() = default;
    ~WakePipe();
    WakePipe(const WakePipe&) = delete;
    WakePipe& operator=(const WakePipe&) = delete;

    // Makes the pipe (non-blocking, closed on exec); false when it cannot be made.
    bool open();
    // The end a wait polls for reading; -1 without a pipe.
    int readEnd() const { return m_fds[0]; }
    // Async-signal-safe: one byte into the pipe (its value means nothing); errno is kept.
    void signal(char byte) const;
    // Reads all that waits in the pipe; whether anything did.
    bool drain() const;

private:
    int m_fds[2] = {-1, -1};
};

} // namespace plat
