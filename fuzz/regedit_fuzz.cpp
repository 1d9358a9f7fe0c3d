// libFuzzer target for the REGEDIT4 hive parser: any bytes must parse or fail cleanly, and a
// hive that parses must write back to text that parses to the same hive, and to itself again.
#include "platform/Registry.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {
constexpr const char* kRoot = "HKEY_CURRENT_USER";

std::string lowered(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string error;
    const auto hive = plat::HiveData::parse(text, kRoot, &error);
    if (!hive) {
        if (error.empty())
            std::abort();  // a failure always says why
        return 0;
    }
    const std::string written = hive->serialize(kRoot);
    const auto again = plat::HiveData::parse(written, kRoot, &error);
    if (!again || !(*again == *hive) || again->serialize(kRoot) != written)
        std::abort();

    // Edits keep the hive writable: a text with line breaks under an existing key, then
    // that key's removal with every subkey.
    if (hive->keys().empty())
        return 0;
    plat::HiveData edited = *hive;
    const std::string path = edited.keys().front().path;
    plat::RegValue value;
    value.name = "fuzz";
    value.type = plat::RegType::String;
    value.text = text.substr(0, 64);
    edited.setValue(path, value);
    const auto reread = plat::HiveData::parse(edited.serialize(kRoot), kRoot);
    if (!reread || !(*reread == edited) || !reread->findValue(path, "FUZZ") ||
        reread->findValue(path, "FUZZ")->text != value.text)
        std::abort();
    if (!path.empty()) {
        edited.deleteKey(path);
        const std::string prefix = lowered(path) + "\\";
        for (const auto& key : edited.keys())
            if (lowered(key.path) == lowered(path) || lowered(key.path).rfind(prefix, 0) == 0)
                std::abort();
    }
    return 0;
}
