// Resolves where the suite keeps its files: below ORVANE_ROOT, or at the XDG locations.
#include "platform/Locations.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <system_error>
#include <unistd.h>

namespace plat {

namespace {

constexpr const char* kRootVariable = "ORVANE_ROOT";
constexpr const char* kSystemFolderVariable = "ORVANE_SYSTEM_FOLDER";
constexpr const char* kSuiteFolder = "orvane";
constexpr const char* kSelfExe = "/proc/self/exe";
constexpr const char* kBuildTreeSavers = "../savers";
constexpr const char* kInstalledSavers = "../lib/orvane/savers";
constexpr const char* kRuntimeFallbackPrefix = "/tmp/orvane-";

std::string envText(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

// XDG asks for absolute paths; anything else falls back to the default.
std::string xdgFolder(const char* name, const std::string& fallback)
{
    const std::string value = envText(name);
    return !value.empty() && value.front() == '/' ? value : fallback;
}

std::string homeFolder()
{
    const std::string home = envText("HOME");
    if (!home.empty())
        return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return "/";
}

std::string systemFolderBesideProgram()
{
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink(kSelfExe, ec);
    if (ec)
        return {};
    const std::filesystem::path dir = exe.parent_path();
    const std::filesystem::path buildTree = (dir / kBuildTreeSavers).lexically_normal();
    if (std::filesystem::is_directory(buildTree, ec))
        return buildTree.string();
    return (dir / kInstalledSavers).lexically_normal().string();
}

} // namespace

Locations Locations::underRoot(const std::string& root)
{
    Locations loc;
    loc.windowsFolder = root + "/windows";
    loc.systemFolder = root + "/system";
    loc.userHive = root + "/user.reg";
    loc.machineHive = root + "/machine.reg";
    loc.runFolder = root + "/run";
    return loc;
}

Locations Locations::fromEnvironment()
{
    const std::string root = envText(kRootVariable);
    if (!root.empty())
        return underRoot(root);

    const std::string home = homeFolder();
    const std::string data = xdgFolder("XDG_DATA_HOME", home + "/.local/share") + "/" + kSuiteFolder;
    const std::string config = xdgFolder("XDG_CONFIG_HOME", home + "/.config") + "/" + kSuiteFolder;
    const std::string runtime = envText("XDG_RUNTIME_DIR");

    Locations loc;
    loc.windowsFolder = data + "/windows";
    loc.userHive = config + "/user.reg";
    loc.machineHive = data + "/machine.reg";
    loc.runFolder = !runtime.empty() && runtime.front() == '/'
                        ? runtime + "/" + kSuiteFolder
                        : kRuntimeFallbackPrefix + std::to_string(::getuid());
    loc.systemFolder = envText(kSystemFolderVariable);
    if (loc.systemFolder.empty())
        loc.systemFolder = systemFolderBesideProgram();
    return loc;
}

bool makeFolders(const std::string& path)
{
    if (path.empty())
        return false;
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    return std::filesystem::is_directory(path, ec);
}

} // namespace plat
