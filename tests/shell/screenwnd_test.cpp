// The full-screen saver window: dismissal by pointer, keys, buttons and deactivation, the
// password check with its checking and closing states, the scene's abort mark, the grab,
// and the commands it swallows. Runs on a scripted window backend and simulated time.
#include "shell/ScreenWnd.h"

#include "platform/Clock.h"
#include "platform/ScriptedBackend.h"
#include "platform/Window.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>

using namespace shell;
using plat::Message;
using plat::Msg;

namespace {

// A scene window stand-in: counts drawing steps and stops drawing while aborted, as the
// programs' scene windows do.
class FakeScene : public CSaverWnd {
public:
    using CSaverWnd::CSaverWnd;
    void SetAborted() override { aborted = true; ++abortCalls; }
    void ClearAborted() override { aborted = false; ++clearCalls; }

    bool aborted = false;
    int abortCalls = 0;
    int clearCalls = 0;
    int steps = 0;
    int destroyed = 0;

protected:
    bool DrawStep() override
    {
        if (aborted)
            return false;
        ++steps;
        return true;
    }
    void OnDestroy() override { ++destroyed; }
};

using TestScreen = CScreenWndT<FakeScene>;

class ScreenWndTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_backend = std::make_unique<plat::ScriptedBackend>(&m_clock);
        m_loop = std::make_unique<plat::MessageLoop>(*m_backend, m_clock);
        m_wnd = std::make_unique<TestScreen>(
            [this](uint64_t xid) {
                ++checks;
                checkedXid = xid;
                if (duringCheck)
                    duringCheck();
                if (answers.empty())
                    return true;
                const bool a = answers.front();
                answers.pop_front();
                return a;
            },
            *m_loop);
        ASSERT_TRUE(m_wnd->CreateFullScreen());
        m_id = m_wnd->GetId();
        m_wnd->SetMainWindow(true);
    }

    void TearDown() override
    {
        m_wnd.reset();
        m_loop.reset();
        m_backend.reset();
    }

    // A fresh window, loop and backend for the next row of a table.
    void Restart()
    {
        TearDown();
        m_quit = false;
        checks = 0;
        answers.clear();
        duringCheck = nullptr;
        SetUp();
    }

    Message msg(Msg type, int64_t wParam = 0, int x = 0, int y = 0) const
    {
        Message m;
        m.type = type;
        m.window = m_id;
        m.wParam = wParam;
        m.x = x;
        m.y = y;
        return m;
    }

    // Hands msg to the loop as input and lets the loop handle whatever follows from it.
    void input(const Message& m)
    {
        m_backend->pushInput(m);
        pump();
    }
    void pump()
    {
        for (int i = 0; i < 4 && !m_quit; ++i)
            m_quit = !m_loop->runPending();
    }
    bool running() const { return m_loop->isWindow(m_id) && !m_quit; }

    plat::SimulatedClock m_clock;
    std::unique_ptr<plat::ScriptedBackend> m_backend;
    std::unique_ptr<plat::MessageLoop> m_loop;
    std::unique_ptr<TestScreen> m_wnd;
    plat::WindowId m_id = plat::kNoWindow;
    bool m_quit = false;

    int checks = 0;
    uint64_t checkedXid = 0;
    std::deque<bool> answers;
    std::function<void()> duringCheck;
};

} // namespace

TEST_F(ScreenWndTest, PointerDriftWithinTwentyPixelsKeepsRunning)
{
    struct Point {
        int x, y;
    };
    struct Case {
        const char* name;
        std::vector<Point> moves;
        int endsAt;   // index of the move that ends the saver; -1 never
    };
    const Case cases[] = {
        {"drift then x beyond", {{500, 300}, {515, 318}, {520, 280}, {521, 300}}, 3},
        {"y beyond", {{500, 300}, {500, 321}}, 1},
        {"exactly twenty", {{500, 300}, {480, 320}, {520, 280}}, -1},
        // Small moves never become a new reference: 540 is 40 from the first point.
        {"no accumulation", {{500, 300}, {520, 300}, {540, 300}}, 2},
        {"first move only records", {{0, 0}}, -1},
        {"first move far away", {{1000, 900}, {1010, 905}}, -1},
    };
    for (const Case& c : cases) {
        Restart();
        int endedAt = -1;
        for (size_t i = 0; i < c.moves.size() && endedAt < 0; ++i) {
            input(msg(Msg::MouseMove, 0, c.moves[i].x, c.moves[i].y));
            if (!running())
                endedAt = static_cast<int>(i);
        }
        EXPECT_EQ(endedAt, c.endsAt) << c.name;
        EXPECT_EQ(checks, c.endsAt < 0 ? 0 : 1) << c.name;
    }
}

TEST_F(ScreenWndTest, KeysButtonsAndDeactivationEndTheSaver)
{
    struct Case {
        Msg type;
        int64_t wParam;
        bool ends;
    };
    const Case cases[] = {
        {Msg::KeyDown, 'a', true},        {Msg::KeyDown, plat::kKeyEscape, true},
        {Msg::SysKeyDown, 'x', true},     {Msg::LButtonDown, 0, true},
        {Msg::MButtonDown, 0, true},      {Msg::RButtonDown, 0, true},
        {Msg::Activate, 0, true},         {Msg::ActivateApp, 0, true},
        {Msg::Activate, 1, false},        {Msg::ActivateApp, 1, false},
        {Msg::Timer, 1, false},           {Msg::User, 0, false},
    };
    for (const Case& c : cases) {
        Restart();
        const uint64_t xid = m_backend->nativeId(m_id);
        input(msg(c.type, c.wParam));
        EXPECT_EQ(!running(), c.ends) << static_cast<int>(c.type) << " " << c.wParam;
        EXPECT_EQ(checks, c.ends ? 1 : 0) << static_cast<int>(c.type);
        if (c.ends) {
            EXPECT_TRUE(m_quit) << "the window's destruction ends the message loop";
            EXPECT_EQ(m_wnd->destroyed, 1) << "the scene window's own destruction runs";
            EXPECT_EQ(checkedXid, xid);
        }
    }
}

TEST_F(ScreenWndTest, RefusedPasswordResumesTheSameSceneAndMovesTheReference)
{
    answers = {false};
    bool abortedDuringCheck = false;
    duringCheck = [&] { abortedDuringCheck = m_wnd->aborted; };
    input(msg(Msg::MouseMove, 0, 500, 300));
    const int stepsBefore = m_wnd->steps;
    input(msg(Msg::MouseMove, 0, 600, 300));   // triggers the check, refused
    EXPECT_EQ(checks, 1);
    EXPECT_TRUE(abortedDuringCheck) << "drawing stops while the dialog is up";
    EXPECT_TRUE(running());
    EXPECT_FALSE(m_wnd->aborted);
    EXPECT_EQ(m_wnd->clearCalls, 1);
    EXPECT_FALSE(m_wnd->Screen()->Checking());
    EXPECT_FALSE(m_wnd->Screen()->Closing());
    EXPECT_EQ(m_wnd->Screen()->LastX(), 600);
    EXPECT_EQ(m_wnd->Screen()->LastY(), 300);
    pump();
    EXPECT_GT(m_wnd->steps, stepsBefore) << "the window was invalidated and draws again";

    // The triggering move is the reference now: 615 is within 20 of 600, 579 is not.
    input(msg(Msg::MouseMove, 0, 615, 300));
    EXPECT_EQ(checks, 1);
    input(msg(Msg::MouseMove, 0, 579, 300));
    EXPECT_EQ(checks, 2);
    EXPECT_FALSE(running());
}

TEST_F(ScreenWndTest, AbortedSceneStopsDrawingUntilTheCheckEnds)
{
    pump();
    ASSERT_GT(m_wnd->steps, 0);
    m_wnd->SetAborted();
    pump();
    const int steps = m_wnd->steps;
    pump();
    EXPECT_EQ(m_wnd->steps, steps) << "an aborted scene gets no further steps";
    answers = {false};
    input(msg(Msg::KeyDown, 'k'));
    EXPECT_GT(m_wnd->steps, steps) << "a refused check clears the mark and invalidates";
}

TEST_F(ScreenWndTest, InputDuringTheCheckDoesNothing)
{
    answers = {false};
    bool ncRefusedDuringCheck = true;
    duringCheck = [&] {
        // The host's dialog runs modally: input that reaches the saver meanwhile is ignored.
        m_loop->send(msg(Msg::KeyDown, 'x'));
        m_loop->send(msg(Msg::LButtonDown));
        m_loop->send(msg(Msg::MouseMove, 0, 10, 10));
        m_loop->send(msg(Msg::Activate, 0));
        ncRefusedDuringCheck = m_wnd->onMessage(msg(Msg::NcActivate, 0));
    };
    input(msg(Msg::KeyDown, 'k'));
    EXPECT_EQ(checks, 1);
    EXPECT_FALSE(ncRefusedDuringCheck) << "the dialog may take the activation";
    EXPECT_TRUE(running());
    // The mouse move during the check recorded nothing.
    EXPECT_EQ(m_wnd->Screen()->LastX(), -1);
}

TEST_F(ScreenWndTest, ApprovedEndingAsksNoMore)
{
    EXPECT_TRUE(m_wnd->CanClose());
    EXPECT_TRUE(m_wnd->Screen()->Closing());
    EXPECT_FALSE(m_wnd->CanClose());
    EXPECT_EQ(checks, 1);
    EXPECT_EQ(m_wnd->abortCalls, 1);
    EXPECT_EQ(m_wnd->clearCalls, 0) << "an approved end keeps the scene aborted";
}

TEST_F(ScreenWndTest, WithoutACheckFunctionTheSaverCanAlwaysEnd)
{
    m_wnd->Screen()->SetPasswordCheck(nullptr);
    input(msg(Msg::KeyDown, 'a'));
    EXPECT_FALSE(running());
    EXPECT_EQ(checks, 0);
}

TEST_F(ScreenWndTest, SwallowsScreenSaveAndCloseCommands)
{
    for (int64_t cmd : {int64_t(plat::kScScreenSave), int64_t(plat::kScClose)}) {
        EXPECT_TRUE(m_wnd->onMessage(msg(Msg::SysCommand, cmd))) << cmd;
        input(msg(Msg::SysCommand, cmd));
        EXPECT_TRUE(running()) << cmd;
    }
    constexpr int64_t kOtherCommand = 0xF020;
    EXPECT_FALSE(m_wnd->onMessage(msg(Msg::SysCommand, kOtherCommand)));
    EXPECT_EQ(checks, 0);
}

TEST_F(ScreenWndTest, CursorAndActivationRefusal)
{
    EXPECT_TRUE(m_wnd->onMessage(msg(Msg::SetCursor)));
    EXPECT_TRUE(m_wnd->onMessage(msg(Msg::NcActivate, 0))) << "deactivation refused";
    EXPECT_FALSE(m_wnd->onMessage(msg(Msg::NcActivate, 1))) << "activation allowed";
    EXPECT_EQ(checks, 0);
}

TEST_F(ScreenWndTest, GrabIsReleasedForTheDialogAndRestoredAfterARefusal)
{
    m_wnd->Screen()->SetGrab(true);
    EXPECT_TRUE(m_backend->record(m_id).grabbed);
    bool grabbedDuringCheck = true;
    duringCheck = [&] { grabbedDuringCheck = m_backend->record(m_id).grabbed; };
    answers = {false, true};
    input(msg(Msg::KeyDown, 'a'));
    EXPECT_FALSE(grabbedDuringCheck);
    EXPECT_TRUE(m_backend->record(m_id).grabbed);
    input(msg(Msg::KeyDown, 'a'));
    EXPECT_EQ(checks, 2);
    EXPECT_FALSE(running());
}

TEST_F(ScreenWndTest, CloseRequestEndsTheLoopWithoutACheck)
{
    // A close request from outside (SIGTERM becomes one) ends the saver as WM_CLOSE does.
    input(msg(Msg::Close));
    EXPECT_FALSE(m_loop->isWindow(m_id));
    EXPECT_TRUE(m_quit);
    EXPECT_EQ(checks, 0);
}
