// The interval timer on simulated time, through the counter and through the fallback clock.
#include "shell/seTimer.h"

#include "platform/Clock.h"

#include <gtest/gtest.h>

namespace {

// A clock whose counter and process clock move independently, so a test can tell which
// one the timer reads.
class SplitClock final : public plat::Clock {
public:
    explicit SplitClock(bool hasCounter) : m_hasCounter(hasCounter) {}
    int64_t nowNs() const override { return m_ns; }
    bool hasCounter() const override { return m_hasCounter; }
    int64_t processMs() const override { return m_processMs; }
    int64_t calendarSeconds() const override { return 0; }
    void sleepMs(int64_t ms) override { advanceMs(ms); }

    // Moves only the clock the timer should be using.
    void advanceMs(int64_t ms)
    {
        if (m_hasCounter)
            m_ns += ms * 1000000;
        else
            m_processMs += ms;
    }
    // Moves only the clock the timer must ignore.
    void advanceOtherMs(int64_t ms)
    {
        if (m_hasCounter)
            m_processMs += ms;
        else
            m_ns += ms * 1000000;
    }

private:
    bool m_hasCounter;
    int64_t m_ns = 5000000000;
    int64_t m_processMs = 70000;
};

class TimerPaths : public testing::TestWithParam<bool> {
protected:
    SplitClock clock{GetParam()};
};

TEST_P(TimerPaths, ReportsWhichPathItUses)
{
    seTimer timer(0, clock);
    EXPECT_EQ(timer.hasCounter(), GetParam());
}

TEST_P(TimerPaths, ZeroIntervalExpiresOnceAMillisecondPassed)
{
    seTimer timer(0, clock);
    EXPECT_FALSE(timer.expired());
    clock.advanceMs(1);
    EXPECT_TRUE(timer.expired());
    // The mark moved to now.
    EXPECT_FALSE(timer.expired());
}

TEST_P(TimerPaths, ExactlyTheIntervalIsNotYetExpired)
{
    seTimer timer(100, clock);
    clock.advanceMs(100);
    EXPECT_FALSE(timer.expired());
    clock.advanceMs(1);
    EXPECT_TRUE(timer.expired());
    clock.advanceMs(100);
    EXPECT_FALSE(timer.expired());
}

TEST_P(TimerPaths, IgnoresTheOtherClock)
{
    seTimer timer(10, clock);
    clock.advanceOtherMs(1000);
    EXPECT_EQ(timer.elapsed(), 0);
    EXPECT_FALSE(timer.expired());
}

TEST_P(TimerPaths, LapReturnsTheTimeSinceTheMarkAndMovesIt)
{
    seTimer timer(0, clock);
    clock.advanceMs(25);
    EXPECT_EQ(timer.elapsed(), 25);
    EXPECT_EQ(timer.elapsed(), 25);  // elapsed leaves the mark
    clock.advanceMs(5);
    EXPECT_EQ(timer.lap(), 30);
    clock.advanceMs(7);
    EXPECT_EQ(timer.lap(), 7);
    EXPECT_EQ(timer.elapsed(), 0);
}

TEST_P(TimerPaths, ResetAndSetInterval)
{
    seTimer timer(50, clock);
    EXPECT_EQ(timer.interval(), 50);
    clock.advanceMs(40);
    timer.reset();
    clock.advanceMs(40);
    EXPECT_FALSE(timer.expired());
    timer.setInterval(30);
    EXPECT_EQ(timer.interval(), 30);
    EXPECT_TRUE(timer.expired());
}

INSTANTIATE_TEST_SUITE_P(CounterAndFallback, TimerPaths, testing::Bool(),
    [](const testing::TestParamInfo<bool>& info) { return info.param ? "Counter" : "Fallback"; });

TEST(Timer, CounterMillisecondsAreWholeMilliseconds)
{
    plat::SimulatedClock clock;
    seTimer timer(0, clock);
    clock.advanceNs(999999);
    EXPECT_EQ(timer.elapsed(), 0);
    EXPECT_FALSE(timer.expired());
    clock.advanceNs(1);
    EXPECT_EQ(timer.elapsed(), 1);
    EXPECT_TRUE(timer.expired());
}

TEST(Timer, SimulatedClockWithoutCounterUsesTheFallback)
{
    plat::SimulatedClock clock;
    clock.setHasCounter(false);
    seTimer timer(0, clock);
    EXPECT_FALSE(timer.hasCounter());
    EXPECT_FALSE(timer.expired());
    clock.advanceMs(1);
    EXPECT_TRUE(timer.expired());
}

} // namespace
