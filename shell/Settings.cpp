// The settings store on the user's registry hive.
#include "shell/Settings.h"

#include <utility>

namespace shell {

namespace {
constexpr const char* kSoftwareKey = "Software";
constexpr const char* kDefaultCompany = "Orvane";
}

SettingsStore::SettingsStore(plat::RegistryFile& hive, std::string title)
    : m_hive(hive), m_title(std::move(title)), m_company(kDefaultCompany)
{
}

void SettingsStore::SetRegistryKey(const std::string& company)
{
    m_company = company;
}

std::string SettingsStore::SectionKey(const std::string& section) const
{
    return std::string(kSoftwareKey) + "\\" + m_company + "\\" + m_title + "\\" + section;
}

int SettingsStore::GetProfileInt(const std::string& section, const std::string& key, int def) const
{
    const auto value = m_hive.getValue(SectionKey(section), key);
    if (!value || value->type != plat::RegType::Dword)
        return def;
    return static_cast<int>(value->dword);
}

bool SettingsStore::WriteProfileInt(const std::string& section, const std::string& key, int value)
{
    return m_hive.setDword(SectionKey(section), key, static_cast<uint32_t>(value));
}

std::string SettingsStore::GetProfileString(const std::string& section, const std::string& key,
                                            const std::string& def) const
{
    const auto value = m_hive.getValue(SectionKey(section), key);
    if (!value || value->type != plat::RegType::String)
        return def;
    return value->text;
}

bool SettingsStore::WriteProfileString(const std::string& section, const std::string& key,
                                       const std::string& value)
{
    return m_hive.setString(SectionKey(section), key, value);
}

} // namespace shell
