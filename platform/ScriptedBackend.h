// A WindowBackend without a display, for tests: windows are plain records, tests push input
// messages that the next pump hands to the loop, and a wait advances a simulated clock (or
// returns at once). It counts presents and keeps each window's pixel surface in memory.
#pragma once

#include "platform/WakePipe.h"
#include "platform/Window.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <vector>

namespace plat {

class SimulatedClock;

class ScriptedBackend final : public WindowBackend {
public:
    // One created window as the backend sees it.
    struct WindowRecord {
        WindowSpec params;
        Size size;
        std::vector<uint8_t> pixels;   // 4 bytes per pixel, allocated on the first lockSurface
        int surfacePresents = 0;       // presentSurface calls
        int lastFirstRow = -1;         // rows of the latest presentSurface
        int lastRowCount = 0;
        int glPresents = 0;            // presentGL calls
        bool grabbed = false;
    };

    // clock: advanced by waitInput(timeout >= 0) when nothing waits; may be null, in which
    // case waits with a timeout sleep for real on an internal pipe. screen: the screen size.
    explicit ScriptedBackend(SimulatedClock* clock = nullptr, Size screen = {1280, 1024});
    ~ScriptedBackend() override;
    ScriptedBackend(const ScriptedBackend&) = delete;
    ScriptedBackend& operator=(const ScriptedBackend&) = delete;

    // --- Scripting (thread-safe) ---
    // Queues an input message; the next pump hands it to the loop. A Paint message stands for
    // "the window was exposed" (the loop invalidates the window).
    void pushInput(const Message& msg);
    // Called from waitInput before it would sleep, with the timeout the loop asked for; a test
    // can push input or move time here. Runs on the loop's thread.
    void setWaitHook(std::function<void(ScriptedBackend&, int timeoutMs)> hook);
    // The next create calls fail (as a missing parent window would).
    void setCreateFails(bool fails);
    // Changes a window's client size (as a resized host window would).
    void setClientSize(WindowId id, Size size);

    // --- Observation ---
    bool hasWindow(WindowId id) const;
    // A copy of the window's record; a default record when the window does not exist.
    WindowRecord record(WindowId id) const;
    int windowCount() const;
    int createCalls() const;
    int destroyCalls() const;
    int waitCalls() const;
    // Timeouts of every waitInput call, in order.
    std::vector<int> waitTimeouts() const;
    int wakeCalls() const { return m_wakes.load(); }
    int pendingInput() const;

    // --- WindowBackend ---
    bool create(WindowId id, const WindowSpec& params) override;
    void destroy(WindowId id) override;
    Size clientSize(WindowId id) const override;
    Size screenSize() const override { return m_screen; }
    void pump(std::vector<Message>& out) override;
    bool inputWaiting() override;
    // Returns at once when input or a wake waits. Otherwise runs the wait hook; then, if still
    // nothing waits: timeout >= 0 advances the simulated clock by timeout (or sleeps for real
    // without a clock, until a wake or pushInput); timeout -1 blocks until pushInput or wake
    // from another thread, and throws std::runtime_error after a long real-time stall so that a
    // loop that would wait forever fails its test instead of hanging it.
    void waitInput(int timeoutMs) override;
    // Async-signal-safe: writes one byte to an internal pipe.
    void wake() override;
    bool makeGLCurrent(WindowId id) override;
    void presentGL(WindowId id) override;
    PixelSurface lockSurface(WindowId id) override;
    void presentSurface(WindowId id, int firstRow, int rowCount) override;
    void setInputGrab(WindowId id, bool grab) override;
    uint64_t nativeId(WindowId id) const override;

private:
    bool waitOnPipe(int timeoutMs);

    SimulatedClock* m_clock;
    Size m_screen;
    mutable std::mutex m_mutex;
    std::map<WindowId, WindowRecord> m_windows;
    std::deque<Message> m_input;
    std::function<void(ScriptedBackend&, int)> m_waitHook;
    std::vector<int> m_waitTimeouts;
    bool m_createFails = false;
    int m_creates = 0;
    int m_destroys = 0;
    std::atomic<int> m_wakes{0};
    WakePipe m_wake;
};

} // namespace plat
