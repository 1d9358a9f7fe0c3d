// The message loop on the scripted backend and simulated time: delivery order, painting only
// when idle, timers, default processing, Quit, window teardown and the signal handlers.
#include "platform/Clock.h"
#include "platform/ScriptedBackend.h"
#include "platform/Window.h"

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using plat::Message;
using plat::Msg;
using plat::WindowId;
using plat::WindowKind;
using plat::WindowSpec;

// Records every message and lets a test react to chosen ones. A reaction returns whether the
// message counts as handled; without one, the handler asks for the default.
struct Recorder : plat::WindowHandler {
    std::vector<Message> got;
    std::function<bool(const Message&)> react;
    bool onMessage(const Message& msg) override
    {
        got.push_back(msg);
        return react ? react(msg) : false;
    }
    std::vector<Msg> types() const
    {
        std::vector<Msg> t;
        for (const Message& m : got) {
            t.push_back(m.type);
        }
        return t;
    }
    int count(Msg type) const
    {
        int n = 0;
        for (const Message& m : got) {
            n += m.type == type ? 1 : 0;
        }
        return n;
    }
};

class MessageLoopTest : public ::testing::Test {
protected:
    plat::SimulatedClock clock;
    plat::ScriptedBackend backend{&clock};
    plat::MessageLoop loop{backend, clock};

    WindowId open(Recorder& handler, WindowKind kind = WindowKind::FullScreen)
    {
        WindowSpec params;
        params.kind = kind;
        params.title = "test";
        const WindowId id = loop.createWindow(params, &handler);
        EXPECT_NE(id, plat::kNoWindow);
        return id;
    }
};

TEST_F(MessageLoopTest, OneTurnDeliversPostedAndInputThenTimersThenPaint)
{
    Recorder h;
    const WindowId w = open(h);   // a shown window starts invalid
    loop.setTimer(w, 5, 10);
    clock.advanceMs(10);
    loop.post(Message{Msg::User, w, 1});
    backend.pushInput(Message{Msg::KeyDown, w, 'a'});
    loop.post(Message{Msg::User, w, 2});

    ASSERT_TRUE(loop.runPending());
    // Posted before the turn's pump, then input, then what was posted after (still before
    // the pump runs, so queued first); the timer next; the paint last.
    const std::vector<Msg> expected{Msg::User, Msg::User, Msg::KeyDown, Msg::Timer, Msg::Paint};
    EXPECT_EQ(h.types(), expected);
    EXPECT_EQ(h.got[0].wParam, 1);
    EXPECT_EQ(h.got[1].wParam, 2);
    EXPECT_EQ(h.got[3].wParam, 5);
}

TEST_F(MessageLoopTest, PaintWaitsWhileAnythingElseWaits)
{
    Recorder h;
    const WindowId w = open(h);
    // A timer message that posts another message keeps the paint back for a turn.
    h.react = [&](const Message& m) {
        if (m.type == Msg::Timer) {
            loop.post(Message{Msg::User, w, 9});
        }
        return true;
    };
    loop.setTimer(w, 1, 50);
    clock.advanceMs(50);
    ASSERT_TRUE(loop.runPending());
    EXPECT_EQ(h.types(), std::vector<Msg>{Msg::Timer});

    ASSERT_TRUE(loop.runPending());
    const std::vector<Msg> expected{Msg::Timer, Msg::User, Msg::Paint};
    EXPECT_EQ(h.types(), expected);

    // Input that arrives while the turn runs (here: during the User message) also holds
    // the paint back.
    h.got.clear();
    loop.invalidate(w);
    loop.post(Message{Msg::User, w, 3});
    h.react = [&](const Message& m) {
        if (m.type == Msg::User) {
            backend.pushInput(Message{Msg::MouseMove, w, 0, 0, 4, 5});
        }
        return true;
    };
    ASSERT_TRUE(loop.runPending());
    EXPECT_EQ(h.types(), std::vector<Msg>{Msg::User});
    ASSERT_TRUE(loop.runPending());
    EXPECT_EQ(h.got.back().type, Msg::Paint);
    EXPECT_EQ(h.got[1].type, Msg::MouseMove);
    EXPECT_EQ(h.got[1].x, 4);
    EXPECT_EQ(h.got[1].y, 5);
}

TEST_F(MessageLoopTest, PaintThatInvalidatesIsPaintedAgainButInputComesFirst)
{
    Recorder h;
    const WindowId w = open(h);
    h.react = [&](const Message& m) {
        if (m.type == Msg::Paint) {
            loop.invalidate(w);   // draws one step and asks for the next
        }
        return true;
    };
    ASSERT_TRUE(loop.runPending());
    ASSERT_TRUE(loop.runPending());
    EXPECT_EQ(h.types(), (std::vector<Msg>{Msg::Paint, Msg::Paint}));

    backend.pushInput(Message{Msg::KeyDown, w, plat::kKeyEscape});
    ASSERT_TRUE(loop.runPending());
    EXPECT_EQ(h.types(), (std::vector<Msg>{Msg::Paint, Msg::Paint, Msg::KeyDown, Msg::Paint}));
}

TEST_F(MessageLoopTest, ValidatedOrHiddenWindowsAreNotPainted)
{
    Recorder shown;
    Recorder hidden;
    const WindowId w = open(shown);
    open(hidden, WindowKind::Hidden);
    loop.validate(w);
    ASSERT_TRUE(loop.runPending());
    EXPECT_TRUE(shown.got.empty());
    EXPECT_TRUE(hidden.got.empty());
}

TEST_F(MessageLoopTest, ExposureFromTheBackendInvalidates)
{
    Recorder h;
    const WindowId w = open(h);
    ASSERT_TRUE(loop.runPending());
    ASSERT_EQ(h.count(Msg::Paint), 1);
    ASSERT_TRUE(loop.runPending());
    ASSERT_EQ(h.count(Msg::Paint), 1);   // valid now: no paint without a reason

    backend.pushInput(Message{Msg::Paint, w});
    ASSERT_TRUE(loop.runPending());
    EXPECT_EQ(h.count(Msg::Paint), 2);
}

struct WaitingCase {
    std::string name;
    std::function<void(plat::MessageLoop&, plat::ScriptedBackend&, plat::SimulatedClock&, WindowId)> setup;
    bool waiting;
};

TEST_F(MessageLoopTest, IsMessageWaitingSeesPostedInputAndDueTimersOnly)
{
    const std::vector<WaitingCase> cases{
        {"nothing", [](auto&, auto&, auto&, WindowId) {}, false},
        {"posted", [](auto& l, auto&, auto&, WindowId w) { l.post(Message{Msg::User, w}); }, true},
        {"quit", [](auto& l, auto&, auto&, WindowId) { l.postQuit(0); }, true},
        {"input", [](auto&, auto& b, auto&, WindowId w) { b.pushInput(Message{Msg::LButtonDown, w}); }, true},
        {"timer due",
         [](auto& l, auto&, auto& c, WindowId w) {
             l.setTimer(w, 1, 30);
             c.advanceMs(30);
         },
         true},
        {"timer not yet due",
         [](auto& l, auto&, auto& c, WindowId w) {
             l.setTimer(w, 1, 30);
             c.advanceMs(29);
         },
         false},
        {"killed timer",
         [](auto& l, auto&, auto& c, WindowId w) {
             l.setTimer(w, 1, 30);
             l.killTimer(w, 1);
             c.advanceMs(100);
         },
         false},
        {"invalid window only", [](auto& l, auto&, auto&, WindowId w) { l.invalidate(w); }, false},
        {"posted to a destroyed window",
         [](auto& l, auto&, auto&, WindowId w) {
             l.destroyWindow(w);
             l.post(Message{Msg::User, w});
         },
         false},
    };
    for (const WaitingCase& c : cases) {
        SCOPED_TRACE(c.name);
        plat::SimulatedClock clk;
        plat::ScriptedBackend be(&clk);
        plat::MessageLoop l(be, clk);
        Recorder h;
        const WindowId w = l.createWindow(WindowSpec{WindowKind::FullScreen, "test"}, &h);
        ASSERT_NE(w, plat::kNoWindow);
        c.setup(l, be, clk, w);
        EXPECT_EQ(l.isMessageWaiting(), c.waiting);
        // Asking takes nothing away and delivers nothing.
        const size_t delivered = h.got.size();
        EXPECT_EQ(l.isMessageWaiting(), c.waiting);
        EXPECT_EQ(h.got.size(), delivered);
    }
}

TEST_F(MessageLoopTest, DefaultCloseDestroysAndDeliversDestroy)
{
    Recorder h;
    const WindowId w = open(h);
    loop.validate(w);
    backend.pushInput(Message{Msg::Close, w});
    ASSERT_TRUE(loop.runPending());
    EXPECT_EQ(h.types(), (std::vector<Msg>{Msg::Close, Msg::Destroy}));
    EXPECT_FALSE(loop.isWindow(w));
    EXPECT_FALSE(backend.hasWindow(w));
    EXPECT_EQ(backend.destroyCalls(), 1);
}

TEST_F(MessageLoopTest, HandledCloseKeepsTheWindow)
{
    Recorder h;
    h.react = [](const Message& m) { return m.type == Msg::Close; };
    const WindowId w = open(h);
    loop.post(Message{Msg::Close, w});
    ASSERT_TRUE(loop.runPending());
    EXPECT_TRUE(loop.isWindow(w));
    EXPECT_TRUE(backend.hasWindow(w));
    EXPECT_EQ(h.count(Msg::Destroy), 0);
}

TEST_F(MessageLoopTest, SysCommandCloseBecomesACloseRequest)
{
    Recorder h;
    const WindowId w = open(h);
    loop.validate(w);
    loop.post(Message{Msg::SysCommand, w, plat::kScClose});
    loop.post(Message{Msg::SysCommand, w, plat::kScScreenSave});   // default: nothing
    ASSERT_TRUE(loop.runPending());
    EXPECT_TRUE(loop.isWindow(w));
    ASSERT_TRUE(loop.runPending());
    EXPECT_EQ(h.types(), (std::vector<Msg>{Msg::SysCommand, Msg::SysCommand, Msg::Close, Msg::Destroy}));
    EXPECT_FALSE(loop.isWindow(w));
}

TEST_F(MessageLoopTest, SendDeliversAtOnceAndReportsTheHandlersAnswer)
{
    Recorder h;
    h.react = [](const Message& m) { return m.type == Msg::User; };
    const WindowId w = open(h);
    EXPECT_TRUE(loop.send(Message{Msg::User, w, 4}));
    EXPECT_EQ(h.got.size(), 1u);
    EXPECT_FALSE(loop.send(Message{Msg::NcActivate, w, 0}));
    // Close through send gets the default too.
    EXPECT_FALSE(loop.send(Message{Msg::Close, w}));
    EXPECT_FALSE(loop.isWindow(w));
    EXPECT_FALSE(loop.send(Message{Msg::User, w}));
    EXPECT_EQ(h.types(), (std::vector<Msg>{Msg::User, Msg::NcActivate, Msg::Close, Msg::Destroy}));
}

TEST_F(MessageLoopTest, QuitEndsRunWithItsCodeInQueueOrder)
{
    Recorder h;
    const WindowId w = open(h);
    loop.validate(w);
    loop.post(Message{Msg::User, w, 1});
    loop.postQuit(7);
    loop.post(Message{Msg::User, w, 2});
    EXPECT_EQ(loop.run(), 7);
    EXPECT_TRUE(loop.quitSeen());
    EXPECT_EQ(loop.exitCode(), 7);
    // Only what was queued before Quit was handled; the rest waits for a later turn.
    ASSERT_EQ(h.got.size(), 1u);
    EXPECT_EQ(h.got[0].wParam, 1);
    EXPECT_TRUE(loop.runPending());
    ASSERT_EQ(h.got.size(), 2u);
    EXPECT_EQ(h.got[1].wParam, 2);
}

TEST_F(MessageLoopTest, QuitFromAHandlerEndsRun)
{
    Recorder h;
    const WindowId w = open(h);
    h.react = [&](const Message& m) {
        if (m.type == Msg::Destroy) {
            loop.postQuit(3);
        }
        return false;
    };
    // The wait hook stands for the user: a key arrives while the loop sleeps.
    backend.setWaitHook([w](plat::ScriptedBackend& b, int) { b.pushInput(Message{Msg::Close, w}); });
    EXPECT_EQ(loop.run(), 3);
    EXPECT_EQ(h.count(Msg::Destroy), 1);
    // It slept once, with no limit (no timers), only after the first paint.
    EXPECT_EQ(backend.waitTimeouts(), std::vector<int>{-1});
    EXPECT_EQ(h.got.front().type, Msg::Paint);
}

TEST_F(MessageLoopTest, TimersFireOncePerPeriodAndTheLoopSleepsUntilTheNext)
{
    Recorder h;
    const WindowId w = open(h);
    int ticks = 0;
    h.react = [&](const Message& m) {
        if (m.type == Msg::Timer && m.wParam == 42 && ++ticks == 4) {
            loop.postQuit(0);
        }
        return true;
    };
    const int64_t start = clock.nowMs();
    loop.setTimer(w, 42, 100);
    EXPECT_EQ(loop.run(), 0);
    EXPECT_EQ(ticks, 4);
    EXPECT_EQ(clock.nowMs() - start, 400);
    // Every sleep lasted exactly up to the next tick: no spinning, no oversleeping.
    EXPECT_EQ(backend.waitTimeouts(), (std::vector<int>{100, 100, 100, 100}));
}

TEST_F(MessageLoopTest, TimerWaitRoundsUpAndLateTimersFireOnce)
{
    Recorder h;
    h.react = [](const Message&) { return true; };
    const WindowId w = open(h);
    loop.validate(w);
    loop.setTimer(w, 1, 100);
    clock.advanceNs(99500000);   // 0.5 ms left
    backend.setWaitHook([&](plat::ScriptedBackend&, int timeout) {
        // Stops after the first sleep.
        if (timeout >= 0) {
            loop.postQuit(0);
        }
    });
    loop.run();
    EXPECT_EQ(backend.waitTimeouts().front(), 1);

    // Far behind: one message, not a burst, and the next one a full period later.
    h.got.clear();
    clock.advanceMs(1000);
    ASSERT_TRUE(loop.runPending());
    EXPECT_EQ(h.count(Msg::Timer), 1);
    ASSERT_TRUE(loop.runPending());
    EXPECT_EQ(h.count(Msg::Timer), 1);
    clock.advanceMs(100);
    ASSERT_TRUE(loop.runPending());
    EXPECT_EQ(h.count(Msg::Timer), 2);
}

TEST_F(MessageLoopTest, ResettingATimerRestartsItsPeriod)
{
    Recorder h;
    h.react = [](const Message&) { return true; };
    const WindowId w = open(h);
    loop.setTimer(w, 1, 100);
    clock.advanceMs(80);
    loop.setTimer(w, 1, 100);
    clock.advanceMs(80);
    ASSERT_TRUE(loop.runPending());
    EXPECT_EQ(h.count(Msg::Timer), 0);
    clock.advanceMs(20);
    ASSERT_TRUE(loop.runPending());
    EXPECT_EQ(h.count(Msg::Timer), 1);
}

TEST_F(MessageLoopTest, DestroyedWindowLosesQueuedMessagesTimersAndPaints)
{
    Recorder a;
    Recorder b;
    const WindowId wa = open(a);
    const WindowId wb = open(b);
    loop.validate(wb);
    loop.setTimer(wa, 1, 10);
    loop.post(Message{Msg::User, wa, 1});
    loop.post(Message{Msg::User, wb, 2});
    backend.pushInput(Message{Msg::KeyDown, wa, 'x'});
    loop.destroyWindow(wa);
    EXPECT_EQ(a.types(), std::vector<Msg>{Msg::Destroy});
    EXPECT_FALSE(backend.hasWindow(wa));

    clock.advanceMs(50);
    ASSERT_TRUE(loop.runPending());
    ASSERT_TRUE(loop.runPending());
    EXPECT_EQ(a.types(), std::vector<Msg>{Msg::Destroy});
    EXPECT_EQ(b.types(), std::vector<Msg>{Msg::User});
    // Destroying twice is harmless.
    loop.destroyWindow(wa);
    EXPECT_EQ(a.count(Msg::Destroy), 1);
}

TEST_F(MessageLoopTest, HandlerMayDestroyItsWindowWhileMessagesForItWait)
{
    Recorder h;
    const WindowId w = open(h);
    h.react = [&](const Message& m) {
        if (m.type == Msg::KeyDown) {
            loop.destroyWindow(w);
        }
        return true;
    };
    backend.pushInput(Message{Msg::KeyDown, w, 'a'});
    backend.pushInput(Message{Msg::MouseMove, w});
    backend.pushInput(Message{Msg::LButtonDown, w});
    ASSERT_TRUE(loop.runPending());
    EXPECT_EQ(h.types(), (std::vector<Msg>{Msg::KeyDown, Msg::Destroy}));
}

TEST_F(MessageLoopTest, FailedCreateGivesNoWindow)
{
    Recorder h;
    backend.setCreateFails(true);
    WindowSpec params;
    params.kind = WindowKind::Child;
    params.parentXid = 0x1234;
    EXPECT_EQ(loop.createWindow(params, &h), plat::kNoWindow);
    EXPECT_EQ(backend.windowCount(), 0);
    ASSERT_TRUE(loop.runPending());
    EXPECT_TRUE(h.got.empty());
}

TEST_F(MessageLoopTest, WaitEndsWhenAnotherThreadWakesIt)
{
    plat::ScriptedBackend realTime(nullptr);
    plat::MessageLoop l(realTime, plat::systemClock());
    Recorder h;
    const WindowId w = l.createWindow(WindowSpec{WindowKind::Hidden, "test"}, &h);
    h.react = [&](const Message& m) {
        if (m.type == Msg::KeyDown) {
            l.postQuit(5);
        }
        return true;
    };
    std::thread pusher([&] { realTime.pushInput(Message{Msg::KeyDown, w, 'q'}); });
    EXPECT_EQ(l.run(), 5);
    pusher.join();
}

TEST_F(MessageLoopTest, SigtermClosesTheMainWindowAndSigintPressesEscape)
{
    struct sigaction before {};
    sigaction(SIGTERM, nullptr, &before);
    {
        plat::SimulatedClock clk;
        plat::ScriptedBackend be(&clk);
        plat::MessageLoop l(be, clk);
        Recorder main;
        Recorder other;
        const WindowId wm = l.createWindow(WindowSpec{WindowKind::FullScreen, "test"}, &main);
        const WindowId wo = l.createWindow(WindowSpec{WindowKind::FullScreen, "test"}, &other);
        l.validate(wm);
        l.validate(wo);
        l.installSignalHandlers(wm);

        ASSERT_EQ(raise(SIGINT), 0);
        EXPECT_EQ(be.wakeCalls(), 1);
        EXPECT_TRUE(l.isMessageWaiting());
        ASSERT_TRUE(l.runPending());
        ASSERT_EQ(main.got.size(), 1u);
        EXPECT_EQ(main.got[0].type, Msg::KeyDown);
        EXPECT_EQ(main.got[0].wParam, plat::kKeyEscape);
        EXPECT_FALSE(l.isMessageWaiting());

        ASSERT_EQ(raise(SIGTERM), 0);
        EXPECT_TRUE(l.isMessageWaiting());
        ASSERT_TRUE(l.runPending());
        EXPECT_EQ(main.types(), (std::vector<Msg>{Msg::KeyDown, Msg::Close, Msg::Destroy}));
        EXPECT_FALSE(l.isWindow(wm));
        EXPECT_TRUE(other.got.empty());
        EXPECT_TRUE(l.isWindow(wo));
    }
    // The loop gave the signals back when it ended.
    struct sigaction after {};
    sigaction(SIGTERM, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
}

TEST_F(MessageLoopTest, SignalEndsABlockedRun)
{
    Recorder h;
    const WindowId w = open(h);
    h.react = [&](const Message& m) {
        if (m.type == Msg::Destroy) {
            loop.postQuit(15);
        }
        return false;
    };
    loop.installSignalHandlers(w);
    // The signal arrives while the loop sleeps without a limit.
    backend.setWaitHook([](plat::ScriptedBackend&, int) { raise(SIGTERM); });
    EXPECT_EQ(loop.run(), 15);
    EXPECT_EQ(h.count(Msg::Close), 1);
}

TEST_F(MessageLoopTest, ScriptedWakeEndsOneWaitOnly)
{
    plat::ScriptedBackend be(&clock);
    int hookCalls = 0;
    be.setWaitHook([&](plat::ScriptedBackend&, int) { ++hookCalls; });
    be.wake();
    be.waitInput(-1);   // returns at once: the wake was pending
    EXPECT_EQ(hookCalls, 0);
    const int64_t before = clock.nowMs();
    be.waitInput(25);   // nothing pending now: simulated time moves on
    EXPECT_EQ(hookCalls, 1);
    EXPECT_EQ(clock.nowMs() - before, 25);
}

} // namespace
