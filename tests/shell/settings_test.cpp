// The settings store: where values live in the user's hive, their types, and defaults for
// missing values or values of the wrong type.
#include "shell/Settings.h"

#include "platform/Registry.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

constexpr const char* kConfigKey = "Software\\Orvane\\Zyloria\\Config";

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(m_dir.path().empty());
        m_hive = std::make_unique<plat::RegistryFile>(m_dir.file("user.reg"), "HKEY_CURRENT_USER");
        m_store = std::make_unique<shell::SettingsStore>(*m_hive, "Zyloria");
        m_store->SetRegistryKey("Orvane");
    }
    std::string fileText() const { return m_dir.read("user.reg"); }

    testsupport::TempFolder m_dir{"settings"};
    std::unique_ptr<plat::RegistryFile> m_hive;
    std::unique_ptr<shell::SettingsStore> m_store;
};

} // namespace

TEST_F(SettingsStoreTest, IntegersAreDwordsUnderTheProgramsSection)
{
    ASSERT_TRUE(m_store->WriteProfileInt("Config", "Speed", 5));
    const auto value = m_hive->getValue(kConfigKey, "Speed");
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->type, plat::RegType::Dword);
    EXPECT_EQ(value->dword, 5u);
    EXPECT_EQ(m_store->GetProfileInt("Config", "Speed", 1), 5);
    EXPECT_NE(fileText().find("[HKEY_CURRENT_USER\\Software\\Orvane\\Zyloria\\Config]"), std::string::npos);
}

TEST_F(SettingsStoreTest, NegativeIntegersRoundTrip)
{
    ASSERT_TRUE(m_store->WriteProfileInt("Config", "Offset", -3));
    EXPECT_EQ(m_store->GetProfileInt("Config", "Offset", 0), -3);
}

TEST_F(SettingsStoreTest, TextsAreStrings)
{
    ASSERT_TRUE(m_store->WriteProfileString("Config", "Message0", "Zyloria \"quoted\" \\ path"));
    const auto value = m_hive->getValue(kConfigKey, "Message0");
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->type, plat::RegType::String);
    EXPECT_EQ(m_store->GetProfileString("Config", "Message0", "none"), "Zyloria \"quoted\" \\ path");
}

TEST_F(SettingsStoreTest, MissingOrWrongTypeReadsTheDefault)
{
    ASSERT_TRUE(m_hive->setString(kConfigKey, "SpeedText", "7"));
    ASSERT_TRUE(m_hive->setBinary(kConfigKey, "SpeedBin", {7, 0, 0, 0}));
    ASSERT_TRUE(m_hive->setDword(kConfigKey, "Number", 9));
    struct Case {
        const char* key;
        int intResult;
        std::string textResult;
    };
    const Case cases[] = {
        {"Missing", -1, "def"},
        {"SpeedText", -1, "7"},     // a string never reads as an integer
        {"SpeedBin", -1, "def"},    // binary is neither
        {"Number", 9, "def"},       // a DWORD never reads as a text
    };
    for (const Case& c : cases) {
        EXPECT_EQ(m_store->GetProfileInt("Config", c.key, -1), c.intResult) << c.key;
        EXPECT_EQ(m_store->GetProfileString("Config", c.key, "def"), c.textResult) << c.key;
    }
    EXPECT_EQ(m_store->GetProfileInt("NoSection", "Speed", 42), 42);
}

TEST_F(SettingsStoreTest, SectionsAndProgramsAreSeparate)
{
    shell::SettingsStore other(*m_hive, "Photo Tavorine");
    other.SetRegistryKey("Orvane");
    ASSERT_TRUE(m_store->WriteProfileInt("Config", "Speed", 1));
    ASSERT_TRUE(m_store->WriteProfileInt("Other", "Speed", 2));
    ASSERT_TRUE(other.WriteProfileInt("Config", "Speed", 3));
    EXPECT_EQ(m_store->GetProfileInt("Config", "Speed", 0), 1);
    EXPECT_EQ(m_store->GetProfileInt("Other", "Speed", 0), 2);
    EXPECT_EQ(other.GetProfileInt("Config", "Speed", 0), 3);
    EXPECT_EQ(other.SectionKey("Config"), "Software\\Orvane\\Photo Tavorine\\Config");
}

TEST_F(SettingsStoreTest, OverwriteKeepsOneValue)
{
    ASSERT_TRUE(m_store->WriteProfileInt("Config", "Speed", 1));
    ASSERT_TRUE(m_store->WriteProfileInt("Config", "speed", 2));  // names ignore case
    EXPECT_EQ(m_store->GetProfileInt("Config", "SPEED", 0), 2);
    const plat::RegKey* key = m_hive->read().findKey(kConfigKey);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->values.size(), 1u);
}
