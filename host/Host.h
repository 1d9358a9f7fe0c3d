// The screensaver host's points, as the suite's programs meet them: the current saver,
// the password switch, the password itself (a crypt(3) hash), and the idle-start flags.
#pragma once

#include "platform/Locations.h"
#include "platform/Registry.h"

#include <string>

namespace host {

// Names in HKEY_CURRENT_USER\Control Panel\Desktop.
inline constexpr const char* kDesktopKey = "Control Panel\\Desktop";
inline constexpr const char* kUsePasswordValue = "ScreenSaveUsePassword";
inline constexpr const char* kActiveValue = "ScreenSaveActive";
inline constexpr const char* kTimeoutValue = "ScreenSaveTimeOut";
inline constexpr const char* kPasswordHashValue = "ScreenSavePasswordHash";

// Where the current saver is named: the system profile file, its section and key.
inline constexpr const char* kSystemProfile = "system.ini";
inline constexpr const char* kBootSection = "boot";
inline constexpr const char* kCurrentSaverKey = "SCRNSAVE.EXE";

class Host {
public:
    Host(plat::Registry& registry, plat::Locations locations);

    // system.ini, section "boot", key "SCRNSAVE.EXE".
    std::string currentSaver() const;
    bool setCurrentSaver(const std::string& path);

    // "ScreenSaveUsePassword" read as text; a non-empty text with a non-zero number is on.
    bool usePassword() const;
    bool passwordSet() const;
    // True when no password is set, or when crypt(3) verifies typed against the hash.
    bool checkPassword(const std::string& typed) const;
    // Hashes with yescrypt and stores; false (nothing stored) when hashing fails.
    bool setPassword(const std::string& newPassword);
    bool clearPassword();

    // The idle starter's switch and wait ("ScreenSaveActive", "ScreenSaveTimeOut" seconds).
    bool saverActive() const;
    bool setSaverActive(bool active);
    int idleTimeoutSeconds() const;  // default 600 when missing or malformed
    // Stores the wait in seconds; false (nothing stored) when it is not positive.
    bool setIdleTimeoutSeconds(int seconds);

    plat::Registry& registry() { return m_registry; }
    const plat::Locations& locations() const { return m_locations; }

private:
    plat::Registry& m_registry;
    plat::Locations m_locations;
};

} // namespace host
