// The settings store: a program's profile values in the user's registry hive under
// Software\Orvane\<program title>\<section>. Integers are stored as DWORD values, texts as
// strings. A missing value, or one of the wrong type, reads as the caller's default.
// Also the interface every program's settings object implements for the shell.
#pragma once

#include "platform/Registry.h"

#include <string>

namespace shell {

class SettingsStore {
public:
    // hive: the HKEY_CURRENT_USER file; title: the program title ("Zyloria").
    SettingsStore(plat::RegistryFile& hive, std::string title);

    // The company word placed between "Software" and the title ("Orvane").
    void SetRegistryKey(const std::string& company);

    int GetProfileInt(const std::string& section, const std::string& key, int def) const;
    bool WriteProfileInt(const std::string& section, const std::string& key, int value);
    std::string GetProfileString(const std::string& section, const std::string& key,
                                 const std::string& def = {}) const;
    bool WriteProfileString(const std::string& section, const std::string& key,
                            const std::string& value);

    // "Software\Orvane\<title>\<section>"
    std::string SectionKey(const std::string& section) const;
    const std::string& Title() const { return m_title; }
    plat::RegistryFile& Hive() { return m_hive; }

private:
    plat::RegistryFile& m_hive;
    std::string m_title;
    std::string m_company;
};

// The program's own settings object, created at start and owned by the application.
class SaverSettings {
public:
    virtual ~SaverSettings() = default;
    // The folder of the help page ("InstallFolder"); expected to end with a separator.
    virtual std::string InstallFolder() const = 0;
};

} // namespace shell
