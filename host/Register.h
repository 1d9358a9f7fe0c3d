// The suite's registration step for installers: records where the help files are, for
// each of the suite's programs, without touching a value a user or earlier install set.
#pragma once

#include "platform/Registry.h"

#include <string>
#include <vector>

namespace host {

// The programs whose settings keys get the help folder, by their registry titles.
inline constexpr const char* kRegisteredTitles[] = {"Zyloria", "Photo Tavorine", "Dicemere2"};
inline constexpr const char* kInstallFolderValue = "InstallFolder";

// "Software\Orvane\<title>\Config" under HKEY_CURRENT_USER.
std::string configKeyFor(const std::string& title);

struct RegisterResult {
    bool ok = false;                   // every title has the value afterwards
    std::vector<std::string> written;  // titles whose value was missing and is now written
    std::vector<std::string> kept;     // titles that already had a value (left as it was)
    std::string error;
};

// Writes "InstallFolder" = helpFolder with a trailing "/" for every title that has no such
// value yet, in one locked update of the user hive.
RegisterResult registerHelpFolder(plat::Registry& registry, const std::string& helpFolder);

} // namespace host
