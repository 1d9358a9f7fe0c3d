// Tests of where the suite keeps its files, with and without ORVANE_ROOT, and of makeFolders.
#include "platform/Locations.h"

#include "platform/Registry.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <unistd.h>

namespace fs = std::filesystem;
using plat::Locations;

namespace {

constexpr const char* kVariables[] = {"ORVANE_ROOT", "ORVANE_SYSTEM_FOLDER", "XDG_DATA_HOME",
                                      "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "HOME"};

// Sets environment variables for one test and puts the old values back afterwards.
class Environment : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : kVariables) {
            const char* v = std::getenv(name);
            m_saved[name] = v ? std::optional<std::string>(v) : std::nullopt;
            ::unsetenv(name);
        }
    }
    void TearDown() override
    {
        for (const auto& [name, value] : m_saved) {
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
    }
    static void set(const char* name, const std::string& value) { ::setenv(name, value.c_str(), 1); }

private:
    std::map<std::string, std::optional<std::string>> m_saved;
};

TEST_F(Environment, RootRelocatesEverything)
{
    set("ORVANE_ROOT", "/r/o");
    set("XDG_DATA_HOME", "/ignored");
    set("ORVANE_SYSTEM_FOLDER", "/ignored/too");
    const Locations loc = Locations::fromEnvironment();
    EXPECT_EQ(loc.windowsFolder, "/r/o/windows");
    EXPECT_EQ(loc.systemFolder, "/r/o/system");
    EXPECT_EQ(loc.userHive, "/r/o/user.reg");
    EXPECT_EQ(loc.machineHive, "/r/o/machine.reg");
    EXPECT_EQ(loc.runFolder, "/r/o/run");

    const Locations same = Locations::underRoot("/r/o");
    EXPECT_EQ(same.windowsFolder, loc.windowsFolder);
    EXPECT_EQ(same.systemFolder, loc.systemFolder);
    EXPECT_EQ(same.userHive, loc.userHive);
    EXPECT_EQ(same.machineHive, loc.machineHive);
    EXPECT_EQ(same.runFolder, loc.runFolder);
}

TEST_F(Environment, XdgLocations)
{
    set("XDG_DATA_HOME", "/d");
    set("XDG_CONFIG_HOME", "/c");
    set("XDG_RUNTIME_DIR", "/run/user/5");
    set("ORVANE_SYSTEM_FOLDER", "/opt/savers");
    set("ORVANE_ROOT", "");  // empty counts as unset
    const Locations loc = Locations::fromEnvironment();
    EXPECT_EQ(loc.windowsFolder, "/d/orvane/windows");
    EXPECT_EQ(loc.userHive, "/c/orvane/user.reg");
    EXPECT_EQ(loc.machineHive, "/d/orvane/machine.reg");
    EXPECT_EQ(loc.runFolder, "/run/user/5/orvane");
    EXPECT_EQ(loc.systemFolder, "/opt/savers");
}

TEST_F(Environment, XdgDefaultsAndRelativeValuesIgnored)
{
    set("HOME", "/home/someone");
    set("XDG_CONFIG_HOME", "relative/config");
    const Locations loc = Locations::fromEnvironment();
    EXPECT_EQ(loc.windowsFolder, "/home/someone/.local/share/orvane/windows");
    EXPECT_EQ(loc.userHive, "/home/someone/.config/orvane/user.reg");
    EXPECT_EQ(loc.machineHive, "/home/someone/.local/share/orvane/machine.reg");
    EXPECT_EQ(loc.runFolder, "/tmp/orvane-" + std::to_string(::getuid()));
}

TEST_F(Environment, SystemFolderOfBuildTree)
{
    // The test program lives in build/tests, so build/savers is beside it.
    const Locations loc = Locations::fromEnvironment();
    EXPECT_EQ(fs::path(loc.systemFolder), fs::path(ORVANE_SAVERS_DIR).lexically_normal());
}

TEST_F(Environment, RegistryFollowsRoot)
{
    const testsupport::TempFolder root("orvane-loc");
    const std::string& tmpl = root.path();
    ASSERT_FALSE(tmpl.empty());
    set("ORVANE_ROOT", tmpl);
    plat::Registry reg = plat::Registry::fromEnvironment();
    ASSERT_TRUE(reg.hive(plat::Hive::CurrentUser).setString("Software\\Orvane", "Who", "user"));
    ASSERT_TRUE(reg.hive(plat::Hive::LocalMachine).setString("Software\\Orvane", "Who", "machine"));
    EXPECT_TRUE(fs::exists(tmpl + "/user.reg"));
    EXPECT_TRUE(fs::exists(tmpl + "/machine.reg"));
    EXPECT_EQ(reg.readString(plat::Hive::CurrentUser, "Software\\Orvane", "Who"), "user");
    EXPECT_EQ(reg.readString(plat::Hive::LocalMachine, "Software\\Orvane", "Who"), "machine");
    const std::string text = root.read("machine.reg");
    EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\Software\\Orvane]"), std::string::npos) << text;
}

TEST(MakeFolders, CreatesParentsAndReportsFailure)
{
    const testsupport::TempFolder root("orvane-mk");
    const std::string& tmpl = root.path();
    ASSERT_FALSE(tmpl.empty());
    EXPECT_TRUE(plat::makeFolders(tmpl + "/a/b/c"));
    EXPECT_TRUE(fs::is_directory(tmpl + "/a/b/c"));
    EXPECT_TRUE(plat::makeFolders(tmpl + "/a/b/c"));  // already there
    root.write("file", "x");
    EXPECT_FALSE(plat::makeFolders(tmpl + "/file"));
    EXPECT_FALSE(plat::makeFolders(tmpl + "/file/below"));
    EXPECT_FALSE(plat::makeFolders(""));
}

} // namespace
