// Millisecond interval timer on the program's clock: a mark, an interval, and the
// high-resolution counter when the clock has one (else the process's millisecond clock).
#pragma once

#include "platform/Clock.h"

#include <cstdint>

class seTimer {
public:
    explicit seTimer(int64_t intervalMs = 0, const plat::Clock& clock = plat::systemClock());
    virtual ~seTimer() = default;

    // True when more than the interval has passed since the mark; then the mark moves to
    // now. Exactly the interval is not yet expired.
    bool expired();
    // Mark = now.
    void reset();
    // Milliseconds since the mark; the mark moves to now.
    int64_t lap();
    // Milliseconds since the mark; the mark stays.
    int64_t elapsed() const;
    void setInterval(int64_t ms);
    int64_t interval() const { return m_hasCounter ? m_interval : m_fallbackInterval; }
    bool hasCounter() const { return m_hasCounter; }

private:
    const plat::Clock* m_clock;
    int64_t m_ticksPerMs;
    int64_t m_mark = 0;
    int64_t m_interval = 0;
    bool m_hasCounter;
    int64_t m_fallbackMark = 0;
    int64_t m_fallbackInterval = 0;
};
