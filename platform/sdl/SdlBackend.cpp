// The WindowBackend of the real programs: SDL2 windows on X11. Full-screen saver windows,
// preview windows inside a host's X window (made with Xlib, then adopted by SDL), GL
// contexts, pixel surfaces, and input translated into the loop's messages. Waiting sleeps in
// poll() on the X connections and a wake pipe, so signals and other threads can end it.
#include "platform/WakePipe.h"
#include "platform/Window.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <map>
#include <poll.h>
#include <unistd.h>

namespace plat {

namespace {

// Hidden windows carry timers and messages only; their size does not matter.
constexpr int kHiddenWidth = 64;
constexpr int kHiddenHeight = 64;
// The longest single sleep in waitInput: a safety net should an X event ever be queued
// without the socket becoming readable. Long enough never to count as spinning.
constexpr int kMaxWaitSliceMs = 250;
// Events peeked at once to decide whether any of them is input.
constexpr int kPeekBatch = 64;
// Colour and depth bits of GL windows.
constexpr int kGLColourBits = 8;
constexpr int kGLDepthBits = 24;
constexpr int kGLMajor = 2;
constexpr int kGLMinor = 1;

// Xlib reports protocol errors through one process-wide handler without user data; while a
// trap is active, errors are recorded here instead of ending the process.
std::atomic<int> gTrappedXError{0};

extern "C" int recordXError(Display*, XErrorEvent* event)
{
    gTrappedXError.store(event->error_code == 0 ? -1 : event->error_code);
    return 0;
}

// While a backend lives, X errors that are not trapped are noted and survived: a host may
// destroy a preview's parent window at any moment, and requests SDL still has on the way
// for the vanished window must not end the program.
extern "C" int surviveXError(Display*, XErrorEvent* event)
{
    gTrappedXError.store(event->error_code == 0 ? -1 : event->error_code);
    return 0;
}

class XErrorTrap {
public:
    explicit XErrorTrap(Display* display) : m_display(display)
    {
        XSync(m_display, False);
        gTrappedXError.store(0);
        m_old = XSetErrorHandler(recordXError);
    }
    ~XErrorTrap()
    {
        if (!m_done) {
            finish();
        }
    }
    // Waits for the server's answer to everything sent; the first error code, 0 when none.
    int finish()
    {
        XSync(m_display, False);
        XSetErrorHandler(m_old);
        m_done = true;
        return gTrappedXError.load();
    }

private:
    Display* m_display;
    XErrorHandler m_old = nullptr;
    bool m_done = false;
};

class SdlBackend final : public WindowBackend {
public:
    SdlBackend() = default;
    ~SdlBackend() override;

    bool start(std::string* error);

    bool create(WindowId id, const WindowSpec& params) override;
    void destroy(WindowId id) override;
    Size clientSize(WindowId id) const override;
    Size screenSize() const override;
    void pump(std::vector<Message>& out) override;
    bool inputWaiting() override;
    void waitInput(int timeoutMs) override;
    void wake() override;
    bool makeGLCurrent(WindowId id) override;
    void presentGL(WindowId id) override;
    PixelSurface lockSurface(WindowId id) override;
    void presentSurface(WindowId id, int firstRow, int rowCount) override;
    void setInputGrab(WindowId id, bool grab) override;
    uint64_t nativeId(WindowId id) const override;

private:
    struct Win {
        SDL_Window* window = nullptr;
        SDL_GLContext gl = nullptr;
        WindowKind kind = WindowKind::Hidden;
        ::Window childXid = 0;    // the X window made for a Child, owned by m_xdisplay
        ::Window parentXid = 0;
        bool focused = false;
        bool surfaceLocked = false;
    };

    Win* find(WindowId id);
    const Win* find(WindowId id) const;
    WindowId fromSdl(Uint32 sdlId) const;
    WindowId mainWindow() const;
    bool createChild(WindowId id, const WindowSpec& params, Win& win);
    void releaseWindow(Win& win);
    void noteSdlConnection(SDL_Window* window);
    void pumpParents(std::vector<Message>& out);
    void translate(const SDL_Event& ev, std::vector<Message>& out);
    void focusChanged(WindowId id, bool gained, std::vector<Message>& out);

    bool m_started = false;
    std::map<WindowId, Win> m_windows;
    std::map<Uint32, WindowId> m_bySdlId;
    Display* m_xdisplay = nullptr;   // our own connection: child windows, parent watching
    Display* m_sdlDisplay = nullptr; // SDL's X connection, learned from its first window
    int m_sdlFd = -1;
    XErrorHandler m_outerXHandler = nullptr;   // the handler before this backend
    bool m_handlerSet = false;
    WakePipe m_wake;
    bool m_appActive = false;
    int m_fullScreenCount = 0;
};

SdlBackend::~SdlBackend()
{
    for (auto& [id, win] : m_windows) {
        releaseWindow(win);
    }
    m_windows.clear();
    if (m_fullScreenCount > 0) {
        SDL_ShowCursor(SDL_ENABLE);
    }
    if (m_sdlDisplay != nullptr) {
        // Errors for windows already gone arrive now, while they are still survivable.
        XSetErrorHandler(surviveXError);
        XSync(m_sdlDisplay, False);
    }
    if (m_xdisplay != nullptr) {
        XCloseDisplay(m_xdisplay);
    }
    if (m_started) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    if (m_handlerSet) {
        XSetErrorHandler(m_outerXHandler);
    }
}

bool SdlBackend::start(std::string* error)
{
    // The desktop's idle timer keeps running while a saver or a long-lived instance runs.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    // SIGTERM and SIGINT belong to the message loop, not to SDL.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // A full-screen saver presents whole frames; the compositor need not copy them.
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "1");
    // Losing the focus must not minimise a saver, and the first click must reach it.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    // Closing windows is the loop's business: no extra quit event behind the close request.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // SDL may only adopt X windows; preview windows must get GL contexts too.
    SDL_SetHint(SDL_HINT_VIDEO_FOREIGN_WINDOW_OPENGL, "1");
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    // 2D savers present their pixel surface through shared-memory X images: SDL would
    // otherwise bring up a GL renderer for the window surface, which costs a GL start-up
    // per window and a texture upload per frame.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");

    // The handler in force before SDL sets its own; restored when this backend ends.
    m_outerXHandler = XSetErrorHandler(nullptr);
    XSetErrorHandler(m_outerXHandler);
    m_handlerSet = true;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        if (error != nullptr) {
            *error = std::string("cannot open the display: ") + SDL_GetError();
        }
        return false;
    }
    m_started = true;
    XSetErrorHandler(surviveXError);
    // Events that never become messages are not queued, so they never look like input.
    for (Uint32 type : {SDL_KEYUP, SDL_TEXTINPUT, SDL_TEXTEDITING, SDL_MOUSEBUTTONUP, SDL_MOUSEWHEEL}) {
        SDL_EventState(type, SDL_IGNORE);
    }
    m_xdisplay = XOpenDisplay(nullptr);
    if (m_xdisplay == nullptr) {
        if (error != nullptr) {
            *error = "cannot open the X display";
        }
        return false;
    }
    if (!m_wake.open()) {
        if (error != nullptr) {
            *error = "cannot create the wake pipe";
        }
        return false;
    }
    return true;
}

SdlBackend::Win* SdlBackend::find(WindowId id)
{
    auto it = m_windows.find(id);
    return it == m_windows.end() ? nullptr : &it->second;
}

const SdlBackend::Win* SdlBackend::find(WindowId id) const
{
    auto it = m_windows.find(id);
    return it == m_windows.end() ? nullptr : &it->second;
}

WindowId SdlBackend::fromSdl(Uint32 sdlId) const
{
    auto it = m_bySdlId.find(sdlId);
    return it == m_bySdlId.end() ? kNoWindow : it->second;
}

// The window that receives input SDL could not tie to a window, and a quit request: the
// first full-screen window, else the first window.
WindowId SdlBackend::mainWindow() const
{
    for (const auto& [id, win] : m_windows) {
        if (win.kind == WindowKind::FullScreen) {
            return id;
        }
    }
    return m_windows.empty() ? kNoWindow : m_windows.begin()->first;
}

void SdlBackend::noteSdlConnection(SDL_Window* window)
{
    if (m_sdlFd >= 0) {
        return;
    }
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11 && info.info.x11.display != nullptr) {
        m_sdlDisplay = info.info.x11.display;
        m_sdlFd = ConnectionNumber(m_sdlDisplay);
    }
}

bool SdlBackend::createChild(WindowId id, const WindowSpec& params, Win& win)
{
    (void)id;
    if (params.parentXid == 0) {
        SDL_SetError("no parent window given");
        return false;
    }
    const auto parent = static_cast<::Window>(params.parentXid);
    XWindowAttributes attrs{};
    ::Window child = 0;
    {
        XErrorTrap trap(m_xdisplay);
        const Status ok = XGetWindowAttributes(m_xdisplay, parent, &attrs);
        if (trap.finish() != 0 || ok == 0) {
            SDL_SetError("the parent window 0x%lx does not exist", static_cast<unsigned long>(parent));
            return false;
        }
    }
    const int width = std::max(attrs.width, 1);
    const int height = std::max(attrs.height, 1);
    {
        XErrorTrap trap(m_xdisplay);
        child = XCreateSimpleWindow(m_xdisplay, parent, 0, 0, static_cast<unsigned>(width),
                                    static_cast<unsigned>(height), 0, 0, 0);
        XSelectInput(m_xdisplay, child, ExposureMask);
        // The child follows the parent's size; a vanished parent closes the preview.
        XSelectInput(m_xdisplay, parent, StructureNotifyMask);
        XMapWindow(m_xdisplay, child);
        if (trap.finish() != 0 || child == 0) {
            if (child != 0) {
                XErrorTrap cleanup(m_xdisplay);
                XDestroyWindow(m_xdisplay, child);
            }
            SDL_SetError("cannot create a window inside 0x%lx", static_cast<unsigned long>(parent));
            return false;
        }
    }
    SDL_Window* window = SDL_CreateWindowFrom(reinterpret_cast<const void*>(static_cast<uintptr_t>(child)));
    if (window == nullptr) {
        XErrorTrap cleanup(m_xdisplay);
        XDestroyWindow(m_xdisplay, child);
        return false;
    }
    win.window = window;
    win.childXid = child;
    win.parentXid = parent;
    return true;
}

bool SdlBackend::create(WindowId id, const WindowSpec& params)
{
    if (!m_started || m_windows.count(id) != 0) {
        return false;
    }
    Win win;
    win.kind = params.kind;
    if (params.openGL) {
        SDL_GL_ResetAttributes();
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, kGLMajor);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, kGLMinor);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
        SDL_GL_SetAttribute(SDL_GL_RED_SIZE, kGLColourBits);
        SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, kGLColourBits);
        SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, kGLColourBits);
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, kGLDepthBits);
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    }
    const Uint32 glFlag = params.openGL ? SDL_WINDOW_OPENGL : 0;
    switch (params.kind) {
    case WindowKind::FullScreen: {
        SDL_Rect bounds{0, 0, 0, 0};
        if (SDL_GetDisplayBounds(0, &bounds) != 0) {
            return false;
        }
        win.window = SDL_CreateWindow(params.title.c_str(), bounds.x, bounds.y, bounds.w, bounds.h,
                                      SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP |
                                          SDL_WINDOW_FULLSCREEN_DESKTOP | glFlag);
        break;
    }
    case WindowKind::Child:
        if (!createChild(id, params, win)) {
            return false;
        }
        break;
    case WindowKind::Hidden:
        win.window = SDL_CreateWindow(params.title.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                      kHiddenWidth, kHiddenHeight, SDL_WINDOW_HIDDEN | glFlag);
        break;
    }
    if (win.window == nullptr) {
        return false;
    }
    if (params.openGL) {
        win.gl = SDL_GL_CreateContext(win.window);
        if (win.gl == nullptr) {
            releaseWindow(win);
            return false;
        }
    }
    if (params.kind == WindowKind::FullScreen) {
        // The saver owns the screen: on top, with the keyboard, and no pointer over it.
        SDL_RaiseWindow(win.window);
        SDL_SetWindowInputFocus(win.window);
        SDL_ShowCursor(SDL_DISABLE);
        ++m_fullScreenCount;
    }
    noteSdlConnection(win.window);
    m_bySdlId[SDL_GetWindowID(win.window)] = id;
    m_windows.emplace(id, win);
    return true;
}

void SdlBackend::releaseWindow(Win& win)
{
    if (win.gl != nullptr) {
        SDL_GL_DeleteContext(win.gl);
        win.gl = nullptr;
    }
    if (win.window != nullptr) {
        SDL_DestroyWindow(win.window);
        win.window = nullptr;
    }
    if (win.childXid != 0 && m_sdlDisplay != nullptr) {
        // SDL's last requests for the adopted window must reach the server before it goes.
        XErrorTrap trap(m_sdlDisplay);
        trap.finish();
    }
    if (win.childXid != 0 && m_xdisplay != nullptr) {
        // The parent may be gone already, and with it the child.
        XErrorTrap trap(m_xdisplay);
        XDestroyWindow(m_xdisplay, win.childXid);
        trap.finish();
        win.childXid = 0;
    }
}

void SdlBackend::destroy(WindowId id)
{
    auto it = m_windows.find(id);
    if (it == m_windows.end()) {
        return;
    }
    Win& win = it->second;
    if (win.window != nullptr) {
        m_bySdlId.erase(SDL_GetWindowID(win.window));
    }
    if (win.kind == WindowKind::FullScreen && --m_fullScreenCount == 0) {
        SDL_ShowCursor(SDL_ENABLE);
    }
    releaseWindow(win);
    m_windows.erase(it);
}

Size SdlBackend::clientSize(WindowId id) const
{
    const Win* win = find(id);
    if (win == nullptr || win->window == nullptr) {
        return {};
    }
    Size s;
    SDL_GetWindowSize(win->window, &s.width, &s.height);
    return s;
}

Size SdlBackend::screenSize() const
{
    SDL_Rect bounds{0, 0, 0, 0};
    if (!m_started || SDL_GetDisplayBounds(0, &bounds) != 0) {
        return {};
    }
    return Size{bounds.w, bounds.h};
}

// Watches the host windows of previews: a resized parent resizes its child, a destroyed one
// closes it.
void SdlBackend::pumpParents(std::vector<Message>& out)
{
    if (m_xdisplay == nullptr) {
        return;
    }
    while (XPending(m_xdisplay) > 0) {
        XEvent ev;
        XNextEvent(m_xdisplay, &ev);
        for (auto& [id, win] : m_windows) {
            if (win.kind != WindowKind::Child) {
                continue;
            }
            if (ev.type == Expose && ev.xexpose.window == win.childXid && ev.xexpose.count == 0) {
                out.push_back(Message{Msg::Paint, id});
            } else if (ev.type == ConfigureNotify && ev.xconfigure.window == win.parentXid) {
                int w = 0;
                int h = 0;
                SDL_GetWindowSize(win.window, &w, &h);
                const int nw = std::max(ev.xconfigure.width, 1);
                const int nh = std::max(ev.xconfigure.height, 1);
                if (nw != w || nh != h) {
                    SDL_SetWindowSize(win.window, nw, nh);
                    out.push_back(Message{Msg::Paint, id});
                }
            } else if (ev.type == DestroyNotify && ev.xdestroywindow.window == win.parentXid) {
                win.childXid = 0;   // went with its parent
                out.push_back(Message{Msg::Close, id});
            }
        }
    }
}

void SdlBackend::focusChanged(WindowId id, bool gained, std::vector<Message>& out)
{
    Win* win = find(id);
    if (win == nullptr || win->focused == gained) {
        return;
    }
    win->focused = gained;
    const int64_t flag = gained ? 1 : 0;
    if (gained && !m_appActive) {
        m_appActive = true;
        for (const auto& [other, w] : m_windows) {
            out.push_back(Message{Msg::ActivateApp, other, 1});
        }
    }
    out.push_back(Message{Msg::NcActivate, id, flag});
    out.push_back(Message{Msg::Activate, id, flag});
}

void SdlBackend::translate(const SDL_Event& ev, std::vector<Message>& out)
{
    auto target = [this](Uint32 sdlId) {
        const WindowId id = fromSdl(sdlId);
        return id != kNoWindow ? id : mainWindow();
    };
    switch (ev.type) {
    case SDL_KEYDOWN: {
        Message m;
        m.type = (ev.key.keysym.mod & KMOD_ALT) != 0 ? Msg::SysKeyDown : Msg::KeyDown;
        m.window = target(ev.key.windowID);
        switch (ev.key.keysym.sym) {
        case SDLK_ESCAPE:
            m.wParam = kKeyEscape;
            break;
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
            m.wParam = kKeyReturn;
            break;
        default:
            m.wParam = ev.key.keysym.sym;
            break;
        }
        out.push_back(m);
        break;
    }
    case SDL_MOUSEBUTTONDOWN: {
        Message m;
        switch (ev.button.button) {
        case SDL_BUTTON_LEFT:
            m.type = Msg::LButtonDown;
            break;
        case SDL_BUTTON_MIDDLE:
            m.type = Msg::MButtonDown;
            break;
        case SDL_BUTTON_RIGHT:
            m.type = Msg::RButtonDown;
            break;
        default:
            return;
        }
        m.window = target(ev.button.windowID);
        m.x = ev.button.x;
        m.y = ev.button.y;
        out.push_back(m);
        break;
    }
    case SDL_MOUSEMOTION: {
        Message m;
        m.type = Msg::MouseMove;
        m.window = target(ev.motion.windowID);
        m.x = ev.motion.x;
        m.y = ev.motion.y;
        out.push_back(m);
        break;
    }
    case SDL_WINDOWEVENT: {
        const WindowId id = fromSdl(ev.window.windowID);
        if (id == kNoWindow) {
            return;
        }
        switch (ev.window.event) {
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            focusChanged(id, true, out);
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            focusChanged(id, false, out);
            break;
        case SDL_WINDOWEVENT_CLOSE:
            out.push_back(Message{Msg::Close, id});
            break;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            out.push_back(Message{Msg::Paint, id});
            break;
        default:
            break;
        }
        break;
    }
    case SDL_QUIT: {
        const WindowId id = mainWindow();
        if (id != kNoWindow) {
            out.push_back(Message{Msg::Close, id});
        }
        break;
    }
    default:
        break;
    }
}

void SdlBackend::pump(std::vector<Message>& out)
{
    m_wake.drain();
    pumpParents(out);
    SDL_Event ev;
    while (SDL_PollEvent(&ev) != 0) {
        translate(ev, out);
    }
    // The application stays active while one of its windows has the focus; it is deactivated
    // once focus left them all (a move between its own windows arrives as one batch).
    if (m_appActive && std::none_of(m_windows.begin(), m_windows.end(), [](const auto& p) { return p.second.focused; })) {
        m_appActive = false;
        for (const auto& [id, w] : m_windows) {
            out.push_back(Message{Msg::ActivateApp, id, 0});
        }
    }
}

bool SdlBackend::inputWaiting()
{
    SDL_PumpEvents();
    SDL_Event events[kPeekBatch];
    const int n = SDL_PeepEvents(events, kPeekBatch, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
    for (int i = 0; i < n; ++i) {
        // Only events that become messages count; an exposure is a repaint, not input.
        std::vector<Message> translated;
        const bool wasActive = m_appActive;
        std::map<WindowId, bool> focus;
        for (const auto& [id, w] : m_windows) {
            focus[id] = w.focused;
        }
        translate(events[i], translated);
        // Peeking changes nothing: undo what translating did to the focus state.
        m_appActive = wasActive;
        for (auto& [id, w] : m_windows) {
            w.focused = focus[id];
        }
        if (std::any_of(translated.begin(), translated.end(), [](const Message& m) { return m.type != Msg::Paint; })) {
            return true;
        }
    }
    return m_xdisplay != nullptr && XPending(m_xdisplay) > 0;
}

void SdlBackend::waitInput(int timeoutMs)
{
    if (m_wake.drain()) {
        return;
    }
    // Move whatever the X connections hold into SDL's queue first: afterwards a readable
    // socket is the only way new events can arrive.
    SDL_PumpEvents();
    SDL_Event probe;
    if (SDL_PeepEvents(&probe, 1, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0 ||
        (m_xdisplay != nullptr && XPending(m_xdisplay) > 0)) {
        return;
    }
    pollfd fds[3];
    nfds_t count = 0;
    fds[count++] = pollfd{m_wake.readEnd(), POLLIN, 0};
    if (m_sdlFd >= 0) {
        fds[count++] = pollfd{m_sdlFd, POLLIN, 0};
    }
    if (m_xdisplay != nullptr) {
        fds[count++] = pollfd{ConnectionNumber(m_xdisplay), POLLIN, 0};
    }
    const int slice = timeoutMs < 0 ? kMaxWaitSliceMs : std::min(timeoutMs, kMaxWaitSliceMs);
    // EINTR needs no handling: a signal's handler has set what the loop looks at next.
    poll(fds, count, slice);
}

void SdlBackend::wake()
{
    m_wake.signal('w');  // async-signal-safe
}

bool SdlBackend::makeGLCurrent(WindowId id)
{
    const Win* win = find(id);
    return win != nullptr && win->gl != nullptr && SDL_GL_MakeCurrent(win->window, win->gl) == 0;
}

void SdlBackend::presentGL(WindowId id)
{
    const Win* win = find(id);
    if (win != nullptr && win->gl != nullptr) {
        SDL_GL_SwapWindow(win->window);
    }
}

PixelSurface SdlBackend::lockSurface(WindowId id)
{
    Win* win = find(id);
    if (win == nullptr || win->window == nullptr || win->gl != nullptr) {
        return {};
    }
    SDL_Surface* surface = SDL_GetWindowSurface(win->window);
    if (surface == nullptr) {
        return {};
    }
    if (SDL_MUSTLOCK(surface)) {
        if (SDL_LockSurface(surface) != 0) {
            return {};
        }
        win->surfaceLocked = true;
    }
    PixelSurface s;
    s.pixels = static_cast<uint8_t*>(surface->pixels);
    s.width = surface->w;
    s.height = surface->h;
    s.pitch = surface->pitch;
    s.bytesPerPixel = surface->format->BytesPerPixel;
    return s;
}

void SdlBackend::presentSurface(WindowId id, int firstRow, int rowCount)
{
    Win* win = find(id);
    if (win == nullptr || win->window == nullptr || win->gl != nullptr) {
        return;
    }
    SDL_Surface* surface = SDL_GetWindowSurface(win->window);
    if (surface == nullptr) {
        return;
    }
    if (win->surfaceLocked) {
        SDL_UnlockSurface(surface);
        win->surfaceLocked = false;
    }
    // Only the rows that changed travel to the server.
    const int first = std::clamp(firstRow, 0, surface->h);
    const int last = std::clamp(firstRow + std::max(rowCount, 0), 0, surface->h);
    if (last <= first) {
        return;
    }
    const SDL_Rect rect{0, first, surface->w, last - first};
    SDL_UpdateWindowSurfaceRects(win->window, &rect, 1);
}

void SdlBackend::setInputGrab(WindowId id, bool grab)
{
    const Win* win = find(id);
    if (win != nullptr && win->window != nullptr) {
        if (grab) {
            // SDL grabs only for the focused window; after a dialog of ours closed on a
            // display without a window manager, nobody gives the focus back.
            SDL_RaiseWindow(win->window);
            SDL_SetWindowInputFocus(win->window);
        }
        SDL_SetWindowGrab(win->window, grab ? SDL_TRUE : SDL_FALSE);
        SDL_SetWindowKeyboardGrab(win->window, grab ? SDL_TRUE : SDL_FALSE);
    }
}

uint64_t SdlBackend::nativeId(WindowId id) const
{
    const Win* win = find(id);
    if (win == nullptr || win->window == nullptr) {
        return 0;
    }
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(win->window, &info) || info.subsystem != SDL_SYSWM_X11) {
        return 0;
    }
    return static_cast<uint64_t>(info.info.x11.window);
}

} // namespace

std::unique_ptr<WindowBackend> createSdlBackend(std::string* error)
{
    auto backend = std::make_unique<SdlBackend>();
    if (!backend->start(error)) {
        return nullptr;
    }
    return backend;
}

} // namespace plat
