// The full-screen saver behaviour: dismissal rules and the password check before ending.
#include "shell/ScreenWnd.h"

#include <cstdlib>

namespace shell {

namespace {
constexpr int kNoPoint = -1;
constexpr int kQuitCode = 0;
}

ScreenBehaviour::ScreenBehaviour(CSaverWnd& wnd, PasswordCheck check)
    : m_wnd(wnd), m_check(std::move(check))
{
}

void ScreenBehaviour::SetGrab(bool grab)
{
    m_bGrab = grab;
    if (m_wnd.IsWindow())
        m_wnd.Loop().backend().setInputGrab(m_wnd.GetId(), grab);
}

bool ScreenBehaviour::CanClose()
{
    // 1. A check already runs, or ending was approved: nothing more to decide.
    if (m_bChecking || m_bClosing)
        return false;
    // 2. Drawing stops while the password dialog is up.
    m_bChecking = true;
    m_wnd.SetAborted();
    // 3. The host's check; the dialog takes the keyboard and pointer while it runs.
    bool result = true;
    if (m_check) {
        const bool grabbed = m_bGrab && m_wnd.IsWindow();
        if (grabbed)
            m_wnd.Loop().backend().setInputGrab(m_wnd.GetId(), false);
        result = m_check(m_wnd.NativeId());
        if (grabbed && !result && m_wnd.IsWindow())
            m_wnd.Loop().backend().setInputGrab(m_wnd.GetId(), true);
    }
    if (result) {
        // 4. No further checks: the window is ending.
        m_bClosing = true;
    } else {
        // 5. Resume the same scene where it stopped.
        m_wnd.ClearAborted();
        m_bClosing = false;
        m_wnd.Invalidate();
    }
    m_bChecking = false;
    return result;
}

void ScreenBehaviour::closeIfAllowed()
{
    if (CanClose())
        m_wnd.PostMessage(plat::Msg::Close);
}

void ScreenBehaviour::onMouseMove(int x, int y)
{
    if (m_bChecking || m_bClosing)
        return;
    if (m_lastX == kNoPoint && m_lastY == kNoPoint) {
        m_lastX = x;
        m_lastY = y;
        return;
    }
    // Small drifts never move the reference point, so they cannot add up.
    if (std::abs(x - m_lastX) <= kMouseMoveThreshold && std::abs(y - m_lastY) <= kMouseMoveThreshold)
        return;
    closeIfAllowed();
    m_lastX = x;
    m_lastY = y;
}

bool ScreenBehaviour::Handle(const plat::Message& msg)
{
    using plat::Msg;
    switch (msg.type) {
    case Msg::SysCommand:
        return msg.wParam == plat::kScScreenSave || msg.wParam == plat::kScClose;
    case Msg::SetCursor:
        return true;  // no cursor: the pointer stays invisible
    case Msg::NcActivate:
        // Refuse a deactivation unless the password dialog is what takes the focus.
        return msg.wParam == 0 && !m_bChecking;
    case Msg::Activate:
    case Msg::ActivateApp:
        if (msg.wParam == 0)
            closeIfAllowed();
        return false;
    case Msg::MouseMove:
        onMouseMove(msg.x, msg.y);
        return false;
    case Msg::LButtonDown:
    case Msg::MButtonDown:
    case Msg::RButtonDown:
    case Msg::KeyDown:
    case Msg::SysKeyDown:
        closeIfAllowed();
        return false;
    case Msg::Destroy:
        if (m_bGrab && m_wnd.IsWindow())
            m_wnd.Loop().backend().setInputGrab(m_wnd.GetId(), false);
        m_wnd.Loop().postQuit(kQuitCode);
        return false;  // the scene window's own destruction follows
    default:
        return false;
    }
}

} // namespace shell
