// Millisecond interval timer.
#include "shell/seTimer.h"

namespace {
constexpr int64_t kCounterTicksPerSecond = 1000000000;  // plat::Clock counts nanoseconds
constexpr int64_t kMsPerSecond = 1000;
} // namespace

seTimer::seTimer(int64_t intervalMs, const plat::Clock& clock)
    : m_clock(&clock), m_ticksPerMs(kCounterTicksPerSecond / kMsPerSecond), m_hasCounter(clock.hasCounter())
{
    setInterval(intervalMs);
    reset();
}

void seTimer::setInterval(int64_t ms)
{
    if (m_hasCounter)
        m_interval = ms;
    else
        m_fallbackInterval = ms;
}

void seTimer::reset()
{
    if (m_hasCounter)
        m_mark = m_clock->nowNs();
    else
        m_fallbackMark = m_clock->processMs();
}

int64_t seTimer::elapsed() const
{
    if (m_hasCounter)
        return (m_clock->nowNs() - m_mark) / m_ticksPerMs;
    return m_clock->processMs() - m_fallbackMark;
}

int64_t seTimer::lap()
{
    // One clock read for both the result and the new mark, so no time is lost between laps.
    if (m_hasCounter) {
        const int64_t now = m_clock->nowNs();
        const int64_t ms = (now - m_mark) / m_ticksPerMs;
        m_mark = now;
        return ms;
    }
    const int64_t now = m_clock->processMs();
    const int64_t ms = now - m_fallbackMark;
    m_fallbackMark = now;
    return ms;
}

bool seTimer::expired()
{
    if (m_hasCounter) {
        const int64_t now = m_clock->nowNs();
        if ((now - m_mark) / m_ticksPerMs > m_interval) {
            m_mark = now;
            return true;
        }
        return false;
    }
    const int64_t now = m_clock->processMs();
    if (now - m_fallbackMark > m_fallbackInterval) {
        m_fallbackMark = now;
        return true;
    }
    return false;
}
