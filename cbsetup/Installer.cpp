// The installation steps: ask before replacing, check the payload before anything is
// touched, write every file under a temporary name and rename it, then make Cobblix the
// host's current saver, register its uninstall entry and open the display settings.
#include "cbsetup/Installer.h"

#include "host/Host.h"

#include "cbsetup/FileOps.h"
#include "cbsetup/Payload.h"
#include "platform/Locations.h"
#include "platform/MessageBox.h"
#include "platform/Profile.h"
#include "platform/Registry.h"

#include <algorithm>

namespace cbsetup {

std::string introductionText(const std::string& windowsFolder)
{
    return "Clicking \"Install\" will install Cobblix to your hard disk and  select it as the default "
           "screen saver.  When the installation program is finished, the Display Properties - Screen "
           "Saver window will appear and you can then configure Cobblix.  The screen saver will be "
           "installed to:\r\n\r\n" +
           windowsFolder;
}

int Progress::add(int amount)
{
    m_value = std::min(kProgressMaximum, m_value + amount);
    return m_value;
}

int Progress::set(int value)
{
    m_value = std::min(kProgressMaximum, value);
    return m_value;
}

Installation::Installation(InstallEnvironment env, InstallView& view) : m_env(std::move(env)), m_view(view) {}

std::string Installation::screensaverPath() const
{
    return m_env.windowsFolder + "/" + kScreensaverFileName;
}

std::string Installation::helpPath() const
{
    return m_env.windowsFolder + "/" + kHelpFileName;
}

std::string Installation::profilePath() const
{
    std::optional<std::string> shortPath = shortPathName(screensaverPath());
    return trimBlanks(shortPath ? *shortPath : m_env.windowsFolder + "/" + kShortFallbackName);
}

InstallResult Installation::fail(const std::string& text)
{
    m_view.setWaitCursor(false);
    plat::showBox({kErrorCaption, text, plat::BoxIcon::Information, plat::BoxButtons::Ok});
    return InstallResult::Failed;
}

InstallResult Installation::run()
{
    m_view.setWaitCursor(true);                                   // 1
    m_view.setProgress(m_progress.add(kProgressAfterStart));     // 2
    const std::string scrPath = screensaverPath();                // 3
    const std::string hlpPath = helpPath();
    m_view.setProgress(m_progress.add(kProgressAfterPaths));     // 4

    if (pathExists(scrPath)) {                                    // 5
        plat::BoxAnswer answer = plat::showBox(
            {kDuplicateCaption, kDuplicateText, plat::BoxIcon::Question, plat::BoxButtons::OkCancel});
        if (answer != plat::BoxAnswer::Ok) {
            m_view.setWaitCursor(false);
            plat::showBox({kErrorCaption, kExistsErrorText, plat::BoxIcon::Information, plat::BoxButtons::Ok});
            return InstallResult::Refused;
        }
        // The old file stays until the new one has been checked and written in full:
        // the rename below replaces it in one step.
    }

    // 6: the payload is inflated and checked before anything on disk changes.
    const Resource* scr = m_env.resources ? m_env.resources->find(kScreensaverResource) : nullptr;
    InflatedPayload program = inflateScreensaver(scr);
    if (!program.ok())
        return fail(describe(program));
    const Resource* hlp = m_env.resources ? m_env.resources->find(kHelpResource) : nullptr;
    if (!hlp || hlp->bytes.data() == nullptr || !intact(*hlp))
        return fail("Error: The help file carried by this installer is missing or damaged.  "
                    "Nothing was written.  Aborting installation.");

    // A first installation for this user finds no Windows folder yet.
    plat::makeFolders(m_env.windowsFolder);
    std::string why;
    if (!replaceFileAtomically(scrPath, program.bytes, kProgramMode, &why))
        return fail("Error: Could not write " + scrPath + ": " + why + ".  Aborting installation.");
    program.bytes.clear();
    program.bytes.shrink_to_fit();

    const std::string profileValue = profilePath();              // 7
    m_view.setProgress(m_progress.add(kProgressAfterScreensaver)); // 8

    if (!replaceFileAtomically(hlpPath, hlp->bytes, kDocumentMode, &why)) // 9
        return fail("Error: Could not write " + hlpPath + ": " + why + ".  Aborting installation.");
    m_view.setProgress(m_progress.add(kProgressAfterHelp));      // 10

    if (m_env.machineHive && !m_env.machineHive->keyExists(kUninstallKey)) { // 11
        m_env.machineHive->setString(kUninstallKey, kDisplayNameValue, kDisplayName);
        m_env.machineHive->setString(kUninstallKey, kUninstallStringValue, scrPath + kUninstallSwitch);
    }

    m_view.setProgress(m_progress.set(kProgressMaximum));        // 12
    m_view.setWaitCursor(false);

    plat::showBox({kFinishedCaption, kFinishedText, plat::BoxIcon::Information, plat::BoxButtons::Ok}); // 13
    m_view.hideForm();                                             // 14

    plat::ProfileFile(m_env.windowsFolder, host::kSystemProfile)  // 15
        .writeString(host::kBootSection, std::string(host::kCurrentSaverKey), profileValue);

    if (m_env.announceSettingsChanged)                             // 16
        m_env.announceSettingsChanged();
    if (m_env.startDisplaySettings)                                // 17
        m_env.startDisplaySettings();
    return InstallResult::Finished;                                // 18: the caller closes
}

} // namespace cbsetup
