// The host's points against relocated files: the password switch in all the value types it
// may have, password hashes (new, legacy and malformed), the current saver in system.ini,
// and the idle starter's switch and wait.
#include "host/Host.h"

#include "platform/Profile.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <crypt.h>

#include <cstdlib>
#include <fstream>
#include <optional>

namespace {

constexpr int kDefaultTimeout = 600;

using testsupport::readFile;

// A value of the desktop key as a test sets it up.
struct StoredValue {
    enum Kind { Missing, Text, Dword, Binary } kind = Missing;
    std::string text;
    uint32_t dword = 0;
    std::vector<uint8_t> bytes;
};

StoredValue text(const std::string& t) { return {StoredValue::Text, t, 0, {}}; }
StoredValue dword(uint32_t d) { return {StoredValue::Dword, {}, d, {}}; }
StoredValue binary(std::vector<uint8_t> b) { return {StoredValue::Binary, {}, 0, std::move(b)}; }
StoredValue missing() { return {}; }

// Readable values in failure messages.
void PrintTo(const StoredValue& v, std::ostream* os)
{
    switch (v.kind) {
    case StoredValue::Missing: *os << "(missing)"; break;
    case StoredValue::Text: *os << "text \"" << v.text << "\""; break;
    case StoredValue::Dword: *os << "dword " << v.dword; break;
    case StoredValue::Binary: *os << "binary of " << v.bytes.size() << " bytes"; break;
    }
}

// One relocated root with its registry and host, fresh for every test.
class HostFixture {
public:
    HostFixture()
        : m_locations(plat::Locations::underRoot(testsupport::makeTempFolder("orvane-host"))),
          m_registry(m_locations.userHive, m_locations.machineHive),
          m_host(m_registry, m_locations)
    {
    }

    void store(const char* name, const StoredValue& v)
    {
        plat::RegistryFile& hive = m_registry.hive(plat::Hive::CurrentUser);
        switch (v.kind) {
        case StoredValue::Missing:
            break;
        case StoredValue::Text:
            ASSERT_TRUE(hive.setString(host::kDesktopKey, name, v.text));
            break;
        case StoredValue::Dword:
            ASSERT_TRUE(hive.setDword(host::kDesktopKey, name, v.dword));
            break;
        case StoredValue::Binary:
            ASSERT_TRUE(hive.setBinary(host::kDesktopKey, name, v.bytes));
            break;
        }
    }

    std::string storedHash() const
    {
        return m_registry.readString(plat::Hive::CurrentUser, host::kDesktopKey, host::kPasswordHashValue);
    }

protected:
    plat::Locations m_locations;
    plat::Registry m_registry;
    host::Host m_host;
};

// crypt(3) with a given setting, as an older install would have stored it.
std::string legacyHash(const std::string& password, const std::string& setting)
{
    crypt_data data{};
    const char* out = crypt_rn(password.c_str(), setting.c_str(), &data, int(sizeof data));
    return out && out[0] != '*' ? std::string(out) : std::string();
}

} // namespace

// ---------------------------------------------------------------------------------------
// Password switch

struct SwitchCase {
    const char* label;
    StoredValue value;
    bool on;
};

void PrintTo(const SwitchCase& c, std::ostream* os) { *os << c.label; }

class UsePasswordTest : public HostFixture, public testing::TestWithParam<SwitchCase> {};

TEST_P(UsePasswordTest, ReadsSwitch)
{
    store(host::kUsePasswordValue, GetParam().value);
    EXPECT_EQ(m_host.usePassword(), GetParam().on);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UsePasswordTest,
    testing::Values(SwitchCase{"text_1", text("1"), true}, SwitchCase{"text_0", text("0"), false},
                    SwitchCase{"text_empty", text(""), false}, SwitchCase{"missing", missing(), false},
                    SwitchCase{"dword_1", dword(1), true}, SwitchCase{"dword_0", dword(0), false},
                    SwitchCase{"binary4_1", binary({1, 0, 0, 0}), true},
                    SwitchCase{"binary4_0", binary({0, 0, 0, 0}), false},
                    SwitchCase{"binary4_high_byte", binary({0, 0, 0, 1}), true},
                    SwitchCase{"text_2", text("2"), true}, SwitchCase{"text_blank_then_1", text(" 1"), true},
                    SwitchCase{"text_number_then_words", text("1 yes"), true},
                    SwitchCase{"text_negative", text("-1"), true}, SwitchCase{"text_word", text("yes"), false},
                    SwitchCase{"text_zeros", text("000"), false}),
    [](const auto& info) { return std::string(info.param.label); });

// ---------------------------------------------------------------------------------------
// Password hashes

class PasswordTest : public HostFixture, public testing::Test {};

TEST_F(PasswordTest, NoHashLetsAnyoneIn)
{
    EXPECT_FALSE(m_host.passwordSet());
    EXPECT_TRUE(m_host.checkPassword(""));
    EXPECT_TRUE(m_host.checkPassword("anything"));
    store(host::kPasswordHashValue, text(""));
    EXPECT_FALSE(m_host.passwordSet());
    EXPECT_TRUE(m_host.checkPassword("anything"));
}

TEST_F(PasswordTest, SetPasswordStoresYescryptAndVerifies)
{
    ASSERT_TRUE(m_host.setPassword("secret"));
    EXPECT_TRUE(m_host.passwordSet());
    const std::string hash = storedHash();
    EXPECT_EQ(hash.rfind("$y$", 0), 0u) << hash;
    EXPECT_EQ(hash.find("secret"), std::string::npos);

    EXPECT_TRUE(m_host.checkPassword("secret"));
    for (const std::string& wrong : std::vector<std::string>{"", "Secret", "secret ", "secre", std::string("secret\0x", 8)})
        EXPECT_FALSE(m_host.checkPassword(wrong)) << wrong;

    // A new password replaces the old one; each hash has its own salt.
    ASSERT_TRUE(m_host.setPassword("secret"));
    EXPECT_NE(storedHash(), hash);
    ASSERT_TRUE(m_host.setPassword("other"));
    EXPECT_TRUE(m_host.checkPassword("other"));
    EXPECT_FALSE(m_host.checkPassword("secret"));
}

TEST_F(PasswordTest, PasswordWithNulIsRefusedAndKeepsOld)
{
    ASSERT_TRUE(m_host.setPassword("abc"));
    const std::string before = storedHash();
    EXPECT_FALSE(m_host.setPassword(std::string("abc\0def", 7)));
    EXPECT_EQ(storedHash(), before);
    EXPECT_TRUE(m_host.checkPassword("abc"));
}

TEST_F(PasswordTest, ClearPasswordRemovesHash)
{
    ASSERT_TRUE(m_host.setPassword("secret"));
    EXPECT_TRUE(m_host.clearPassword());
    EXPECT_FALSE(m_host.passwordSet());
    EXPECT_TRUE(m_host.checkPassword("whatever"));
    EXPECT_TRUE(m_host.clearPassword());  // nothing to clear is fine too
}

TEST_F(PasswordTest, LegacyHashesVerify)
{
    for (const std::string setting : {"$6$Orvane.salt$", "$5$rounds=5000$Orvane.salt$"}) {
        const std::string hash = legacyHash("p4ss word", setting);
        ASSERT_FALSE(hash.empty()) << setting;
        store(host::kPasswordHashValue, text(hash));
        EXPECT_TRUE(m_host.passwordSet());
        EXPECT_TRUE(m_host.checkPassword("p4ss word")) << setting;
        EXPECT_FALSE(m_host.checkPassword("p4ss Word")) << setting;
        EXPECT_FALSE(m_host.checkPassword("")) << setting;
    }
}

class MalformedHashTest : public HostFixture, public testing::TestWithParam<StoredValue> {};

TEST_P(MalformedHashTest, NobodyGetsIn)
{
    store(host::kPasswordHashValue, GetParam());
    EXPECT_TRUE(m_host.passwordSet());
    for (const std::string& typed : std::vector<std::string>{"", "*0", "*1", "x", "password", GetParam().text})
        EXPECT_FALSE(m_host.checkPassword(typed)) << "typed '" << typed << "' against '" << GetParam().text << "'";
}

INSTANTIATE_TEST_SUITE_P(Cases, MalformedHashTest,
                         testing::Values(text("*0"), text("*1"), text("$6$"), text("$y$"), text("$y$broken"),
                                         text("$5$salt"), text("x"), text("!"), text("$unknown$abc$def"),
                                         dword(5)));

// ---------------------------------------------------------------------------------------
// Current saver

class CurrentSaverTest : public HostFixture, public testing::Test {};

TEST_F(CurrentSaverTest, MissingFileMeansNone)
{
    EXPECT_EQ(m_host.currentSaver(), "");
}

TEST_F(CurrentSaverTest, WriteThenRead)
{
    const std::string saver = "/opt/savers/Photo Tavorine.scr";
    ASSERT_TRUE(m_host.setCurrentSaver(saver));  // creates the Windows folder and the file
    EXPECT_EQ(m_host.currentSaver(), saver);
    const std::string file = readFile(m_locations.windowsFolder + "/system.ini");
    EXPECT_NE(file.find("[boot]"), std::string::npos) << file;
    EXPECT_NE(file.find("SCRNSAVE.EXE=" + saver), std::string::npos) << file;

    // A second host on the same files sees it.
    host::Host other(m_registry, m_locations);
    EXPECT_EQ(other.currentSaver(), saver);
}

TEST_F(CurrentSaverTest, ExistingFileKeepsItsOtherContent)
{
    ASSERT_TRUE(plat::makeFolders(m_locations.windowsFolder));
    std::ofstream(m_locations.windowsFolder + "/system.ini")
        << "[boot]\nshell=desk\nscrnsave.exe=/old/Zyloria.scr\n[drivers]\nwave=none\n";
    EXPECT_EQ(m_host.currentSaver(), "/old/Zyloria.scr");  // names compare without case

    ASSERT_TRUE(m_host.setCurrentSaver("/new/Dicemere2.scr"));
    EXPECT_EQ(m_host.currentSaver(), "/new/Dicemere2.scr");
    plat::ProfileFile profile(m_locations.windowsFolder, "SYSTEM.INI");
    EXPECT_EQ(profile.getString("boot", "shell", "", 256), "desk");
    EXPECT_EQ(profile.getString("drivers", "wave", "", 256), "none");
}

// ---------------------------------------------------------------------------------------
// Idle starter

struct TimeoutCase {
    const char* label;
    StoredValue value;
    int seconds;
};

void PrintTo(const TimeoutCase& c, std::ostream* os) { *os << c.label; }

class TimeoutTest : public HostFixture, public testing::TestWithParam<TimeoutCase> {};

TEST_P(TimeoutTest, ReadsWait)
{
    store(host::kTimeoutValue, GetParam().value);
    EXPECT_EQ(m_host.idleTimeoutSeconds(), GetParam().seconds);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TimeoutTest,
    testing::Values(TimeoutCase{"missing", missing(), kDefaultTimeout},
                    TimeoutCase{"text_300", text("300"), 300}, TimeoutCase{"text_1", text("1"), 1},
                    TimeoutCase{"blanks_around", text(" 45 "), 45}, TimeoutCase{"dword_120", dword(120), 120},
                    TimeoutCase{"zero", text("0"), kDefaultTimeout},
                    TimeoutCase{"negative", text("-5"), kDefaultTimeout},
                    TimeoutCase{"empty", text(""), kDefaultTimeout},
                    TimeoutCase{"word", text("soon"), kDefaultTimeout},
                    TimeoutCase{"trailing_garbage", text("12abc"), kDefaultTimeout},
                    TimeoutCase{"too_large", text("99999999999"), kDefaultTimeout},
                    TimeoutCase{"dword_zero", dword(0), kDefaultTimeout}),
    [](const auto& info) { return std::string(info.param.label); });

class IdleStarterTest : public HostFixture, public testing::Test {};

TEST_F(IdleStarterTest, TimeoutWriteReadsBackAndRefusesNonPositive)
{
    ASSERT_TRUE(m_host.setIdleTimeoutSeconds(900));
    EXPECT_EQ(m_host.idleTimeoutSeconds(), 900);
    EXPECT_FALSE(m_host.setIdleTimeoutSeconds(0));
    EXPECT_FALSE(m_host.setIdleTimeoutSeconds(-60));
    EXPECT_EQ(m_host.idleTimeoutSeconds(), 900);
}

struct ActiveCase {
    const char* label;
    StoredValue value;
    bool active;
};

void PrintTo(const ActiveCase& c, std::ostream* os) { *os << c.label; }

class SaverActiveTest : public HostFixture, public testing::TestWithParam<ActiveCase> {};

TEST_P(SaverActiveTest, ReadsSwitch)
{
    store(host::kActiveValue, GetParam().value);
    EXPECT_EQ(m_host.saverActive(), GetParam().active);
}

INSTANTIATE_TEST_SUITE_P(Cases, SaverActiveTest,
                         testing::Values(ActiveCase{"missing", missing(), true}, ActiveCase{"text_1", text("1"), true},
                                         ActiveCase{"text_0", text("0"), false},
                                         ActiveCase{"dword_0", dword(0), false},
                                         ActiveCase{"dword_1", dword(1), true}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(IdleStarterTest, ActiveSwitchWritesBoth)
{
    ASSERT_TRUE(m_host.setSaverActive(false));
    EXPECT_FALSE(m_host.saverActive());
    EXPECT_EQ(m_registry.readString(plat::Hive::CurrentUser, host::kDesktopKey, host::kActiveValue), "0");
    ASSERT_TRUE(m_host.setSaverActive(true));
    EXPECT_TRUE(m_host.saverActive());
    EXPECT_EQ(m_registry.readString(plat::Hive::CurrentUser, host::kDesktopKey, host::kActiveValue), "1");
}

TEST(HostInstances, TwoRootsDoNotInterfere)
{
    struct Open : HostFixture {
        host::Host& host() { return m_host; }
    };
    Open first, second;
    ASSERT_TRUE(first.host().setPassword("one"));
    ASSERT_TRUE(first.host().setCurrentSaver("/a.scr"));
    ASSERT_TRUE(first.host().setSaverActive(false));
    EXPECT_FALSE(second.host().passwordSet());
    EXPECT_EQ(second.host().currentSaver(), "");
    EXPECT_TRUE(second.host().saverActive());
    EXPECT_TRUE(first.host().checkPassword("one"));
}
