// The program's message loop: a FIFO of input and posted messages, interval timers read from
// the program's Clock, and invalidated windows that are painted only when nothing else waits.
// It also holds the process's SIGTERM/SIGINT handling, which turns the signals into messages.
#include "platform/Window.h"

#include "platform/Clock.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <set>

namespace plat {

namespace {

constexpr int64_t kNsPerMs = 1000000;
// Shorter intervals are raised to this, as the platform's timers do; a zero interval would
// otherwise be due on every turn and starve painting.
constexpr int64_t kMinTimerIntervalMs = 10;

// Signal state is per process by nature: the handlers can only reach static storage. The
// handlers touch nothing but these lock-free atomics and the backend's async-signal-safe wake.
std::atomic<int> gTermPending{0};
std::atomic<int> gIntPending{0};
std::atomic<WindowBackend*> gWakeTarget{nullptr};
static_assert(std::atomic<int>::is_always_lock_free);
static_assert(std::atomic<WindowBackend*>::is_always_lock_free);

extern "C" void onLoopSignal(int sig)
{
    const int savedErrno = errno;
    if (sig == SIGTERM) {
        gTermPending.store(1);
    } else if (sig == SIGINT) {
        gIntPending.store(1);
    }
    if (WindowBackend* backend = gWakeTarget.load()) {
        backend->wake();
    }
    errno = savedErrno;
}

} // namespace

struct MessageLoop::Impl {
    struct Win {
        WindowHandler* handler = nullptr;
        bool destroying = false;
    };
    struct Timer {
        WindowId window;
        int64_t id;
        int64_t intervalMs;
        int64_t dueNs;
    };

    MessageLoop& loop;
    WindowBackend& backend;
    Clock& clock;
    std::map<WindowId, Win> windows;
    WindowId nextId = 1;
    std::deque<Message> queue;
    std::vector<Timer> timers;      // in the order they were set
    std::set<WindowId> invalid;     // painted lowest id first
    bool quitSeen = false;
    int quitCode = 0;

    // Signals, when this loop installed the handlers.
    bool signalsInstalled = false;
    WindowId signalWindow = kNoWindow;
    struct sigaction oldTerm {};
    struct sigaction oldInt {};

    Impl(MessageLoop& l, WindowBackend& b, Clock& c) : loop(l), backend(b), clock(c) {}

    int64_t nowNs() const
    {
        // Without a high-resolution counter, timers run on the process's coarse clock.
        return clock.hasCounter() ? clock.nowNs() : clock.processMs() * kNsPerMs;
    }

    bool signalPending() const
    {
        return signalsInstalled && (gTermPending.load() != 0 || gIntPending.load() != 0);
    }

    // Turns caught signals into messages at the end of the queue.
    void takeSignals()
    {
        if (!signalsInstalled) {
            return;
        }
        if (gTermPending.exchange(0) != 0 && windows.count(signalWindow) != 0) {
            queue.push_back(Message{Msg::Close, signalWindow});
        }
        if (gIntPending.exchange(0) != 0 && windows.count(signalWindow) != 0) {
            queue.push_back(Message{Msg::KeyDown, signalWindow, kKeyEscape});
        }
    }

    void pumpInput()
    {
        std::vector<Message> input;
        backend.pump(input);
        for (const Message& m : input) {
            if (windows.count(m.window) == 0) {
                continue;
            }
            if (m.type == Msg::Paint) {
                // The backend reports an exposed window: its picture must be redrawn.
                invalid.insert(m.window);
            } else {
                queue.push_back(m);
            }
        }
    }

    bool timerDue(int64_t now) const
    {
        return std::any_of(timers.begin(), timers.end(), [now](const Timer& t) { return t.dueNs <= now; });
    }

    // Milliseconds until the next timer is due (rounded up), or -1 without timers.
    int msUntilNextTimer() const
    {
        if (timers.empty()) {
            return -1;
        }
        int64_t next = timers.front().dueNs;
        for (const Timer& t : timers) {
            next = std::min(next, t.dueNs);
        }
        const int64_t delta = next - nowNs();
        if (delta <= 0) {
            return 0;
        }
        const int64_t ms = (delta + kNsPerMs - 1) / kNsPerMs;
        return static_cast<int>(std::min<int64_t>(ms, INT_MAX));
    }

    // Hands a message to its window's handler; false when the handler asked for the default.
    bool deliver(const Message& msg)
    {
        auto it = windows.find(msg.window);
        if (it == windows.end() || (it->second.destroying && msg.type != Msg::Destroy)) {
            return false;
        }
        WindowHandler* handler = it->second.handler;
        const bool handled = handler != nullptr && handler->onMessage(msg);
        if (!handled) {
            defaultProcessing(msg);
        }
        return handled;
    }

    void defaultProcessing(const Message& msg)
    {
        switch (msg.type) {
        case Msg::Close:
            loop.destroyWindow(msg.window);
            break;
        case Msg::SysCommand:
            if (msg.wParam == kScClose) {
                loop.post(Message{Msg::Close, msg.window});
            }
            break;
        default:
            // NcActivate allows the change; everything else needs nothing.
            break;
        }
    }

    void deliverDueTimers()
    {
        const int64_t now = nowNs();
        std::vector<std::pair<WindowId, int64_t>> due;
        for (const Timer& t : timers) {
            if (t.dueNs <= now) {
                due.emplace_back(t.window, t.id);
            }
        }
        for (const auto& entry : due) {
            const WindowId window = entry.first;
            const int64_t id = entry.second;
            // An earlier timer message may have killed or reset this one, or destroyed its window.
            auto it = std::find_if(timers.begin(), timers.end(),
                                   [&](const Timer& t) { return t.window == window && t.id == id; });
            if (it == timers.end() || it->dueNs > now) {
                continue;
            }
            it->dueNs = now + it->intervalMs * kNsPerMs;
            deliver(Message{Msg::Timer, window, id});
        }
    }

    // One turn of the loop; false once Quit has been reached.
    bool turn(bool mayWait)
    {
        takeSignals();
        pumpInput();
        // Everything queued now, in arrival order; what handlers post waits for the next turn.
        for (size_t n = queue.size(); n > 0 && !queue.empty(); --n) {
            const Message msg = queue.front();
            queue.pop_front();
            if (msg.type == Msg::Quit) {
                quitSeen = true;
                quitCode = static_cast<int>(msg.wParam);
                return false;
            }
            deliver(msg);
        }
        deliverDueTimers();
        if (!invalid.empty() && !busy()) {
            const WindowId id = *invalid.begin();
            // Valid again before the handler runs: one that invalidates gets another paint.
            invalid.erase(invalid.begin());
            deliver(Message{Msg::Paint, id});
        }
        if (mayWait && invalid.empty() && !busy()) {
            backend.waitInput(msUntilNextTimer());
        }
        return true;
    }

    // Whether anything but painting waits.
    bool busy() { return !queue.empty() || signalPending() || timerDue(nowNs()) || backend.inputWaiting(); }

    void dropWindow(WindowId id)
    {
        windows.erase(id);
        invalid.erase(id);
        std::erase_if(timers, [id](const Timer& t) { return t.window == id; });
        std::erase_if(queue, [id](const Message& m) { return m.window == id && m.type != Msg::Quit; });
    }

    void restoreSignals()
    {
        if (!signalsInstalled) {
            return;
        }
        sigaction(SIGTERM, &oldTerm, nullptr);
        sigaction(SIGINT, &oldInt, nullptr);
        WindowBackend* mine = &backend;
        gWakeTarget.compare_exchange_strong(mine, nullptr);
        signalsInstalled = false;
    }
};

MessageLoop::MessageLoop(WindowBackend& backend, Clock& clock)
    : m_impl(std::make_unique<Impl>(*this, backend, clock)), m_backend(backend), m_clock(clock)
{
}

MessageLoop::~MessageLoop()
{
    m_impl->restoreSignals();
    // Windows still open are taken down quietly: their handlers may already be gone.
    for (const auto& [id, win] : m_impl->windows) {
        m_backend.destroy(id);
    }
}

WindowId MessageLoop::createWindow(const WindowSpec& params, WindowHandler* handler)
{
    const WindowId id = m_impl->nextId++;
    if (!m_backend.create(id, params)) {
        return kNoWindow;
    }
    m_impl->windows[id] = Impl::Win{handler, false};
    // A shown window starts without a picture; its first paint draws one.
    if (params.kind != WindowKind::Hidden) {
        m_impl->invalid.insert(id);
    }
    return id;
}

void MessageLoop::destroyWindow(WindowId id)
{
    auto it = m_impl->windows.find(id);
    if (it == m_impl->windows.end() || it->second.destroying) {
        return;
    }
    it->second.destroying = true;
    m_impl->deliver(Message{Msg::Destroy, id});
    m_backend.destroy(id);
    m_impl->dropWindow(id);
}

bool MessageLoop::isWindow(WindowId id) const
{
    auto it = m_impl->windows.find(id);
    return it != m_impl->windows.end() && !it->second.destroying;
}

void MessageLoop::post(const Message& msg)
{
    // As on the platform, a message for a window that does not exist is not posted.
    if (msg.type != Msg::Quit && !isWindow(msg.window)) {
        return;
    }
    m_impl->queue.push_back(msg);
}

void MessageLoop::postQuit(int exitCode)
{
    m_impl->queue.push_back(Message{Msg::Quit, kNoWindow, exitCode});
}

bool MessageLoop::send(const Message& msg)
{
    if (msg.type == Msg::Quit) {
        return false;
    }
    return m_impl->deliver(msg);
}

void MessageLoop::setTimer(WindowId id, int64_t timerId, int64_t intervalMs)
{
    if (!isWindow(id)) {
        return;
    }
    const int64_t interval = std::max(intervalMs, kMinTimerIntervalMs);
    const int64_t due = m_impl->nowNs() + interval * kNsPerMs;
    for (Impl::Timer& t : m_impl->timers) {
        if (t.window == id && t.id == timerId) {
            t.intervalMs = interval;
            t.dueNs = due;
            return;
        }
    }
    m_impl->timers.push_back(Impl::Timer{id, timerId, interval, due});
}

void MessageLoop::killTimer(WindowId id, int64_t timerId)
{
    std::erase_if(m_impl->timers, [&](const Impl::Timer& t) { return t.window == id && t.id == timerId; });
}

void MessageLoop::invalidate(WindowId id)
{
    if (isWindow(id)) {
        m_impl->invalid.insert(id);
    }
}

void MessageLoop::validate(WindowId id)
{
    m_impl->invalid.erase(id);
}

bool MessageLoop::isMessageWaiting()
{
    return !m_impl->queue.empty() || m_impl->signalPending() || m_impl->timerDue(m_impl->nowNs()) ||
           m_backend.inputWaiting();
}

int MessageLoop::run()
{
    m_impl->quitSeen = false;
    while (m_impl->turn(true)) {
    }
    return m_impl->quitCode;
}

bool MessageLoop::runPending()
{
    m_impl->quitSeen = false;
    return m_impl->turn(false);
}

bool MessageLoop::quitSeen() const
{
    return m_impl->quitSeen;
}

int MessageLoop::exitCode() const
{
    return m_impl->quitCode;
}

void MessageLoop::installSignalHandlers(WindowId mainWindow)
{
    m_impl->signalWindow = mainWindow;
    if (m_impl->signalsInstalled) {
        return;
    }
    // Signals caught before this loop existed belong to nobody.
    gTermPending.store(0);
    gIntPending.store(0);
    gWakeTarget.store(&m_backend);
    struct sigaction sa {};
    sa.sa_handler = onLoopSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, &m_impl->oldTerm);
    sigaction(SIGINT, &sa, &m_impl->oldInt);
    m_impl->signalsInstalled = true;
}

} // namespace plat
