// The shared saver window base and its paint-driven drawing cycle.
#include "shell/SaverWnd.h"

namespace shell {

namespace {
constexpr int kQuitCode = 0;
}

CSaverWnd::CSaverWnd(plat::MessageLoop& loop) : m_loop(loop) {}

CSaverWnd::~CSaverWnd()
{
    // The loop must not call back into a half-destroyed object: forget the window first.
    if (m_id != plat::kNoWindow && m_loop.isWindow(m_id)) {
        const plat::WindowId id = m_id;
        m_id = plat::kNoWindow;
        m_loop.backend().setInputGrab(id, false);
        m_loop.destroyWindow(id);
    }
}

bool CSaverWnd::createWith(const plat::WindowSpec& params)
{
    if (IsWindow())
        return false;
    m_id = m_loop.createWindow(params, this);
    if (m_id == plat::kNoWindow)
        return false;
    if (!OnCreate()) {
        DestroyWindow();
        m_id = plat::kNoWindow;
        return false;
    }
    Invalidate();
    return true;
}

bool CSaverWnd::CreateFullScreenWindow(bool openGL)
{
    plat::WindowSpec params;
    params.kind = plat::WindowKind::FullScreen;
    params.openGL = openGL;
    return createWith(params);
}

bool CSaverWnd::CreateChildWindow(uint64_t parentXid, bool openGL)
{
    if (parentXid == 0)
        return false;
    plat::WindowSpec params;
    params.kind = plat::WindowKind::Child;
    params.parentXid = parentXid;
    params.openGL = openGL;
    return createWith(params);
}

bool CSaverWnd::CreateHiddenWindow(const std::string& title)
{
    plat::WindowSpec params;
    params.kind = plat::WindowKind::Hidden;
    params.title = title;
    return createWith(params);
}

bool CSaverWnd::IsWindow() const
{
    return m_id != plat::kNoWindow && m_loop.isWindow(m_id);
}

uint64_t CSaverWnd::NativeId() const
{
    return IsWindow() ? m_loop.backend().nativeId(m_id) : 0;
}

void CSaverWnd::Invalidate()
{
    if (IsWindow())
        m_loop.invalidate(m_id);
}

void CSaverWnd::PostMessage(plat::Msg type, int64_t wParam, int64_t lParam)
{
    if (!IsWindow())
        return;
    plat::Message msg;
    msg.type = type;
    msg.window = m_id;
    msg.wParam = wParam;
    msg.lParam = lParam;
    m_loop.post(msg);
}

void CSaverWnd::DestroyWindow()
{
    if (IsWindow())
        m_loop.destroyWindow(m_id);
}

bool CSaverWnd::onMessage(const plat::Message& msg)
{
    switch (msg.type) {
    case plat::Msg::Paint: {
        const bool more = DrawStep();
        if (m_frameLimit > 0 && ++m_framesDrawn >= m_frameLimit) {
            DestroyWindow();
            return true;
        }
        if (more)
            Invalidate();
        return true;
    }
    case plat::Msg::Destroy:
        if (m_bMainWindow)
            m_loop.postQuit(kQuitCode);
        OnDestroy();
        return false;
    default:
        return false;
    }
}

} // namespace shell
