// The registration step: the help folder is added where it is missing and nothing stored is
// overwritten, both through the library call and through the orvane-register program.
#include "host/Register.h"

#include "platform/Clock.h"
#include "platform/Locations.h"
#include "platform/Process.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

namespace {

constexpr int kProgramWaitMs = 10000;
constexpr int kExitUsage = 2;

using testsupport::readFile;

class RegisterTest : public testing::Test {
protected:
    RegisterTest()
        : m_root(testsupport::makeTempFolder("orvane-register")), m_locations(plat::Locations::underRoot(m_root)),
          m_registry(m_locations.userHive, m_locations.machineHive)
    {
    }

    plat::RegistryFile& user() { return m_registry.hive(plat::Hive::CurrentUser); }

    std::optional<plat::RegValue> installFolder(const std::string& title)
    {
        return user().getValue(host::configKeyFor(title), host::kInstallFolderValue);
    }

    std::string m_root;
    plat::Locations m_locations;
    plat::Registry m_registry;
};

} // namespace

TEST_F(RegisterTest, WritesAllWhenMissing)
{
    struct Case {
        std::string given, stored;
    };
    for (const Case& c : {Case{"/usr/share/orvane/help", "/usr/share/orvane/help/"},
                          Case{"/opt/help/", "/opt/help/"}}) {
        ASSERT_TRUE(user().deleteKey("Software\\Orvane") || !user().keyExists("Software\\Orvane"));
        host::RegisterResult r = host::registerHelpFolder(m_registry, c.given);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.written, (std::vector<std::string>{"Zyloria", "Photo Tavorine", "Dicemere2"}));
        EXPECT_TRUE(r.kept.empty());
        for (const char* title : {"Zyloria", "Photo Tavorine", "Dicemere2"}) {
            std::optional<plat::RegValue> v = installFolder(title);
            ASSERT_TRUE(v) << title;
            EXPECT_EQ(v->type, plat::RegType::String);
            EXPECT_EQ(v->text, c.stored) << title;
        }
    }
    EXPECT_NE(readFile(m_locations.userHive).find("[HKEY_CURRENT_USER\\Software\\Orvane\\Photo Tavorine\\Config]"),
              std::string::npos);
}

TEST_F(RegisterTest, ExistingValuesAreNeverOverwritten)
{
    ASSERT_TRUE(user().setString("Software\\Orvane\\Photo Tavorine\\Config", "InstallFolder", "/old/help/"));
    ASSERT_TRUE(user().setDword("Software\\Orvane\\Dicemere2\\Config", "installfolder", 7));  // any type, any case
    ASSERT_TRUE(user().setString("Software\\Orvane\\Zyloria\\Config", "Speed", "5"));

    host::RegisterResult r = host::registerHelpFolder(m_registry, "/new/help");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.written, std::vector<std::string>{"Zyloria"});
    EXPECT_EQ(r.kept, (std::vector<std::string>{"Photo Tavorine", "Dicemere2"}));

    EXPECT_EQ(installFolder("Zyloria")->text, "/new/help/");
    EXPECT_EQ(installFolder("Photo Tavorine")->text, "/old/help/");
    EXPECT_EQ(installFolder("Dicemere2")->type, plat::RegType::Dword);
    EXPECT_EQ(installFolder("Dicemere2")->dword, 7u);
    EXPECT_EQ(user().getValue("Software\\Orvane\\Zyloria\\Config", "Speed")->text, "5");

    // A second run finds everything in place and changes nothing.
    const std::string before = readFile(m_locations.userHive);
    r = host::registerHelpFolder(m_registry, "/other/help");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(r.written.empty());
    EXPECT_EQ(r.kept.size(), 3u);
    EXPECT_EQ(readFile(m_locations.userHive), before);
}

TEST_F(RegisterTest, EmptyFolderIsRefused)
{
    host::RegisterResult r = host::registerHelpFolder(m_registry, "");
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
    EXPECT_FALSE(installFolder("Zyloria"));
}

// Runs the program with ORVANE_ROOT pointing at this test's root.
class RegisterProgramTest : public RegisterTest {
protected:
    void SetUp() override
    {
        m_program = std::string(ORVANE_BIN_DIR) + "/orvane-register";
        struct stat st {};
        ASSERT_EQ(stat(m_program.c_str(), &st), 0) << "build the orvane-register target: " << m_program;
        const char* old = getenv("ORVANE_ROOT");
        m_hadRoot = old != nullptr;
        if (old)
            m_oldRoot = old;
        setenv("ORVANE_ROOT", m_root.c_str(), 1);
    }
    void TearDown() override
    {
        if (m_hadRoot)
            setenv("ORVANE_ROOT", m_oldRoot.c_str(), 1);
        else
            unsetenv("ORVANE_ROOT");
    }
    int run(const std::vector<std::string>& args)
    {
        plat::SystemClock clock;
        plat::ChildProcess child;
        std::string error;
        EXPECT_TRUE(child.start(m_program, args, plat::Priority::Normal, &error)) << error;
        EXPECT_TRUE(child.wait(clock, kProgramWaitMs));
        return child.exitCode();
    }
    std::string m_program, m_oldRoot;
    bool m_hadRoot = false;
};

TEST_F(RegisterProgramTest, WritesMissingKeepsExisting)
{
    ASSERT_TRUE(user().setString("Software\\Orvane\\Zyloria\\Config", "InstallFolder", "/kept/"));
    EXPECT_EQ(run({"--help-folder", "/usr/share/orvane/help"}), 0);
    EXPECT_EQ(installFolder("Zyloria")->text, "/kept/");
    EXPECT_EQ(installFolder("Photo Tavorine")->text, "/usr/share/orvane/help/");
    EXPECT_EQ(installFolder("Dicemere2")->text, "/usr/share/orvane/help/");
}

TEST_F(RegisterProgramTest, BadArgumentsWriteNothing)
{
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, {"--help-folder"}, {"--help-folder", ""}, {"--folder", "/x"},
          {"--help-folder", "/x", "extra"}}) {
        EXPECT_EQ(run(args), kExitUsage) << (args.empty() ? "(none)" : args[0]);
    }
    struct stat st {};
    EXPECT_NE(stat(m_locations.userHive.c_str(), &st), 0);  // no hive was even created
}
