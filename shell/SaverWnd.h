// The small window base shared by the savers' windows: creates its window through the
// program's message loop (full screen, as a child of a host window for the preview, or
// hidden) and runs the paint-driven drawing cycle: every paint draws one step and invalidates
// the window again, so the next paint comes as soon as nothing else waits.
#pragma once

#include "platform/Window.h"

#include <cstdint>
#include <string>

namespace shell {

class ScreenBehaviour;

class CSaverWnd : public plat::WindowHandler {
public:
    explicit CSaverWnd(plat::MessageLoop& loop);
    // Destroys the window when it still exists (without the quit a saver window posts).
    ~CSaverWnd() override;
    CSaverWnd(const CSaverWnd&) = delete;
    CSaverWnd& operator=(const CSaverWnd&) = delete;

    // Each creates the window and then calls OnCreate(); a false OnCreate destroys the
    // window again and the creation fails.
    bool CreateFullScreenWindow(bool openGL = false);
    bool CreateChildWindow(uint64_t parentXid, bool openGL = false);
    bool CreateHiddenWindow(const std::string& title);

    plat::WindowId GetId() const { return m_id; }
    bool IsWindow() const;
    uint64_t NativeId() const;
    plat::MessageLoop& Loop() { return m_loop; }

    void Invalidate();
    void PostMessage(plat::Msg type, int64_t wParam = 0, int64_t lParam = 0);
    void DestroyWindow();
    // True when no message of any kind waits (a non-removing peek).
    bool IsIdle() { return !m_loop.isMessageWaiting(); }

    // The abort mark of the current scene: set while the password dialog is up so that drawing
    // stops, cleared when the saver resumes. No scene by default.
    virtual void SetAborted() {}
    virtual void ClearAborted() {}

    // The program's main window ends the message loop when it is destroyed.
    void SetMainWindow(bool main) { m_bMainWindow = main; }
    // Destroys the window after this many drawing steps (0: never). Start-up measurements
    // use it to end a saver right after its first frame.
    void SetFrameLimit(int frames) { m_frameLimit = frames; }

    // The full-screen saver behaviour when this is the saver's screen window, else none.
    virtual ScreenBehaviour* Screen() { return nullptr; }

    bool onMessage(const plat::Message& msg) override;

protected:
    // Drawing set-up once the window exists; false fails the creation.
    virtual bool OnCreate() { return true; }
    // One step of drawing; false stops the cycle (no new invalidation) until someone
    // invalidates the window again.
    virtual bool DrawStep() { return true; }
    // The window is being destroyed: release what drawing holds.
    virtual void OnDestroy() {}

private:
    bool createWith(const plat::WindowSpec& params);

    plat::MessageLoop& m_loop;
    plat::WindowId m_id = plat::kNoWindow;
    bool m_bMainWindow = false;
    int m_frameLimit = 0;
    int m_framesDrawn = 0;
};

} // namespace shell
