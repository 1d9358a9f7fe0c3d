// The real check and change dialogs under the test display, typed at with xdotool from a
// child process, as a user at the keyboard would: the dialog must own the keyboard.
#include "host/ui/PasswordDialog.h"

#include "platform/Clock.h"
#include "platform/Locations.h"
#include "platform/Registry.h"

#include "HostRootTest.h"

// GoogleTest before SDL's window-system header: the X11 macros it pulls in clash with gtest.
#include <gtest/gtest.h>

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

// How long the driver waits for the dialog to take the focus, in 50 ms steps.
constexpr int kFocusPolls = 200;
constexpr int kDriverGaveUp = 3;
// Exit code when the dialog was still up after the last step: the driver closes it with
// Escape so that a failing test ends instead of leaving a modal dialog waiting forever.
constexpr int kDialogStillOpen = 4;
constexpr const char* kSettleSeconds = "1.5";

// A child shell that waits until the dialog has the keyboard focus, then runs xdotool steps.
class Driver {
public:
    explicit Driver(const std::vector<std::string>& steps)
    {
        std::string script =
            "i=0; until [ \"$(xdotool getwindowfocus getwindowname 2>/dev/null)\" = 'Screen Saver' ]; do "
            "i=$((i+1)); [ $i -gt " + std::to_string(kFocusPolls) + " ] && exit " + std::to_string(kDriverGaveUp) +
            "; sleep 0.05; done; sleep 0.1";
        for (const auto& s : steps)
            script += "; " + s;
        script += std::string("; sleep ") + kSettleSeconds +
                  "; if [ \"$(xdotool getwindowfocus getwindowname 2>/dev/null)\" = 'Screen Saver' ]; then "
                  "xdotool key Escape; exit " + std::to_string(kDialogStillOpen) + "; fi; exit 0";
        const char* argv[] = {"/bin/sh", "-c", script.c_str(), nullptr};
        if (posix_spawn(&m_pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
            m_pid = -1;
    }
    ~Driver() { exitCode(); }
    // The shell's exit code: 0 when every step ran and the dialog closed.
    int exitCode()
    {
        if (m_pid > 0) {
            int status = 0;
            waitpid(m_pid, &status, 0);
            m_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            m_pid = -1;
        }
        return m_code;
    }

private:
    pid_t m_pid = -1;
    int m_code = -2;
};

std::string type(const std::string& text) { return "xdotool type --delay 20 '" + text + "'"; }
std::string key(const std::string& name) { return "xdotool key " + name; }

// Time that rushes on at every read: a dialog that waits for its idle limit gives up at once.
class RushingClock final : public plat::Clock {
public:
    int64_t nowNs() const override { return m_ns.fetch_add(kStepNs); }
    int64_t calendarSeconds() const override { return 0; }
    void sleepMs(int64_t) override {}

private:
    static constexpr int64_t kStepNs = 10'000'000'000;  // ten seconds per read
    mutable std::atomic<int64_t> m_ns{0};
};

class PasswordDialog : public HostRootTest {
protected:
    PasswordDialog() : HostRootTest("orvane-dialog") {}

    void SetUp() override
    {
        ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run under scripts/with-xvfb";
        HostRootTest::SetUp();
    }

    bool verifyWith(const std::vector<std::string>& steps, int* driverCode = nullptr)
    {
        Driver driver(steps);
        bool result = host::verifyScreenSavePassword(*hostObj, 0, clock);
        int code = driver.exitCode();
        if (driverCode)
            *driverCode = code;
        return result;
    }

    plat::SystemClock clock;
};

TEST_F(PasswordDialog, NoPasswordAnswersYesWithoutAWindow)
{
    ASSERT_FALSE(hostObj->passwordSet());
    ASSERT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
    // Were a dialog shown, the rushing clock would end it at once with "no".
    RushingClock rushing;
    EXPECT_TRUE(host::verifyScreenSavePassword(*hostObj, 0, rushing));
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u) << "video was started for nothing";
}

struct TypedCase {
    const char* name;
    std::vector<std::string> steps;
    bool expected;
};

class VerifyTyped : public PasswordDialog, public testing::WithParamInterface<TypedCase> {};

TEST_P(VerifyTyped, AnswersWhatWasTyped)
{
    ASSERT_TRUE(hostObj->setPassword("secret"));
    int code = -1;
    EXPECT_EQ(verifyWith(GetParam().steps, &code), GetParam().expected);
    EXPECT_EQ(code, 0) << "3: the dialog never took the focus; 4: it stayed open after the keys";
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u) << "the dialog's own video use was not ended";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, VerifyTyped,
    testing::Values(TypedCase{"RightPassword", {type("secret"), key("Return")}, true},
                    TypedCase{"KeypadEnter", {type("secret"), key("KP_Enter")}, true},
                    TypedCase{"WrongPassword", {type("secreT"), key("Return")}, false},
                    TypedCase{"EmptyPassword", {key("Return")}, false},
                    TypedCase{"Escape", {type("secret"), key("Escape")}, false},
                    TypedCase{"BackspaceEdits", {type("secrex"), key("BackSpace"), type("t"), key("Return")}, true},
                    TypedCase{"BackspaceBeyondStart", {type("xy"), key("BackSpace BackSpace BackSpace"), type("secret"),
                                                       key("Return")},
                              true},
                    TypedCase{"ClickOk", {type("secret"), "xdotool getwindowfocus mousemove --window %1 0 0",
                                          "eval $(xdotool getwindowfocus getwindowgeometry --shell)",
                                          "xdotool getwindowfocus mousemove --window %1 $((WIDTH-16-80-10-40)) "
                                          "$((HEIGHT-14-13)) click 1"},
                              true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PasswordDialog, UnattendedCheckGivesUp)
{
    ASSERT_TRUE(hostObj->setPassword("secret"));
    RushingClock rushing;
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(host::verifyScreenSavePassword(*hostObj, 0, rushing));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

// A saver window of this process that holds both grabs, as a protected saver does.
class SaverHoldingGrab : public PasswordDialog {
protected:
    void SetUp() override
    {
        PasswordDialog::SetUp();
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
        saver = SDL_CreateWindow("Saver", 0, 0, 640, 480, SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP);
        ASSERT_NE(saver, nullptr) << SDL_GetError();
        SDL_RaiseWindow(saver);
        SDL_SetWindowInputFocus(saver);
        SDL_SetWindowKeyboardGrab(saver, SDL_TRUE);
        SDL_SetWindowMouseGrab(saver, SDL_TRUE);
        for (int i = 0; i < 100 && SDL_GetGrabbedWindow() != saver; ++i) {
            SDL_PumpEvents();
            SDL_Delay(20);
        }
        ASSERT_EQ(SDL_GetGrabbedWindow(), saver) << "the saver did not get the grab";
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        ASSERT_TRUE(SDL_GetWindowWMInfo(saver, &info));
        saverXid = info.info.x11.window;
    }
    void TearDown() override
    {
        if (saver)
            SDL_DestroyWindow(saver);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        PasswordDialog::TearDown();
    }
    int queuedKeyDowns()
    {
        SDL_PumpEvents();
        return SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_KEYDOWN, SDL_KEYDOWN);
    }

    SDL_Window* saver = nullptr;
    uint64_t saverXid = 0;
};

TEST_F(SaverHoldingGrab, DialogTakesTheKeyboardAndDropsTheSaversInput)
{
    ASSERT_TRUE(hostObj->setPassword("secret"));
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    // Input queued for the saver before the dialog opened: text and an Enter. Taken as the
    // dialog's own, they would answer at once or spoil the password typed after them.
    SDL_Event press{};
    press.type = SDL_KEYDOWN;
    press.key.windowID = SDL_GetWindowID(saver);
    press.key.keysym.sym = SDLK_RETURN;
    press.key.keysym.scancode = SDL_SCANCODE_RETURN;
    SDL_Event text{};
    text.type = SDL_TEXTINPUT;
    text.text.windowID = SDL_GetWindowID(saver);
    std::strcpy(text.text.text, "x");
    ASSERT_EQ(SDL_PushEvent(&text), 1);
    ASSERT_EQ(SDL_PushEvent(&press), 1);
    ASSERT_EQ(queuedKeyDowns(), 1);

    Driver driver({type("secret"), key("Return")});
    EXPECT_TRUE(host::verifyScreenSavePassword(*hostObj, saverXid, clock));
    EXPECT_EQ(driver.exitCode(), 0);
    EXPECT_EQ(queuedKeyDowns(), 0) << "input queued for the saver survived the dialog";
    // The saver's own video use is untouched by the dialog's.
    EXPECT_NE(SDL_WasInit(SDL_INIT_VIDEO), 0u);
    EXPECT_EQ(SDL_GetWindowFromID(SDL_GetWindowID(saver)), saver);
}

TEST_F(SaverHoldingGrab, WrongThenRightAsksAgain)
{
    ASSERT_TRUE(hostObj->setPassword("secret"));
    {
        Driver driver({type("nope"), key("Return")});
        EXPECT_FALSE(host::verifyScreenSavePassword(*hostObj, saverXid, clock));
        EXPECT_EQ(driver.exitCode(), 0);
    }
    // The saver takes its grab back (its job), the next input asks again.
    SDL_SetWindowInputFocus(saver);
    SDL_SetWindowKeyboardGrab(saver, SDL_TRUE);
    Driver driver({type("secret"), key("Return")});
    EXPECT_TRUE(host::verifyScreenSavePassword(*hostObj, saverXid, clock));
    EXPECT_EQ(driver.exitCode(), 0);
}

TEST_F(SaverHoldingGrab, QuitRequestDuringTheDialogIsPassedOn)
{
    ASSERT_TRUE(hostObj->setPassword("secret"));
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&quit), 1);
    EXPECT_FALSE(host::verifyScreenSavePassword(*hostObj, saverXid, clock));
    SDL_PumpEvents();
    EXPECT_EQ(SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_QUIT, SDL_QUIT), 1);
}

// ---- the change dialog ----

TEST_F(PasswordDialog, ChangeStoresEqualNewPasswords)
{
    Driver driver({type("fresh"), key("Tab"), type("fresh"), key("Return")});
    EXPECT_TRUE(host::changeScreenSavePassword(*hostObj, 0, clock));
    EXPECT_EQ(driver.exitCode(), 0);
    EXPECT_TRUE(hostObj->passwordSet());
    EXPECT_TRUE(hostObj->checkPassword("fresh"));
    EXPECT_FALSE(hostObj->checkPassword("fres"));
    // And the check dialog now asks for it.
    EXPECT_TRUE(verifyWith({type("fresh"), key("Return")}));
}

TEST_F(PasswordDialog, ChangeMismatchStaysOpenUntilCorrected)
{
    Driver driver({type("first"), key("Return"), type("second"), key("Return"),
                   // The message is up, both new fields cleared, focus on the new one.
                   type("second"), key("Return"), type("second"), key("Return")});
    EXPECT_TRUE(host::changeScreenSavePassword(*hostObj, 0, clock));
    EXPECT_EQ(driver.exitCode(), 0);
    EXPECT_TRUE(hostObj->checkPassword("second"));
    EXPECT_FALSE(hostObj->checkPassword("first"));
}

TEST_F(PasswordDialog, ChangeAsksTheOldPasswordFirst)
{
    ASSERT_TRUE(hostObj->setPassword("old"));
    Driver driver({type("bad"), key("Tab"), type("new"), key("Tab"), type("new"), key("Return"),
                   // Wrong old one: only the old field is cleared and focused; Enter
                   // walks through the kept new and confirm fields to the end.
                   type("old"), key("Return"), key("Return"), key("Return")});
    EXPECT_TRUE(host::changeScreenSavePassword(*hostObj, 0, clock));
    EXPECT_EQ(driver.exitCode(), 0);
    EXPECT_TRUE(hostObj->checkPassword("new"));
    EXPECT_FALSE(hostObj->checkPassword("old"));
}

TEST_F(PasswordDialog, ChangeEscapeStoresNothing)
{
    for (bool withOld : {false, true}) {
        if (withOld) {
            ASSERT_TRUE(hostObj->setPassword("keep"));
        }
        Driver driver({type("keep"), key("Tab"), type("other"), key("Tab"), type("other"), key("Escape")});
        EXPECT_FALSE(host::changeScreenSavePassword(*hostObj, 0, clock));
        EXPECT_EQ(driver.exitCode(), 0);
        EXPECT_EQ(hostObj->passwordSet(), withOld);
        if (withOld) {
            EXPECT_TRUE(hostObj->checkPassword("keep"));
            EXPECT_FALSE(hostObj->checkPassword("other"));
        }
    }
}

} // namespace
