// The SDL2 backend on a private X server: full-screen windows, preview windows inside a
// foreign X window, real input through the XTEST extension, GL contexts and pixel surfaces.
#include "platform/Clock.h"
#include "platform/Window.h"

#include <gtest/gtest.h>

// After gtest: Xlib's macros (None, Bool, Status) would break its headers.
#include <GL/gl.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using plat::Message;
using plat::Msg;
using plat::WindowId;
using plat::WindowKind;
using plat::WindowSpec;

// A generous bound for events to travel through the X server; only guards against hangs.
constexpr int64_t kEventDeadlineMs = 5000;
constexpr int kWaitSliceMs = 50;
constexpr int kXvfbWidth = 1280;
constexpr int kXvfbHeight = 1024;

// The X server resets when its last client leaves, and refuses connections meanwhile; one
// connection held for the whole program keeps tests that open and close theirs from racing it.
class HoldDisplay : public ::testing::Environment {
public:
    void SetUp() override { m_display = XOpenDisplay(nullptr); }
    void TearDown() override
    {
        if (m_display != nullptr) {
            XCloseDisplay(m_display);
            m_display = nullptr;
        }
    }

private:
    Display* m_display = nullptr;
};
[[maybe_unused]] ::testing::Environment* const gHoldDisplay = ::testing::AddGlobalTestEnvironment(new HoldDisplay);

struct Recorder : plat::WindowHandler {
    std::vector<Message> got;
    std::function<bool(const Message&)> react;
    bool onMessage(const Message& msg) override
    {
        got.push_back(msg);
        return react ? react(msg) : false;
    }
    const Message* find(Msg type) const
    {
        for (const Message& m : got) {
            if (m.type == type) {
                return &m;
            }
        }
        return nullptr;
    }
};

class SdlBackendTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        backend = plat::createSdlBackend(&error);
        ASSERT_NE(backend, nullptr) << error;
        loop = std::make_unique<plat::MessageLoop>(*backend, plat::systemClock());
        x = XOpenDisplay(nullptr);
        ASSERT_NE(x, nullptr);
    }
    void TearDown() override
    {
        loop.reset();
        backend.reset();
        if (x != nullptr) {
            XCloseDisplay(x);
        }
    }

    // Runs the loop until pred holds or the deadline passes; returns whether it held.
    bool runUntil(const std::function<bool()>& pred)
    {
        const int64_t end = plat::systemClock().nowMs() + kEventDeadlineMs;
        while (!pred()) {
            if (plat::systemClock().nowMs() > end) {
                return false;
            }
            loop->runPending();
            if (!pred()) {
                backend->waitInput(kWaitSliceMs);
            }
        }
        return true;
    }

    WindowId open(Recorder& h, WindowSpec params)
    {
        return loop->createWindow(params, &h);
    }

    static int xdotool(const std::string& args)
    {
        return std::system(("xdotool " + args + " >/dev/null 2>&1").c_str());
    }

    // The pixel of a window as the X server has it, as 0xRRGGBB.
    unsigned long serverPixel(uint64_t xid, int px, int py)
    {
        XImage* image = XGetImage(x, static_cast<Window>(xid), px, py, 1, 1, AllPlanes, ZPixmap);
        if (image == nullptr) {
            return ~0UL;
        }
        const unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFFUL;
        XDestroyImage(image);
        return pixel;
    }

    std::unique_ptr<plat::WindowBackend> backend;
    std::unique_ptr<plat::MessageLoop> loop;
    Display* x = nullptr;
};

TEST_F(SdlBackendTest, FullScreenWindowCoversTheScreen)
{
    EXPECT_EQ(backend->screenSize().width, kXvfbWidth);
    EXPECT_EQ(backend->screenSize().height, kXvfbHeight);

    Recorder h;
    const WindowId w = open(h, WindowSpec{WindowKind::FullScreen, "full"});
    ASSERT_NE(w, plat::kNoWindow);
    EXPECT_EQ(backend->clientSize(w).width, kXvfbWidth);
    EXPECT_EQ(backend->clientSize(w).height, kXvfbHeight);

    // The X server agrees: mapped at the origin with the screen's size and no border.
    const uint64_t xid = backend->nativeId(w);
    ASSERT_NE(xid, 0u);
    ASSERT_TRUE(runUntil([&] {
        XWindowAttributes a{};
        return XGetWindowAttributes(x, static_cast<Window>(xid), &a) != 0 && a.map_state == IsViewable;
    }));
    XWindowAttributes a{};
    ASSERT_NE(XGetWindowAttributes(x, static_cast<Window>(xid), &a), 0);
    Window child = 0;
    int rx = -1;
    int ry = -1;
    XTranslateCoordinates(x, static_cast<Window>(xid), DefaultRootWindow(x), 0, 0, &rx, &ry, &child);
    EXPECT_EQ(rx, 0);
    EXPECT_EQ(ry, 0);
    EXPECT_EQ(a.width, kXvfbWidth);
    EXPECT_EQ(a.height, kXvfbHeight);
    EXPECT_EQ(a.border_width, 0);
    // A new window is painted once it is shown.
    EXPECT_TRUE(runUntil([&] { return h.find(Msg::Paint) != nullptr; }));
}

TEST_F(SdlBackendTest, RealInputBecomesMessages)
{
    Recorder h;
    h.react = [](const Message&) { return true; };
    const WindowId w = open(h, WindowSpec{WindowKind::FullScreen, "input"});
    ASSERT_NE(w, plat::kNoWindow);
    ASSERT_TRUE(runUntil([&] { return h.find(Msg::Paint) != nullptr; }));

    struct Case {
        std::string command;
        Msg type;
        int64_t wParam;   // checked for keys
        int px;           // checked for pointer messages
        int py;
    };
    const std::vector<Case> cases{
        {"mousemove 100 200", Msg::MouseMove, 0, 100, 200},
        {"click 1", Msg::LButtonDown, 0, 100, 200},
        {"click 3", Msg::RButtonDown, 0, 100, 200},
        {"click 2", Msg::MButtonDown, 0, 100, 200},
        {"key a", Msg::KeyDown, 'a', 0, 0},
        {"key Escape", Msg::KeyDown, plat::kKeyEscape, 0, 0},
        {"key Return", Msg::KeyDown, plat::kKeyReturn, 0, 0},
        {"key alt+x", Msg::SysKeyDown, 'x', 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        h.got.clear();
        ASSERT_EQ(xdotool(c.command), 0);
        const bool seen = runUntil([&] {
            for (const Message& m : h.got) {
                if (m.type == c.type && (m.type != Msg::KeyDown && m.type != Msg::SysKeyDown ? true : m.wParam == c.wParam)) {
                    return true;
                }
            }
            return false;
        });
        ASSERT_TRUE(seen);
        const Message* m = h.find(c.type);
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(m->window, w);
        if (c.type == Msg::MouseMove || c.type == Msg::LButtonDown || c.type == Msg::RButtonDown ||
            c.type == Msg::MButtonDown) {
            EXPECT_EQ(m->x, c.px);
            EXPECT_EQ(m->y, c.py);
        }
    }
}

TEST_F(SdlBackendTest, FocusChangesActivateAndDeactivateTheApplication)
{
    Recorder h;
    h.react = [](const Message&) { return true; };
    const WindowId w = open(h, WindowSpec{WindowKind::FullScreen, "focus"});
    ASSERT_NE(w, plat::kNoWindow);
    auto activation = [&h] {
        std::vector<std::pair<Msg, int64_t>> seq;
        for (const Message& m : h.got) {
            if (m.type == Msg::ActivateApp || m.type == Msg::NcActivate || m.type == Msg::Activate) {
                seq.emplace_back(m.type, m.wParam);
            }
        }
        return seq;
    };
    // A full-screen window takes the keyboard focus when it appears.
    ASSERT_TRUE(runUntil([&] { return activation().size() >= 3; }));
    const std::vector<std::pair<Msg, int64_t>> gained{{Msg::ActivateApp, 1}, {Msg::NcActivate, 1}, {Msg::Activate, 1}};
    EXPECT_EQ(activation(), gained);

    h.got.clear();
    XSetInputFocus(x, PointerRoot, RevertToPointerRoot, CurrentTime);
    XSync(x, False);
    ASSERT_TRUE(runUntil([&] { return activation().size() >= 3; }));
    const std::vector<std::pair<Msg, int64_t>> lost{{Msg::NcActivate, 0}, {Msg::Activate, 0}, {Msg::ActivateApp, 0}};
    EXPECT_EQ(activation(), lost);
}

TEST_F(SdlBackendTest, InputWaitingPeeksWithoutTakingTheInput)
{
    Recorder h;
    h.react = [](const Message&) { return true; };
    const WindowId w = open(h, WindowSpec{WindowKind::FullScreen, "peek"});
    ASSERT_NE(w, plat::kNoWindow);
    ASSERT_TRUE(runUntil([&] { return h.find(Msg::Paint) != nullptr; }));
    // Drain whatever showing the window brought.
    while (loop->isMessageWaiting()) {
        loop->runPending();
    }
    h.got.clear();
    ASSERT_EQ(xdotool("key b"), 0);
    const int64_t end = plat::systemClock().nowMs() + kEventDeadlineMs;
    bool waiting = false;
    while (!(waiting = loop->isMessageWaiting()) && plat::systemClock().nowMs() < end) {
        backend->waitInput(kWaitSliceMs);
    }
    ASSERT_TRUE(waiting);
    EXPECT_TRUE(loop->isMessageWaiting());   // still there: peeking removed nothing
    EXPECT_TRUE(h.got.empty());
    loop->runPending();
    const Message* key = h.find(Msg::KeyDown);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->wParam, 'b');
}

class ParentWindow {
public:
    ParentWindow(Display* x, int w, int h) : m_x(x)
    {
        m_id = XCreateSimpleWindow(x, DefaultRootWindow(x), 10, 10, w, h, 0, 0, 0);
        XMapWindow(x, m_id);
        XSync(x, False);
    }
    ~ParentWindow() { destroy(); }
    void destroy()
    {
        if (m_id != 0) {
            XDestroyWindow(m_x, m_id);
            XSync(m_x, False);
            m_id = 0;
        }
    }
    Window id() const { return m_id; }

private:
    Display* m_x;
    Window m_id = 0;
};

TEST_F(SdlBackendTest, ChildWindowFillsItsParentAndFollowsItsSize)
{
    ParentWindow parent(x, 300, 200);
    Recorder h;
    WindowSpec params{WindowKind::Child, "preview", parent.id()};
    const WindowId w = open(h, params);
    ASSERT_NE(w, plat::kNoWindow);
    EXPECT_EQ(backend->clientSize(w).width, 300);
    EXPECT_EQ(backend->clientSize(w).height, 200);

    // The X server agrees: the window lives inside the parent at its origin.
    const auto xid = static_cast<Window>(backend->nativeId(w));
    Window root = 0;
    Window xparent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    ASSERT_NE(XQueryTree(x, xid, &root, &xparent, &children, &count), 0);
    if (children != nullptr) {
        XFree(children);
    }
    EXPECT_EQ(xparent, parent.id());
    XWindowAttributes a{};
    ASSERT_NE(XGetWindowAttributes(x, xid, &a), 0);
    EXPECT_EQ(a.x, 0);
    EXPECT_EQ(a.y, 0);
    EXPECT_EQ(a.width, 300);
    EXPECT_EQ(a.height, 200);

    XResizeWindow(x, parent.id(), 420, 260);
    XSync(x, False);
    EXPECT_TRUE(runUntil([&] { return backend->clientSize(w).width == 420 && backend->clientSize(w).height == 260; }));
    ASSERT_NE(XGetWindowAttributes(x, xid, &a), 0);
    EXPECT_EQ(a.width, 420);
    EXPECT_EQ(a.height, 260);

    // The host closing its window ends the preview as a close request would.
    h.got.clear();
    parent.destroy();
    EXPECT_TRUE(runUntil([&] { return !loop->isWindow(w); }));
    EXPECT_NE(h.find(Msg::Close), nullptr);
    EXPECT_NE(h.find(Msg::Destroy), nullptr);
}

TEST_F(SdlBackendTest, ChildWithoutAUsableParentFailsCleanly)
{
    // An id no client has made, one from our own connection already destroyed, and none.
    Window gone = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, 10, 10, 0, 0, 0);
    XDestroyWindow(x, gone);
    XSync(x, False);
    const std::vector<uint64_t> parents{0x7ffffff0ULL, gone, 0};
    for (uint64_t parent : parents) {
        SCOPED_TRACE(parent);
        Recorder h;
        EXPECT_EQ(open(h, WindowSpec{WindowKind::Child, "preview", parent}), plat::kNoWindow);
    }
    // The backend is still fine afterwards.
    ParentWindow good(x, 50, 40);
    Recorder h;
    const WindowId w = open(h, WindowSpec{WindowKind::Child, "preview", good.id()});
    ASSERT_NE(w, plat::kNoWindow);
    EXPECT_EQ(backend->clientSize(w).width, 50);
}

struct GLCase {
    WindowKind kind;
    float red, green, blue;
    unsigned char expected[3];
};

TEST_F(SdlBackendTest, GLContextClearsAndReadsBack)
{
    const std::vector<GLCase> cases{
        {WindowKind::FullScreen, 1.0f, 0.0f, 0.0f, {255, 0, 0}},
        {WindowKind::Child, 0.0f, 1.0f, 1.0f, {0, 255, 255}},
    };
    for (const GLCase& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.kind));
        ParentWindow parent(x, 160, 120);
        Recorder h;
        WindowSpec params{c.kind, "gl", parent.id(), true};
        const WindowId w = open(h, params);
        ASSERT_NE(w, plat::kNoWindow);
        ASSERT_TRUE(backend->makeGLCurrent(w));
        const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
        ASSERT_NE(version, nullptr);
        int major = 0;
        int minor = 0;
        ASSERT_EQ(std::sscanf(version, "%d.%d", &major, &minor), 2);
        EXPECT_GE(major * 10 + minor, 21) << version;

        glClearColor(c.red, c.green, c.blue, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glFinish();
        unsigned char px[4] = {1, 2, 3, 4};
        glReadBuffer(GL_BACK);
        glReadPixels(5, 5, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        EXPECT_EQ(px[0], c.expected[0]);
        EXPECT_EQ(px[1], c.expected[1]);
        EXPECT_EQ(px[2], c.expected[2]);
        backend->presentGL(w);
        // A window without GL has no context to make current.
        Recorder plain;
        const WindowId p = open(plain, WindowSpec{WindowKind::Hidden, "plain"});
        EXPECT_FALSE(backend->makeGLCurrent(p));
        loop->destroyWindow(p);
        loop->destroyWindow(w);
    }
}

TEST_F(SdlBackendTest, SurfacePresentsOnlyTheGivenRows)
{
    ParentWindow parent(x, 200, 100);
    Recorder h;
    const WindowId w = open(h, WindowSpec{WindowKind::Child, "surface", parent.id()});
    ASSERT_NE(w, plat::kNoWindow);
    const uint64_t xid = backend->nativeId(w);

    plat::PixelSurface s = backend->lockSurface(w);
    ASSERT_NE(s.pixels, nullptr);
    EXPECT_EQ(s.width, 200);
    EXPECT_EQ(s.height, 100);
    ASSERT_GE(s.bytesPerPixel, 3);
    ASSERT_GE(s.pitch, s.width * s.bytesPerPixel);
    // Everything black on screen first.
    for (int row = 0; row < s.height; ++row) {
        std::fill_n(s.pixels + row * s.pitch, s.width * s.bytesPerPixel, 0);
    }
    backend->presentSurface(w, 0, s.height);
    ASSERT_EQ(serverPixel(xid, 50, 15), 0UL);

    // Then the whole surface white, but only rows 10..19 presented.
    s = backend->lockSurface(w);
    ASSERT_NE(s.pixels, nullptr);
    for (int row = 0; row < s.height; ++row) {
        std::fill_n(s.pixels + row * s.pitch, s.width * s.bytesPerPixel, 0xFF);
    }
    backend->presentSurface(w, 10, 10);
    EXPECT_EQ(serverPixel(xid, 50, 10), 0xFFFFFFUL);
    EXPECT_EQ(serverPixel(xid, 199, 19), 0xFFFFFFUL);
    EXPECT_EQ(serverPixel(xid, 50, 9), 0UL);
    EXPECT_EQ(serverPixel(xid, 50, 20), 0UL);

    // Rows outside the surface are clipped, not written past its end.
    backend->presentSurface(w, 90, 50);
    EXPECT_EQ(serverPixel(xid, 0, 99), 0xFFFFFFUL);
    backend->presentSurface(w, -5, 0);
    EXPECT_EQ(serverPixel(xid, 0, 0), 0UL);
}

TEST_F(SdlBackendTest, SigtermFromAnotherThreadEndsASleepingRun)
{
    Recorder h;
    const WindowId w = open(h, WindowSpec{WindowKind::FullScreen, "signal"});
    ASSERT_NE(w, plat::kNoWindow);
    h.react = [&](const Message& m) {
        if (m.type == Msg::Destroy) {
            loop->postQuit(143);
        }
        return false;
    };
    loop->installSignalHandlers(w);
    std::thread sender([] { kill(getpid(), SIGTERM); });
    EXPECT_EQ(loop->run(), 143);
    sender.join();
    EXPECT_NE(h.find(Msg::Close), nullptr);
}

} // namespace
