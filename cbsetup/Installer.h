// The installation that "&Install" runs: the texts of the installer, the progress rule and
// the eighteen steps, free of any toolkit so that they run and are tested without a screen.
#pragma once

#include "cbsetup/Resources.h"

#include <functional>
#include <string>
#include <vector>

namespace plat {
class RegistryFile;
}

namespace cbsetup {

inline constexpr const char* kScreensaverFileName = "Cobblix.scr";
inline constexpr const char* kHelpFileName = "Cobblix.hlp";
inline constexpr const char* kShortFallbackName = "COBBLI~1.SCR";
inline constexpr const char* kUninstallKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Cobblix Screen Saver";
inline constexpr const char* kDisplayNameValue = "DisplayName";
inline constexpr const char* kUninstallStringValue = "UninstallString";
inline constexpr const char* kDisplayName = "Cobblix Screen Saver";
inline constexpr const char* kUninstallSwitch = " -u";

inline constexpr const char* kDuplicateCaption = "Duplicate File";
inline constexpr const char* kDuplicateText =
    "The file Cobblix.scr already exists (probably from a previous version).  OK to overwrite Cobblix.scr?";
inline constexpr const char* kErrorCaption = "Error";
inline constexpr const char* kExistsErrorText = "Error: File already exists.  Aborting installation.";
inline constexpr const char* kFinishedCaption = "Finished";
inline constexpr const char* kFinishedText =
    "Installation is complete!  The installation program will now close and the Display Properties - "
    "Screen Saver window will be shown.  If desired, adjust the \"Wait\" time or add \"Password\" "
    "protection.  Then click the \"Settings...\" button to configure Cobblix parameters.";

inline constexpr int kProgressMaximum = 100;
inline constexpr int kProgressAfterStart = 20;
inline constexpr int kProgressAfterPaths = 30;
inline constexpr int kProgressAfterScreensaver = 40;
inline constexpr int kProgressAfterHelp = 10;

inline constexpr unsigned kProgramMode = 0755;  // the installed saver must be runnable
inline constexpr unsigned kDocumentMode = 0644;

// The introduction of Form1, ending with the Windows folder.
std::string introductionText(const std::string& windowsFolder);

// The progress bar's position: each step adds, and the position stops at 100.
class Progress {
public:
    int add(int amount);
    int set(int value);
    int value() const { return m_value; }

private:
    int m_value = 0;
};

// What the installation needs of its form.
class InstallView {
public:
    virtual ~InstallView() = default;
    virtual void setWaitCursor(bool on) = 0;
    virtual void setProgress(int value) = 0;
    virtual void hideForm() = 0;
};

// Where the installation writes and how it reaches the host.
struct InstallEnvironment {
    std::string windowsFolder;
    plat::RegistryFile* machineHive = nullptr;   // HKEY_LOCAL_MACHINE
    const ResourceTable* resources = nullptr;
    std::function<void()> announceSettingsChanged;  // the settings-changed announcement
    std::function<void()> startDisplaySettings;     // its failure is not shown
};

enum class InstallResult {
    Finished,  // everything written, "Finished" shown, settings started
    Refused,   // the overwrite question was not answered with OK
    Failed,    // a payload or a file write failed; "Error" shown
};

// One run of the installation; the caller closes the form afterwards, whatever the result.
class Installation {
public:
    Installation(InstallEnvironment env, InstallView& view);

    InstallResult run();

    std::string screensaverPath() const;
    std::string helpPath() const;
    // The path written into SYSTEM.INI: the short form, else the fallback name.
    std::string profilePath() const;

private:
    InstallResult fail(const std::string& text);

    InstallEnvironment m_env;
    InstallView& m_view;
    Progress m_progress;
};

} // namespace cbsetup
