// libFuzzer target for the INI parser: any bytes parse, and the written form parses to the
// same data and writes back to itself.
#include "platform/Profile.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const plat::IniData ini = plat::IniData::parse(text);
    const std::string written = ini.serialize();
    const plat::IniData again = plat::IniData::parse(written);
    if (!(again == ini) || again.serialize() != written)
        std::abort();
    for (const auto& name : ini.sectionNames())
        if (!ini.findSection(name))
            std::abort();

    // Deleting the first key of the first section removes every copy of it.
    const auto sections = ini.sections();
    if (sections.empty() || sections.front().entries.empty())
        return 0;
    plat::IniData edited = ini;
    const std::string& section = sections.front().name;
    const std::string& key = sections.front().entries.front().first;
    if (!edited.removeKey(section, key) || edited.get(section, key))
        std::abort();
    edited.set(section, key, "v");
    if (edited.get(section, key) != "v" || !(plat::IniData::parse(edited.serialize()) == edited))
        std::abort();
    return 0;
}
