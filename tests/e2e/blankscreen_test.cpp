// Blank Screen end to end: the real program started as the host starts it, under the
// private X server of the test run, driven with xdotool. Covers the full-screen window, the
// hidden pointer, pointer drift, ending on a key, the password dialog (wrong and right
// password), SIGTERM, and the preview drawing black into a host window and ending with it.
#include "host/Host.h"
#include "platform/Clock.h"
#include "platform/Locations.h"
#include "platform/Process.h"
#include "platform/Registry.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kStartTimeoutMs = 10000;   // the program's window appears
constexpr int kEndTimeoutMs = 5000;      // the program ends after its last input
constexpr int kDialogTimeoutMs = 5000;   // the password dialog appears or goes
constexpr int kSettleMs = 400;           // time given to a program that must NOT end
constexpr int kPollMs = 20;
constexpr const char* kSaverName = "/Blank Screen.scr";
constexpr const char* kPassword = "secret";
constexpr const char* kDialogTitle = "Screen Saver";

std::string capture(const std::string& command)
{
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return out;
    char buffer[256];
    while (fgets(buffer, sizeof buffer, pipe))
        out += buffer;
    pclose(pipe);
    return out;
}

// Whether the pointer's current cursor image has any pixel that is not fully transparent.
bool pointerVisible()
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return true;
    bool visible = true;
    if (XFixesCursorImage* image = XFixesGetCursorImage(display)) {
        visible = false;
        const size_t count = size_t(image->width) * size_t(image->height);
        for (size_t i = 0; i < count && !visible; ++i)
            visible = (image->pixels[i] >> 24) != 0;   // ARGB: the alpha byte
        XFree(image);
    }
    XCloseDisplay(display);
    return visible;
}

std::vector<unsigned long> windowIds(const std::string& xdotoolSearchArgs)
{
    std::vector<unsigned long> ids;
    std::istringstream in(capture("xdotool search " + xdotoolSearchArgs + " 2>/dev/null"));
    unsigned long id = 0;
    while (in >> id)
        ids.push_back(id);
    return ids;
}

void xdotool(const std::string& args)
{
    ASSERT_EQ(std::system(("xdotool " + args + " >/dev/null 2>&1").c_str()), 0) << args;
}

bool pollUntil(const std::function<bool()>& condition, int timeoutMs)
{
    plat::Clock& clock = plat::systemClock();
    const int64_t end = clock.nowMs() + timeoutMs;
    while (true) {
        if (condition())
            return true;
        if (clock.nowMs() >= end)
            return false;
        clock.sleepMs(kPollMs);
    }
}

struct Geometry {
    int x = -1, y = -1, width = 0, height = 0;
};

Geometry windowGeometry(unsigned long id)
{
    Geometry g;
    const std::string text = capture("xdotool getwindowgeometry " + std::to_string(id));
    const auto pos = text.find("Position: ");
    if (pos != std::string::npos)
        std::sscanf(text.c_str() + pos, "Position: %d,%d", &g.x, &g.y);
    const auto geo = text.find("Geometry: ");
    if (geo != std::string::npos)
        std::sscanf(text.c_str() + geo, "Geometry: %dx%d", &g.width, &g.height);
    return g;
}

struct Point {
    int x = -1, y = -1;
    bool operator==(const Point&) const = default;
};

Point pointer()
{
    Point p;
    std::sscanf(capture("xdotool getmouselocation").c_str(), "x:%d y:%d", &p.x, &p.y);
    return p;
}

std::string moveTo(const Point& origin, int dx, int dy)
{
    return "mousemove " + std::to_string(origin.x + dx) + " " + std::to_string(origin.y + dy);
}

class BlankScreenE2E : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_saver = std::string(ORVANE_SAVERS_DIR) + kSaverName;
        ASSERT_TRUE(fs::exists(m_saver)) << m_saver << " is missing: build the blankscreen target";
        ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run under scripts/with-xvfb";
        ASSERT_FALSE(m_root.empty());
        setenv("ORVANE_ROOT", m_root.c_str(), 1);
        unsetenv("PO");
    }
    void TearDown() override
    {
        if (m_child.running())
            m_child.forceEnd(plat::systemClock());
        unsetenv("ORVANE_ROOT");
    }

    void protectWithPassword()
    {
        const auto loc = plat::Locations::underRoot(m_root);
        plat::Registry registry(loc.userHive, loc.machineHive);
        host::Host host(registry, loc);
        ASSERT_TRUE(host.setPassword(kPassword));
        ASSERT_TRUE(registry.hive(plat::Hive::CurrentUser)
                        .setString(host::kDesktopKey, host::kUsePasswordValue, "1"));
    }

    // Starts the saver with args and waits for its first window; returns its id.
    unsigned long start(const std::vector<std::string>& args)
    {
        std::string error;
        EXPECT_TRUE(m_child.start(m_saver, args, plat::Priority::Normal, &error)) << error;
        unsigned long id = 0;
        const bool found = pollUntil(
            [&] {
                const auto ids = windowIds("--onlyvisible --pid " + std::to_string(m_child.pid()));
                if (!ids.empty())
                    id = ids.front();
                return id != 0 || !m_child.running();
            },
            kStartTimeoutMs);
        EXPECT_TRUE(found && id != 0) << "no window of the saver appeared";
        return id;
    }

    // Where the pointer rests once the saver has started (a full-screen window may move it
    // when it appears); the saver's first sight of the pointer is there or at the next move.
    Point settledPointer()
    {
        Point last = pointer();
        pollUntil(
            [&] {
                plat::systemClock().sleepMs(kPollMs * 5);
                const Point now = pointer();
                const bool same = now == last;
                last = now;
                return same;
            },
            kStartTimeoutMs);
        return last;
    }

    bool stillRunningAfterSettling() { return !m_child.wait(plat::systemClock(), kSettleMs); }

    void expectEndsWithZero()
    {
        ASSERT_TRUE(m_child.wait(plat::systemClock(), kEndTimeoutMs)) << "the saver did not end";
        EXPECT_EQ(m_child.exitCode(), 0);
    }

    bool dialogShown() { return !windowIds("--onlyvisible --name '" + std::string(kDialogTitle) + "'").empty(); }

    // The dialog is up and has the keyboard, so that typing reaches it.
    bool dialogReady()
    {
        const auto ids = windowIds("--onlyvisible --name '" + std::string(kDialogTitle) + "'");
        if (ids.empty())
            return false;
        unsigned long focus = 0;
        std::istringstream(capture("xdotool getwindowfocus 2>/dev/null")) >> focus;
        return focus == ids.front();
    }

    testsupport::TempFolder m_folder{"blank-e2e"};
    std::string m_root = m_folder.path();
    std::string m_saver;
    plat::ChildProcess m_child;
};

} // namespace

TEST_F(BlankScreenE2E, CoversTheScreenHidesThePointerKeepsRunningOnDriftAndEndsOnAKey)
{
    ASSERT_TRUE(pointerVisible()) << "the desktop's pointer should be seen before the saver starts";
    const unsigned long id = start({"/s"});
    ASSERT_NE(id, 0u);
    int screenW = 0, screenH = 0;
    std::sscanf(capture("xdotool getdisplaygeometry").c_str(), "%d %d", &screenW, &screenH);
    const Geometry g = windowGeometry(id);
    EXPECT_EQ(g.x, 0);
    EXPECT_EQ(g.y, 0);
    EXPECT_EQ(g.width, screenW);
    EXPECT_EQ(g.height, screenH);

    // Drift: every position stays within 20 pixels of both possible first sights.
    const Point o = settledPointer();
    EXPECT_FALSE(pointerVisible()) << "the pointer shows over the saver";
    for (const auto& [dx, dy] : {std::pair{1, 0}, {15, 18}, {19, -19}, {-18, 19}, {1, 0}})
        xdotool(moveTo(o, dx, dy));
    EXPECT_TRUE(stillRunningAfterSettling()) << "a drift of at most 20 pixels ended the saver";

    xdotool("key a");
    expectEndsWithZero();
}

TEST_F(BlankScreenE2E, AClearMouseMovementEndsIt)
{
    ASSERT_NE(start({"/s"}), 0u);
    const Point o = settledPointer();
    xdotool(moveTo(o, 1, 0));
    xdotool(moveTo(o, 15, 18));
    EXPECT_TRUE(stillRunningAfterSettling());
    xdotool(moveTo(o, 60, 0));
    expectEndsWithZero();
}

TEST_F(BlankScreenE2E, PasswordDialogWrongResumesRightEnds)
{
    protectWithPassword();
    xdotool("mousemove 500 300");
    ASSERT_NE(start({"/s"}), 0u);

    xdotool("key a");
    ASSERT_TRUE(pollUntil([&] { return dialogReady(); }, kDialogTimeoutMs)) << "no password dialog";
    xdotool("type --delay 20 wrong");
    xdotool("key Return");
    ASSERT_TRUE(pollUntil([&] { return !dialogShown(); }, kDialogTimeoutMs));
    EXPECT_TRUE(stillRunningAfterSettling()) << "a wrong password ended the saver";

    xdotool("key a");
    ASSERT_TRUE(pollUntil([&] { return dialogReady(); }, kDialogTimeoutMs)) << "no second dialog";
    xdotool(std::string("type --delay 20 ") + kPassword);
    xdotool("key Return");
    expectEndsWithZero();
}

TEST_F(BlankScreenE2E, SigtermEndsItPromptly)
{
    protectWithPassword();   // a close request from outside asks no password
    ASSERT_NE(start({"/s"}), 0u);
    m_child.requestClose();
    expectEndsWithZero();
    EXPECT_FALSE(dialogShown());
}

TEST_F(BlankScreenE2E, PreviewDrawsBlackIntoTheHostWindow)
{
    constexpr int kWidth = 320, kHeight = 240;
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    const int screen = DefaultScreen(display);
    const Window parent = XCreateSimpleWindow(display, RootWindow(display, screen), 100, 100, kWidth,
                                              kHeight, 0, BlackPixel(display, screen),
                                              WhitePixel(display, screen));
    XMapWindow(display, parent);
    XSync(display, False);

    const auto centrePixel = [&]() -> unsigned long {
        XImage* image = XGetImage(display, parent, kWidth / 2, kHeight / 2, 1, 1, AllPlanes, ZPixmap);
        if (!image)
            return ~0ul;
        const unsigned long pixel = XGetPixel(image, 0, 0);
        XDestroyImage(image);
        return pixel;
    };
    ASSERT_TRUE(pollUntil([&] { return centrePixel() == WhitePixel(display, screen); }, kStartTimeoutMs));

    std::string error;
    ASSERT_TRUE(m_child.start(m_saver, {"/p", std::to_string(parent)}, plat::Priority::Normal, &error)) << error;
    const auto childCount = [&] {
        Window root = 0, par = 0, *children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(display, parent, &root, &par, &children, &count))
            return 0u;
        if (children)
            XFree(children);
        return count;
    };
    EXPECT_TRUE(pollUntil([&] { return childCount() > 0; }, kStartTimeoutMs)) << "no child window";
    EXPECT_TRUE(pollUntil([&] { return centrePixel() == BlackPixel(display, screen); }, kStartTimeoutMs))
        << "the host window was not painted black";
    EXPECT_TRUE(m_child.running());

    // The host ends a preview by destroying its window.
    XDestroyWindow(display, parent);
    XSync(display, False);
    expectEndsWithZero();
    XCloseDisplay(display);
}

TEST_F(BlankScreenE2E, PreviewOfAMissingWindowEndsAtOnce)
{
    std::string error;
    ASSERT_TRUE(m_child.start(m_saver, {"/p", "123456789"}, plat::Priority::Normal, &error)) << error;
    expectEndsWithZero();
}

TEST_F(BlankScreenE2E, ChangePasswordModeStoresTheNewPassword)
{
    std::string error;
    ASSERT_TRUE(m_child.start(m_saver, {"/a", "0"}, plat::Priority::Normal, &error)) << error;
    ASSERT_TRUE(pollUntil([&] { return dialogReady(); }, kStartTimeoutMs)) << "no change dialog";
    xdotool("type --delay 20 fresh1");
    xdotool("key Tab");
    xdotool("type --delay 20 fresh1");
    xdotool("key Return");
    expectEndsWithZero();

    const auto loc = plat::Locations::underRoot(m_root);
    plat::Registry registry(loc.userHive, loc.machineHive);
    host::Host host(registry, loc);
    EXPECT_TRUE(host.passwordSet());
    EXPECT_TRUE(host.checkPassword("fresh1"));
    EXPECT_FALSE(host.checkPassword("fresh"));
}
