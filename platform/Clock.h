// The one clock of a program: every time read and every sleep goes through a Clock,
// so tests and off-screen renders can run on simulated time and repeat a seeded run.
#pragma once

#include <cstdint>

namespace plat {

class Clock {
public:
    virtual ~Clock() = default;
    // Monotonic high-resolution counter, in nanoseconds since an arbitrary origin.
    virtual int64_t nowNs() const = 0;
    // Whether a high-resolution counter exists (timers fall back to processMs() otherwise).
    virtual bool hasCounter() const { return true; }
    // Milliseconds of the process's coarse clock (the fallback of interval timers).
    virtual int64_t processMs() const { return nowNs() / 1000000; }
    // Calendar time in seconds since the epoch (the default seed of random generators).
    virtual int64_t calendarSeconds() const = 0;
    // Sleeps the calling thread; a simulated clock just moves on.
    virtual void sleepMs(int64_t ms) = 0;

    int64_t nowMs() const { return nowNs() / 1000000; }
};

// The real clock: CLOCK_MONOTONIC, time(), nanosleep.
class SystemClock final : public Clock {
public:
    int64_t nowNs() const override;
    int64_t calendarSeconds() const override;
    void sleepMs(int64_t ms) override;
};

// Simulated time for tests: advances only when told to or when someone sleeps.
class SimulatedClock final : public Clock {
public:
    explicit SimulatedClock(int64_t startNs = 0, int64_t calendar = 1000000000) : m_ns(startNs), m_calendar(calendar) {}
    int64_t nowNs() const override { return m_ns; }
    bool hasCounter() const override { return m_hasCounter; }
    int64_t calendarSeconds() const override { return m_calendar + m_ns / 1000000000; }
    void sleepMs(int64_t ms) override { advanceMs(ms); }

    void advanceMs(int64_t ms) { m_ns += ms * 1000000; }
    void advanceNs(int64_t ns) { m_ns += ns; }
    void setHasCounter(bool has) { m_hasCounter = has; }

private:
    int64_t m_ns;
    int64_t m_calendar;
    bool m_hasCounter = true;
};

// The process's real clock, for code that has no clock handed to it.
Clock& systemClock();

} // namespace plat
