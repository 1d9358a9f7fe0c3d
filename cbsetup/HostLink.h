// The installer's two calls on the screensaver host: the settings-changed announcement and
// the start of the host's display settings at the screensaver choice.
// (The announcement belongs with the host's own code once the host listens for it.)
#pragma once

#include <string>
#include <sys/types.h>

namespace cbsetup {

inline constexpr const char* kHostSocketName = "host.sock";
inline constexpr const char* kSettingsChangedMessage = "settings-changed";
inline constexpr const char* kSettingsProgram = "orvane-settings";
inline constexpr const char* kSettingsScreensaverTab = "--screensaver-tab";

// Sends the datagram "settings-changed" to the host's socket in the run folder. Nobody
// listening is no error for the caller: the result only says whether it was delivered.
bool announceSettingsChanged(const std::string& runFolder);

// The settings program to start: the one beside the installer's own executable when it is
// there, else the bare name, to be found on PATH.
std::string settingsProgramPath(const std::string& ownFolder);

// The folder of the running executable ("" when unknown).
std::string ownExecutableFolder();

// Starts the settings program detached (own session, not waited for), so that it stays
// open after the installer ends. Returns its pid, or -1 (and a reason) when it cannot start.
pid_t startSettingsProgram(const std::string& program, std::string* error = nullptr);

} // namespace cbsetup
