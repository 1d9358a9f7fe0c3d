// Windows and the message loop. Engines see only these types: windows are numbered, input
// arrives as messages in the platform's order, and a window repaints only when nothing else
// waits. The toolkit behind them (SDL2 on X11, or a scripted backend in tests) is one
// WindowBackend: a small list of functions, so engines are testable off screen.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace plat {

class Clock;

using WindowId = uint32_t;
constexpr WindowId kNoWindow = 0;

enum class Msg {
    Paint,
    KeyDown,        // wParam = key code (kKeyEscape, ...)
    SysKeyDown,     // a key pressed with Alt held
    LButtonDown,
    MButtonDown,
    RButtonDown,
    MouseMove,      // x, y in window coordinates
    Activate,       // wParam = 1 activated, 0 deactivated
    ActivateApp,    // wParam = 1 the application becomes active, 0 another one does
    NcActivate,     // wParam as Activate; the handler may refuse a deactivation
    SysCommand,     // wParam = SysCmd
    SetCursor,
    Close,          // a request to close: the default destroys the window
    Destroy,        // the window is being destroyed
    Timer,          // wParam = timer id
    User,           // program-defined; wParam, lParam as posted
    Quit,           // ends the loop; wParam = exit code
};

enum SysCmd : int64_t { kScScreenSave = 0xF140, kScClose = 0xF060 };

constexpr int64_t kKeyEscape = 27;
constexpr int64_t kKeyReturn = 13;

struct Message {
    Msg type = Msg::Paint;
    WindowId window = kNoWindow;
    int64_t wParam = 0;
    int64_t lParam = 0;
    int x = 0;
    int y = 0;
};

// What a window does with its messages. Returning false means "default processing":
// Close destroys the window, NcActivate allows the change, SysCommand(kScClose) posts Close.
class WindowHandler {
public:
    virtual ~WindowHandler() = default;
    virtual bool onMessage(const Message& msg) = 0;
};

struct Size {
    int width = 0;
    int height = 0;
};

enum class WindowKind {
    FullScreen,   // borderless, always on top, covering the screen, pointer hidden
    Child,        // inside a foreign window (the host's preview), filling its client area
    Hidden,       // never shown: timers and messages only
};

struct WindowSpec {
    WindowKind kind = WindowKind::Hidden;
    std::string title;
    uint64_t parentXid = 0;   // Child: the X11 window id of the host's window
    bool openGL = false;      // create a GL 2.1 compatibility context for the window
};

// A read-write view of a window's 24-bit-or-better pixel surface (for 2D savers).
struct PixelSurface {
    uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int pitch = 0;
    int bytesPerPixel = 0;
};

// The toolkit below the message loop.
class WindowBackend {
public:
    virtual ~WindowBackend() = default;
    virtual bool create(WindowId id, const WindowSpec& params) = 0;
    virtual void destroy(WindowId id) = 0;
    virtual Size clientSize(WindowId id) const = 0;
    virtual Size screenSize() const = 0;
    // Appends waiting input of all windows, translated into messages. A Paint entry means
    // "this window was exposed": the loop invalidates the window rather than delivering it.
    virtual void pump(std::vector<Message>& out) = 0;
    // Whether input waits, without removing it (pump, then peek).
    virtual bool inputWaiting() = 0;
    // Sleeps until input may have arrived or timeoutMs passed (-1: no limit).
    virtual void waitInput(int timeoutMs) = 0;
    // Wakes a waitInput from another thread or a signal handler.
    virtual void wake() = 0;
    virtual bool makeGLCurrent(WindowId id) = 0;
    virtual void presentGL(WindowId id) = 0;
    virtual PixelSurface lockSurface(WindowId id) = 0;
    virtual void presentSurface(WindowId id, int firstRow, int rowCount) = 0;
    virtual void setInputGrab(WindowId id, bool grab) = 0;
    virtual uint64_t nativeId(WindowId id) const = 0;   // X11 id, 0 when none
};

// The SDL2 backend (platform/sdl). Returns null when no display can be opened.
std::unique_ptr<WindowBackend> createSdlBackend(std::string* error = nullptr);

// The program's message loop: posted messages, timers and invalidation, with the
// platform's order — input and posted messages first, timers next, and a paint only when
// nothing else waits. One per program, owned by the application.
class MessageLoop {
public:
    MessageLoop(WindowBackend& backend, Clock& clock);
    ~MessageLoop();
    MessageLoop(const MessageLoop&) = delete;
    MessageLoop& operator=(const MessageLoop&) = delete;

    // Creates a window with its handler (not owned); kNoWindow on failure.
    WindowId createWindow(const WindowSpec& params, WindowHandler* handler);
    // Sends Destroy to the handler, then removes the window.
    void destroyWindow(WindowId id);
    bool isWindow(WindowId id) const;

    void post(const Message& msg);
    void postQuit(int exitCode);
    // Delivers a message to its window's handler at once, with default processing; returns
    // what the handler returned (false also when the window does not exist).
    bool send(const Message& msg);

    void setTimer(WindowId id, int64_t timerId, int64_t intervalMs);
    void killTimer(WindowId id, int64_t timerId);
    void invalidate(WindowId id);
    void validate(WindowId id);

    // The non-removing "is a message waiting" test: input, posted messages or a due timer.
    bool isMessageWaiting();

    // Runs until Quit; returns its exit code. Waiting sleeps; it never spins a core.
    int run();
    // Handles whatever waits now (tests), never sleeping; returns false when this turn
    // reached Quit (messages queued behind it stay for later turns).
    bool runPending();
    // Whether the last run()/runPending() reached Quit, and the exit code it carried.
    bool quitSeen() const;
    int exitCode() const;

    WindowBackend& backend() { return m_backend; }
    Clock& clock() { return m_clock; }

    // SIGTERM ends a saver as a close request to its main window; SIGINT acts as the
    // Escape key. The handlers only set flags and wake the loop.
    void installSignalHandlers(WindowId mainWindow);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    WindowBackend& m_backend;
    Clock& m_clock;
};

} // namespace plat
