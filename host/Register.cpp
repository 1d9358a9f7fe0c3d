// The registration step: one locked read-modify-write of the user hive that adds the help
// folder to every program that does not have it yet.
#include "host/Register.h"

namespace host {

namespace {

constexpr const char* kSettingsRoot = "Software\\Orvane\\";
constexpr const char* kConfigLeaf = "\\Config";

} // namespace

std::string configKeyFor(const std::string& title)
{
    return std::string(kSettingsRoot) + title + kConfigLeaf;
}

RegisterResult registerHelpFolder(plat::Registry& registry, const std::string& helpFolder)
{
    RegisterResult result;
    if (helpFolder.empty()) {
        result.error = "The help folder is empty";
        return result;
    }
    std::string folder = helpFolder;
    if (folder.back() != '/')
        folder += '/';

    plat::RegistryFile& hive = registry.hive(plat::Hive::CurrentUser);
    std::vector<std::string> written, kept;
    // The check and the write happen under one lock, so a value another process writes at
    // the same moment is never overwritten.
    bool changed = hive.update([&](plat::HiveData& data) {
        written.clear();
        kept.clear();
        for (const char* title : kRegisteredTitles) {
            const std::string key = configKeyFor(title);
            if (data.findValue(key, kInstallFolderValue)) {
                kept.push_back(title);
                continue;
            }
            plat::RegValue value;
            value.name = kInstallFolderValue;
            value.type = plat::RegType::String;
            value.text = folder;
            data.setValue(key, value);
            written.push_back(title);
        }
        return !written.empty();
    });
    (void)changed;

    // Whatever the update reported, the hive as it is now tells whether the step is done.
    for (const char* title : kRegisteredTitles) {
        if (!hive.getValue(configKeyFor(title), kInstallFolderValue)) {
            result.error = "Cannot write " + std::string(kInstallFolderValue) + " for " + title +
                           (hive.lastError().empty() ? std::string() : ": " + hive.lastError());
            return result;
        }
    }
    result.ok = true;
    result.written = written;
    result.kept = kept;
    return result;
}

} // namespace host
