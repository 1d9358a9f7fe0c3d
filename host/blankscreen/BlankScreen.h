// Blank Screen: the program description the shared application runs, and its window, which
// paints itself black through the window's pixel surface.
#pragma once

#include "shell/app.h"

#include <memory>
#include <string>

namespace blank {

// The note the configuration mode shows: the saver has nothing to set.
inline constexpr const char* kNoOptionsNote = "Blank Screen has no options you can set.";
inline constexpr const char* kTitle = "Blank Screen";

// Paints the window black once per invalidation (the picture never changes, so the drawing
// cycle stops after each black frame until the window is exposed or invalidated again).
class CBlankWnd : public shell::CSaverWnd {
public:
    using shell::CSaverWnd::CSaverWnd;
    int Frames() const { return m_frames; }

protected:
    bool DrawStep() override;

private:
    int m_frames = 0;
};

using CBlankScreenWnd = shell::CScreenWndT<CBlankWnd>;

class BlankSettings : public shell::SaverSettings {
public:
    explicit BlankSettings(shell::SettingsStore& store);
    std::string InstallFolder() const override { return m_installFolder; }

private:
    std::string m_installFolder;
};

class BlankProgram : public shell::SaverProgram {
public:
    std::string Title() const override { return kTitle; }
    std::string SheetTitle() const override { return kTitle; }
    std::string HelpPage() const override { return "blankscreen.htm"; }
    shell::Variant GetVariant() const override { return shell::Variant::Zyloria; }

    std::unique_ptr<shell::SaverSettings> CreateSettings(shell::CSaverApp& app) override;
    void ShowConfigSheet(shell::CSaverApp& app, uint64_t parentXid) override;
    std::unique_ptr<shell::CSaverWnd> CreatePreviewWnd(shell::CSaverApp& app, uint64_t parentXid) override;
    std::unique_ptr<shell::CSaverWnd> CreateScreenWnd(shell::CSaverApp& app) override;
    bool VerifyPassword(shell::CSaverApp& app, uint64_t windowXid) override;
    void ChangePassword(shell::CSaverApp& app, uint64_t parentXid) override;
};

} // namespace blank
