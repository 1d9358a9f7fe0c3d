// Where the suite keeps its files: the Windows folder, the system folder, the run folder
// and both registry hives. ORVANE_ROOT relocates all of them (tests, portable use).
#pragma once

#include <string>

namespace plat {

struct Locations {
    std::string windowsFolder;  // profile files, user-installed savers, help files
    std::string systemFolder;   // the suite's own savers as NAME.scr
    std::string userHive;       // HKEY_CURRENT_USER
    std::string machineHive;    // HKEY_LOCAL_MACHINE
    std::string runFolder;      // instance locks, host socket

    // Resolved from the environment: ORVANE_ROOT, else the XDG locations. The system
    // folder outside ORVANE_ROOT is ORVANE_SYSTEM_FOLDER when set, else the folder of
    // .scr links beside the running program (build tree) or the install prefix's.
    static Locations fromEnvironment();
    // Everything below one root, as with ORVANE_ROOT=root.
    static Locations underRoot(const std::string& root);
};

// Creates a folder and its parents; true when it exists afterwards.
bool makeFolders(const std::string& path);

} // namespace plat
