// orvane-register: the installer's registration step. Usage: orvane-register --help-folder DIR
#include "host/Register.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr const char* kHelpFolderOption = "--help-folder";

int usage(const char* why)
{
    std::fprintf(stderr, "orvane-register: %s\nUsage: orvane-register --help-folder DIR\n", why);
    return kExitUsage;
}

} // namespace

int main(int argc, char** argv)
{
    std::string helpFolder;
    bool given = false;
    const std::string withValue = std::string(kHelpFolderOption) + "=";
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == kHelpFolderOption) {
            if (i + 1 >= argc)
                return usage("--help-folder needs a folder");
            helpFolder = argv[++i];
            given = true;
        } else if (arg.rfind(withValue, 0) == 0) {
            helpFolder = arg.substr(withValue.size());
            given = true;
        } else {
            return usage(("unknown argument: " + arg).c_str());
        }
    }
    if (!given)
        return usage("the help folder is missing");
    if (helpFolder.empty())
        return usage("the help folder is empty");

    plat::Registry registry = plat::Registry::fromEnvironment();
    host::RegisterResult result = host::registerHelpFolder(registry, helpFolder);
    if (!result.ok) {
        std::fprintf(stderr, "orvane-register: %s\n", result.error.c_str());
        return kExitFailed;
    }
    for (const std::string& title : result.written)
        std::printf("%s: written\n", title.c_str());
    for (const std::string& title : result.kept)
        std::printf("%s: kept\n", title.c_str());
    return kExitOk;
}
