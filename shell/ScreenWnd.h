// The full-screen saver window: a topmost window covering the screen with the pointer
// hidden, which swallows the system's screensave and close commands and ends on a key, a
// click, a clear mouse movement or deactivation, after the password check allows it.
//
// Reuse: the screen behaviour lives in ScreenBehaviour, a policy object that works on any
// CSaverWnd. CScreenWndT<SceneWnd> derives from a program's scene window and puts the
// behaviour in front of it: messages the behaviour handles stop there, everything else goes
// on to the scene window. CScreenWnd is the plain form on the shared window base.
#pragma once

#include "shell/SaverWnd.h"

#include <functional>
#include <utility>

namespace shell {

// Pixels the pointer may drift in each axis from where it was first seen.
constexpr int kMouseMoveThreshold = 20;

class ScreenBehaviour {
public:
    // Asks the host's password check for the saver window (its X11 id); true lets the saver
    // end. The application builds the rule of its program (whether to ask at all).
    using PasswordCheck = std::function<bool(uint64_t windowXid)>;

    ScreenBehaviour(CSaverWnd& wnd, PasswordCheck check);

    // The saver's own handling of msg; true means handled (nothing else may see it),
    // false passes it on to the scene window and the default processing.
    bool Handle(const plat::Message& msg);

    // Whether the saver may end now; runs the password check (see ScreenWnd.cpp).
    bool CanClose();

    // Hold the keyboard and pointer while a password-protected saver runs.
    void SetGrab(bool grab);

    bool Checking() const { return m_bChecking; }
    bool Closing() const { return m_bClosing; }
    int LastX() const { return m_lastX; }
    int LastY() const { return m_lastY; }
    void SetPasswordCheck(PasswordCheck check) { m_check = std::move(check); }

private:
    void closeIfAllowed();
    void onMouseMove(int x, int y);

    CSaverWnd& m_wnd;
    PasswordCheck m_check;
    int m_lastX = -1;
    int m_lastY = -1;
    bool m_bChecking = false;
    bool m_bClosing = false;
    bool m_bGrab = false;
};

template <typename SceneWnd>
class CScreenWndT : public SceneWnd {
public:
    template <typename... Args>
    explicit CScreenWndT(ScreenBehaviour::PasswordCheck check, Args&&... args)
        : SceneWnd(std::forward<Args>(args)...), m_screen(*this, std::move(check))
    {
    }

    // The topmost window covering the screen, pointer hidden.
    bool CreateFullScreen(bool openGL = false) { return this->CreateFullScreenWindow(openGL); }

    bool CanClose() { return m_screen.CanClose(); }
    ScreenBehaviour* Screen() override { return &m_screen; }

    bool onMessage(const plat::Message& msg) override
    {
        if (m_screen.Handle(msg))
            return true;
        return SceneWnd::onMessage(msg);
    }

private:
    ScreenBehaviour m_screen;
};

using CScreenWnd = CScreenWndT<CSaverWnd>;

} // namespace shell
