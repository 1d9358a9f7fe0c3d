// Blank Screen's window and program description.
#include "host/blankscreen/BlankScreen.h"

#include "host/ui/PasswordDialog.h"
#include "shell/seLibrary.h"

#include <cstring>

namespace blank {

namespace {
constexpr const char* kConfigSection = "Config";
constexpr const char* kInstallFolderKey = "InstallFolder";
constexpr uint8_t kBlack = 0;
}

bool CBlankWnd::DrawStep()
{
    plat::WindowBackend& backend = Loop().backend();
    const plat::PixelSurface s = backend.lockSurface(GetId());
    if (!s.pixels || s.width <= 0 || s.height <= 0)
        return false;
    const size_t rowBytes = static_cast<size_t>(s.width) * static_cast<size_t>(s.bytesPerPixel);
    for (int y = 0; y < s.height; ++y)
        std::memset(s.pixels + static_cast<size_t>(y) * static_cast<size_t>(s.pitch), kBlack, rowBytes);
    backend.presentSurface(GetId(), 0, s.height);
    ++m_frames;
    return false;
}

BlankSettings::BlankSettings(shell::SettingsStore& store)
    : m_installFolder(store.GetProfileString(kConfigSection, kInstallFolderKey, ""))
{
}

std::unique_ptr<shell::SaverSettings> BlankProgram::CreateSettings(shell::CSaverApp& app)
{
    return std::make_unique<BlankSettings>(app.Store());
}

void BlankProgram::ShowConfigSheet(shell::CSaverApp&, uint64_t)
{
    seLibrary::ShowNote(kNoOptionsNote);
}

std::unique_ptr<shell::CSaverWnd> BlankProgram::CreatePreviewWnd(shell::CSaverApp& app, uint64_t parentXid)
{
    plat::MessageLoop* loop = app.Loop();
    if (!loop)
        return nullptr;
    auto wnd = std::make_unique<CBlankWnd>(*loop);
    if (!wnd->CreateChildWindow(parentXid))
        return nullptr;
    return wnd;
}

std::unique_ptr<shell::CSaverWnd> BlankProgram::CreateScreenWnd(shell::CSaverApp& app)
{
    plat::MessageLoop* loop = app.Loop();
    if (!loop)
        return nullptr;
    auto wnd = std::make_unique<CBlankScreenWnd>(app.ScreenPasswordCheck(), *loop);
    if (!wnd->CreateFullScreen())
        return nullptr;
    return wnd;
}

bool BlankProgram::VerifyPassword(shell::CSaverApp& app, uint64_t windowXid)
{
    return host::verifyScreenSavePassword(app.Host(), windowXid, app.Clock());
}

void BlankProgram::ChangePassword(shell::CSaverApp& app, uint64_t parentXid)
{
    host::changeScreenSavePassword(app.Host(), parentXid, app.Clock());
}

} // namespace blank
