// The display-less WindowBackend of tests: window records, scripted input, simulated waits.
#include "platform/ScriptedBackend.h"

#include "platform/Clock.h"

#include <cerrno>
#include <poll.h>
#include <stdexcept>

namespace plat {

namespace {
constexpr int kBytesPerPixel = 4;
// A wait with no timeout and nothing that could ever end it fails after this much real time.
constexpr int kStallLimitMs = 10000;
// Scripted windows report made-up X ids from here on, so that owners look real.
constexpr uint64_t kFakeXidBase = 0x4000000;
} // namespace

ScriptedBackend::ScriptedBackend(SimulatedClock* clock, Size screen) : m_clock(clock), m_screen(screen)
{
    m_wake.open();
}

ScriptedBackend::~ScriptedBackend() = default;

void ScriptedBackend::pushInput(const Message& msg)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_input.push_back(msg);
    }
    // Ends a blocking waitInput on another thread; the byte itself means nothing.
    m_wake.signal('i');
}

void ScriptedBackend::setWaitHook(std::function<void(ScriptedBackend&, int)> hook)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_waitHook = std::move(hook);
}

void ScriptedBackend::setCreateFails(bool fails)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_createFails = fails;
}

void ScriptedBackend::setClientSize(WindowId id, Size size)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_windows.find(id);
    if (it != m_windows.end()) {
        it->second.size = size;
        it->second.pixels.clear();
    }
}

bool ScriptedBackend::hasWindow(WindowId id) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_windows.count(id) != 0;
}

ScriptedBackend::WindowRecord ScriptedBackend::record(WindowId id) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_windows.find(id);
    return it == m_windows.end() ? WindowRecord{} : it->second;
}

int ScriptedBackend::windowCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int>(m_windows.size());
}

int ScriptedBackend::createCalls() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_creates;
}

int ScriptedBackend::destroyCalls() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_destroys;
}

int ScriptedBackend::waitCalls() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int>(m_waitTimeouts.size());
}

std::vector<int> ScriptedBackend::waitTimeouts() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_waitTimeouts;
}

int ScriptedBackend::pendingInput() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int>(m_input.size());
}

bool ScriptedBackend::create(WindowId id, const WindowSpec& params)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_creates;
    if (m_createFails || id == kNoWindow || m_windows.count(id) != 0) {
        return false;
    }
    WindowRecord rec;
    rec.params = params;
    // A full-screen window covers the screen; others start at a preview's size.
    constexpr Size kDefaultClient{152, 112};
    rec.size = params.kind == WindowKind::FullScreen ? m_screen : kDefaultClient;
    m_windows.emplace(id, std::move(rec));
    return true;
}

void ScriptedBackend::destroy(WindowId id)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_windows.erase(id) != 0) {
        ++m_destroys;
    }
}

Size ScriptedBackend::clientSize(WindowId id) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_windows.find(id);
    return it == m_windows.end() ? Size{} : it->second.size;
}

void ScriptedBackend::pump(std::vector<Message>& out)
{
    m_wake.drain();
    std::lock_guard<std::mutex> lock(m_mutex);
    while (!m_input.empty()) {
        out.push_back(m_input.front());
        m_input.pop_front();
    }
}

bool ScriptedBackend::inputWaiting()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return !m_input.empty();
}

bool ScriptedBackend::waitOnPipe(int timeoutMs)
{
    if (m_wake.readEnd() < 0) {
        return false;
    }
    pollfd pfd{m_wake.readEnd(), POLLIN, 0};
    const int rc = poll(&pfd, 1, timeoutMs);
    // A signal ends the wait too: its handler has set a flag the loop checks next.
    return rc > 0 || (rc < 0 && errno == EINTR);
}

void ScriptedBackend::waitInput(int timeoutMs)
{
    std::function<void(ScriptedBackend&, int)> hook;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_waitTimeouts.push_back(timeoutMs);
        hook = m_waitHook;
    }
    // A wake or input that came in since the last pump ends the wait at once.
    if (m_wake.drain() || inputWaiting()) {
        return;
    }
    if (hook) {
        hook(*this, timeoutMs);
        if (m_wake.drain() || inputWaiting()) {
            return;
        }
    }
    if (timeoutMs >= 0) {
        if (m_clock != nullptr) {
            m_clock->advanceMs(timeoutMs);
        } else {
            waitOnPipe(timeoutMs);
        }
        return;
    }
    // No limit: only another thread (or a signal) can end this wait.
    if (!waitOnPipe(kStallLimitMs)) {
        throw std::runtime_error("ScriptedBackend: the loop waits forever with nothing scripted");
    }
}

void ScriptedBackend::wake()
{
    m_wakes.fetch_add(1);
    m_wake.signal('w');
}

bool ScriptedBackend::makeGLCurrent(WindowId id)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_windows.find(id);
    return it != m_windows.end() && it->second.params.openGL;
}

void ScriptedBackend::presentGL(WindowId id)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_windows.find(id);
    if (it != m_windows.end()) {
        ++it->second.glPresents;
    }
}

PixelSurface ScriptedBackend::lockSurface(WindowId id)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_windows.find(id);
    if (it == m_windows.end() || it->second.size.width <= 0 || it->second.size.height <= 0) {
        return {};
    }
    WindowRecord& rec = it->second;
    const size_t bytes = static_cast<size_t>(rec.size.width) * rec.size.height * kBytesPerPixel;
    if (rec.pixels.size() != bytes) {
        rec.pixels.assign(bytes, 0);
    }
    PixelSurface s;
    s.pixels = rec.pixels.data();
    s.width = rec.size.width;
    s.height = rec.size.height;
    s.pitch = rec.size.width * kBytesPerPixel;
    s.bytesPerPixel = kBytesPerPixel;
    return s;
}

void ScriptedBackend::presentSurface(WindowId id, int firstRow, int rowCount)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_windows.find(id);
    if (it != m_windows.end()) {
        ++it->second.surfacePresents;
        it->second.lastFirstRow = firstRow;
        it->second.lastRowCount = rowCount;
    }
}

void ScriptedBackend::setInputGrab(WindowId id, bool grab)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_windows.find(id);
    if (it != m_windows.end()) {
        it->second.grabbed = grab;
    }
}

uint64_t ScriptedBackend::nativeId(WindowId id) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_windows.count(id) != 0 ? kFakeXidBase + id : 0;
}

} // namespace plat
