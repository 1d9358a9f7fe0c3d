// The real clock.
#include "platform/Clock.h"

#include <cerrno>
#include <ctime>

namespace plat {

int64_t SystemClock::nowNs() const
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

int64_t SystemClock::calendarSeconds() const
{
    return int64_t(time(nullptr));
}

void SystemClock::sleepMs(int64_t ms)
{
    if (ms <= 0)
        return;
    timespec ts{time_t(ms / 1000), long((ms % 1000) * 1000000)};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

Clock& systemClock()
{
    static SystemClock clock;
    return clock;
}

} // namespace plat
