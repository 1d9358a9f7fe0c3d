// Tests of the registry store: REGEDIT4 parsing and writing, case rules, the platform's
// "read a value as text", unreadable hives kept aside, and concurrent writers.
#include "platform/Registry.h"

#include "tests/support/Forked.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;
using plat::HiveData;
using plat::RegKey;
using plat::RegistryFile;
using plat::RegType;
using plat::RegValue;

namespace {

constexpr const char* kRoot = "HKEY_CURRENT_USER";
constexpr int kValuesPerWriter = 200;

RegValue str(const std::string& name, const std::string& text)
{
    RegValue v;
    v.name = name;
    v.type = RegType::String;
    v.text = text;
    return v;
}

RegValue dword(const std::string& name, uint32_t n)
{
    RegValue v;
    v.name = name;
    v.type = RegType::Dword;
    v.dword = n;
    return v;
}

RegValue binary(const std::string& name, std::vector<uint8_t> bytes)
{
    RegValue v;
    v.name = name;
    v.type = RegType::Binary;
    v.bytes = std::move(bytes);
    return v;
}

using testsupport::readExistingFile;
using testsupport::writeFile;

class TempFolder : public testsupport::FolderTest {
protected:
    TempFolder() : FolderTest("orvane-reg") {}
};

// ---- parsing ----------------------------------------------------------------------------

struct Expect {
    std::string key;
    RegValue value;
};

struct GoodCase {
    const char* label;
    std::string text;
    std::vector<Expect> expected;
    size_t keyCount;
};

void PrintTo(const GoodCase& c, std::ostream* os) { *os << c.label; }

class ParseGood : public ::testing::TestWithParam<GoodCase> {};

TEST_P(ParseGood, ReadsValuesAndRoundTrips)
{
    const GoodCase& c = GetParam();
    std::string error;
    const auto data = HiveData::parse(c.text, kRoot, &error);
    ASSERT_TRUE(data) << error;
    EXPECT_EQ(data->keys().size(), c.keyCount);
    for (const auto& e : c.expected) {
        const RegValue* v = data->findValue(e.key, e.value.name);
        ASSERT_NE(v, nullptr) << e.key << " / " << e.value.name;
        EXPECT_EQ(*v, e.value) << e.key << " / " << e.value.name;
    }
    const std::string written = data->serialize(kRoot);
    const auto again = HiveData::parse(written, kRoot, &error);
    ASSERT_TRUE(again) << error << "\n" << written;
    EXPECT_EQ(*again, *data) << written;
}

INSTANTIATE_TEST_SUITE_P(
    Registry, ParseGood,
    ::testing::Values(
        GoodCase{"HandWritten",
                 "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Orvane\\Zyloria\\Config]\n\"Speed\"=dword:00000005\n"
                 "\"Message0\"=\"Zyloria\"\n\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"
                 "\"ScreenSaveUsePassword\"=\"1\"\n\"ScreenSaveTimeOut\"=\"600\"\n",
                 {{"Software\\Orvane\\Zyloria\\Config", dword("Speed", 5)},
                  {"Software\\Orvane\\Zyloria\\Config", str("Message0", "Zyloria")},
                  {"Control Panel\\Desktop", str("ScreenSaveTimeOut", "600")}},
                 6},
        GoodCase{"CrLfAndBlanks",
                 "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n\"x\"=\"1\"  \r\n  \"y\" = dword:0000000A\r\n",
                 {{"A", str("x", "1")}, {"A", dword("y", 10)}},
                 1},
        GoodCase{"Escapes",
                 "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"quo\\\"te\"=\"C:\\\\Pictures\\\\ \\\"new\\\"\"\n",
                 {{"A", str("quo\"te", "C:\\Pictures\\ \"new\"")}},
                 1},
        GoodCase{"DefaultValue",
                 "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n@=\"dflt\"\n\"\"=\"again\"\n",
                 {{"A", str("", "again")}},
                 1},
        GoodCase{"HexWithContinuations",
                 "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"b\"=hex:01,02,\\\n  03,FF,\\\n  0a\n\"e\"=hex:\n",
                 {{"A", binary("b", {1, 2, 3, 0xff, 10})}, {"A", binary("e", {})}},
                 1},
        GoodCase{"TypedHex",
                 "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"d\"=hex(4):2a,00,00,01\n\"s\"=hex(1):68,69,00\n"
                 "\"b\"=hex(3):07\n",
                 {{"A", dword("d", 0x0100002a)}, {"A", str("s", "hi")}, {"A", binary("b", {7})}},
                 1},
        GoodCase{"EmptyFile", "", {}, 0},
        GoodCase{"OnlyHeader", "\n\nREGEDIT4\n", {}, 0},
        GoodCase{"RootKeyCaseAndComments",
                 "\xEF\xBB\xBFREGEDIT4\n; a note\n[hkey_current_user]\n\"top\"=\"t\"\n[HKEY_current_USER\\k]\n",
                 {{"", str("top", "t")}},
                 2},
        GoodCase{"DuplicateSectionsMerge",
                 "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=\"1\"\n[HKEY_CURRENT_USER\\B]\n[HKEY_CURRENT_USER\\a]\n"
                 "\"X\"=\"2\"\n\"y\"=\"3\"\n",
                 {{"A", str("x", "2")}, {"a", str("y", "3")}},
                 2}),
    [](const auto& info) { return std::string(info.param.label); });

struct BadCase {
    const char* label;
    std::string text;
    int line;
};

void PrintTo(const BadCase& c, std::ostream* os) { *os << c.label; }

class ParseBad : public ::testing::TestWithParam<BadCase> {};

TEST_P(ParseBad, FailsWithLineNumber)
{
    const BadCase& c = GetParam();
    std::string error;
    EXPECT_FALSE(HiveData::parse(c.text, kRoot, &error));
    EXPECT_EQ(error.rfind("line " + std::to_string(c.line) + ":", 0), 0u) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Registry, ParseBad,
    ::testing::Values(BadCase{"NoHeader", "[HKEY_CURRENT_USER\\A]\n", 1},
                      BadCase{"OtherHeader", "\nWindows Registry Editor Version 5.00\n", 2},
                      BadCase{"ValueOutsideKey", "REGEDIT4\n\"a\"=\"b\"\n", 2},
                      BadCase{"UnterminatedText", "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"a\"=\"b\n", 3},
                      BadCase{"UnterminatedName", "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"a=\"b\"\n", 3},
                      BadCase{"UnknownEscape", "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"a\"=\"b\\n\"\n", 3},
                      BadCase{"TextAfterQuote", "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"a\"=\"b\" x\n", 3},
                      BadCase{"NoEquals", "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"a\" \"b\"\n", 3},
                      BadCase{"DwordTooLong", "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"a\"=dword:000000001\n", 3},
                      BadCase{"DwordNotHex", "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"a\"=dword:0000000g\n", 3},
                      BadCase{"DwordEmpty", "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"a\"=dword:\n", 3},
                      BadCase{"HexBadByte", "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"a\"=hex:01,2g\n", 3},
                      BadCase{"HexLongByte", "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"a\"=hex:123\n", 3},
                      BadCase{"HexTrailingComma", "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"a\"=hex:01,\n", 3},
                      BadCase{"HexContinuationAtEnd", "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"a\"=hex:01,\\", 3},
                      BadCase{"HexContinuationIntoNothing", "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"a\"=hex:01,\\\n", 3},
                      BadCase{"HexErrorOnFirstLine",
                              "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\n\"a\"=hex:01,\\\n  zz\n", 4},
                      BadCase{"UnsupportedType", "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"a\"=hex(2):00\n", 3},
                      BadCase{"Hex4WrongSize", "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"a\"=hex(4):01,02\n", 3},
                      BadCase{"OtherRoot", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n", 2},
                      BadCase{"RootPrefixOnly", "REGEDIT4\n[HKEY_CURRENT_USERX\\A]\n", 2},
                      BadCase{"DeleteKey", "REGEDIT4\n[-HKEY_CURRENT_USER\\A]\n", 2},
                      BadCase{"UnclosedKey", "REGEDIT4\n[HKEY_CURRENT_USER\\A\n", 2},
                      BadCase{"EmptyComponent", "REGEDIT4\n[HKEY_CURRENT_USER\\A\\\\B]\n", 2},
                      BadCase{"Garbage", "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"a\"=\"1\"\nnonsense\n", 4},
                      BadCase{"BareValue", "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"a\"=42\n", 3}),
    [](const auto& info) { return std::string(info.param.label); });

// ---- writing ----------------------------------------------------------------------------

TEST(RegistryWrite, SerializesInRegeditFormat)
{
    HiveData data;
    data.setValue("Software\\Orvane\\Zyloria\\Config", dword("Speed", 5));
    data.setValue("Software\\Orvane\\Zyloria\\Config", str("Message0", "a\\b \"q\""));
    data.setValue("Software\\Orvane\\Zyloria\\Config", str("", "default"));
    data.setValue("Software\\Orvane\\Zyloria\\Config", binary("Bin", {0x01, 0xab}));
    const std::string expected =
        "REGEDIT4\n\n"
        "[HKEY_CURRENT_USER\\Software]\n\n"
        "[HKEY_CURRENT_USER\\Software\\Orvane]\n\n"
        "[HKEY_CURRENT_USER\\Software\\Orvane\\Zyloria]\n\n"
        "[HKEY_CURRENT_USER\\Software\\Orvane\\Zyloria\\Config]\n"
        "\"Speed\"=dword:00000005\n"
        "\"Message0\"=\"a\\\\b \\\"q\\\"\"\n"
        "@=\"default\"\n"
        "\"Bin\"=hex:01,ab\n\n";
    EXPECT_EQ(data.serialize(kRoot), expected);
}

TEST(RegistryWrite, LongBinaryWrapsWithContinuations)
{
    std::vector<uint8_t> bytes;
    for (int i = 0; i < 100; ++i)
        bytes.push_back(static_cast<uint8_t>(i * 7));
    HiveData data;
    data.setValue("A", binary("LongBinaryValueName", bytes));
    const std::string text = data.serialize(kRoot);
    size_t lines = 0, start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        const std::string line = text.substr(start, end - start);
        EXPECT_LE(line.size(), 80u) << line;
        if (line.size() > 2 && line.back() == '\\')
            ++lines;
        start = end + 1;
    }
    EXPECT_GE(lines, 3u);
    const auto again = HiveData::parse(text, kRoot);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->findValue("a", "longbinaryvaluename")->bytes, bytes);
}

TEST(RegistryWrite, TextsThatCannotBeQuotedRoundTrip)
{
    const std::vector<RegValue> values = {
        str("lines", "one\ntwo\r\nthree"), str("nul", std::string("a\0b", 3)), str("trailingCr", "x\r"),
        str("empty", ""), str("quote\"back\\slash", "\\\\\""), binary("none", {}), dword("max", 0xffffffffu),
        str("utf8", "Gr\xC3\xBC\xC3\x9F" "e"), str("", "dflt")};
    HiveData data;
    for (const auto& v : values)
        data.setValue("K\\Sub", v);
    const std::string text = data.serialize(kRoot);
    std::string error;
    const auto again = HiveData::parse(text, kRoot, &error);
    ASSERT_TRUE(again) << error << "\n" << text;
    for (const auto& v : values) {
        const RegValue* got = again->findValue("K\\Sub", v.name);
        ASSERT_NE(got, nullptr) << v.name;
        EXPECT_EQ(*got, v) << v.name;
    }
}

// ---- names ------------------------------------------------------------------------------

TEST(RegistryNames, CaseInsensitiveAndKeepFirstSpelling)
{
    HiveData data;
    data.setValue("Software\\Orvane\\Zyloria", dword("Speed", 1));
    data.setValue("SOFTWARE\\orvane\\ZYLORIA", dword("SPEED", 2));
    data.setValue("software\\ORVANE\\Photo Tavorine", str("Name", "x"));
    data.setValue("\\Software\\\\Orvane\\Dicemere2\\", dword("N", 3));

    ASSERT_EQ(data.keys().size(), 5u);
    EXPECT_EQ(data.keys()[3].path, "Software\\Orvane\\Photo Tavorine");
    const RegKey* key = data.findKey("software\\orvane\\zyloria");
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->path, "Software\\Orvane\\Zyloria");
    ASSERT_EQ(key->values.size(), 1u);
    EXPECT_EQ(key->values[0].name, "Speed");
    EXPECT_EQ(key->values[0].dword, 2u);
    EXPECT_EQ(data.subkeyNames("SOFTWARE\\ORVANE"),
              (std::vector<std::string>{"Zyloria", "Photo Tavorine", "Dicemere2"}));
    EXPECT_EQ(data.subkeyNames(""), (std::vector<std::string>{"Software"}));

    EXPECT_TRUE(data.deleteValue("software\\orvane\\zyloria", "speed"));
    EXPECT_FALSE(data.deleteValue("software\\orvane\\zyloria", "speed"));
    EXPECT_EQ(data.findValue("Software\\Orvane\\Zyloria", "Speed"), nullptr);
}

TEST(RegistryNames, DeleteKeyTakesSubkeysButNotLookalikes)
{
    HiveData data;
    data.setValue("A\\B\\C", dword("v", 1));
    data.setValue("A\\BC", dword("v", 2));
    data.setValue("A\\B", dword("v", 3));
    EXPECT_TRUE(data.deleteKey("a\\b"));
    EXPECT_EQ(data.findKey("A\\B"), nullptr);
    EXPECT_EQ(data.findKey("A\\B\\C"), nullptr);
    ASSERT_NE(data.findValue("A\\BC", "v"), nullptr);
    EXPECT_EQ(data.subkeyNames("A"), std::vector<std::string>{"BC"});
    EXPECT_FALSE(data.deleteKey("A\\B"));
}

// ---- files ------------------------------------------------------------------------------

using RegistryFileTest = TempFolder;

TEST_F(RegistryFileTest, WritesReadsAndDeletes)
{
    RegistryFile hive(file("sub/dir/user.reg"), kRoot);
    EXPECT_TRUE(hive.read().keys().empty());
    EXPECT_FALSE(hive.getValue("A", "x"));
    EXPECT_FALSE(hive.keyExists("A"));

    ASSERT_TRUE(hive.setString("Software\\Orvane\\Zyloria\\Config", "Message0", "Hi")) << hive.lastError();
    ASSERT_TRUE(hive.setDword("Software\\Orvane\\Zyloria\\Config", "Speed", 7));
    ASSERT_TRUE(hive.setBinary("Software\\Orvane\\Zyloria\\Config", "Raw", {1, 2}));
    EXPECT_EQ(readExistingFile(hive.path()).rfind("REGEDIT4\n", 0), 0u);
    EXPECT_TRUE(hive.keyExists("software\\orvane"));
    EXPECT_EQ(hive.subkeyNames("Software\\Orvane"), std::vector<std::string>{"Zyloria"});

    RegistryFile other(file("sub/dir/user.reg"), kRoot);  // a second reader sees every write
    EXPECT_EQ(other.getValue("SOFTWARE\\ORVANE\\ZYLORIA\\CONFIG", "speed")->dword, 7u);
    EXPECT_EQ(other.getValue("Software\\Orvane\\Zyloria\\Config", "Message0")->text, "Hi");

    EXPECT_TRUE(hive.deleteValue("Software\\Orvane\\Zyloria\\Config", "Speed"));
    EXPECT_FALSE(hive.deleteValue("Software\\Orvane\\Zyloria\\Config", "Speed"));
    EXPECT_FALSE(other.getValue("Software\\Orvane\\Zyloria\\Config", "Speed"));
    EXPECT_TRUE(hive.deleteKey("Software\\Orvane"));
    EXPECT_FALSE(other.keyExists("Software\\Orvane\\Zyloria\\Config"));
    EXPECT_TRUE(other.keyExists("Software"));

    // A general update whose function declines writes nothing.
    const std::string before = readExistingFile(hive.path());
    EXPECT_FALSE(hive.update([](HiveData& d) {
        d.setValue("Z", dword("z", 1));
        return false;
    }));
    EXPECT_EQ(readExistingFile(hive.path()), before);
    for (const auto& entry : fs::directory_iterator(file("sub/dir")))
        EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos) << entry.path();
}

TEST_F(RegistryFileTest, MalformedHiveIsKeptAsideNotOverwritten)
{
    const std::string path = file("user.reg");
    const std::string garbage = "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"keep\"=\"me\"\n\"broken=\n";
    writeFile(path, garbage);
    writeFile(path + ".bad-1", "an older casualty");

    RegistryFile hive(path, kRoot);
    EXPECT_TRUE(hive.read().keys().empty());
    EXPECT_NE(hive.lastError().find("line 4"), std::string::npos) << hive.lastError();
    EXPECT_FALSE(hive.getValue("A", "keep"));
    EXPECT_EQ(readExistingFile(path), garbage);  // reading changes nothing

    ::testing::internal::CaptureStderr();
    ASSERT_TRUE(hive.setString("A", "new", "value"));
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find(path + ".bad-2"), std::string::npos) << err;
    EXPECT_NE(hive.lastError().find(path + ".bad-2"), std::string::npos) << hive.lastError();

    EXPECT_EQ(readExistingFile(path + ".bad-2"), garbage);
    EXPECT_EQ(readExistingFile(path + ".bad-1"), "an older casualty");
    const HiveData now = hive.read();
    EXPECT_EQ(now.findValue("A", "keep"), nullptr);
    ASSERT_NE(now.findValue("A", "new"), nullptr);
    EXPECT_EQ(now.findValue("A", "new")->text, "value");
}

TEST_F(RegistryFileTest, UnreadableHiveIsLeftAlone)
{
    const std::string path = file("user.reg");
    fs::create_directory(path);  // something that exists but cannot be read as a file
    RegistryFile hive(path, kRoot);
    EXPECT_FALSE(hive.setString("A", "x", "1"));
    EXPECT_FALSE(hive.lastError().empty());
    EXPECT_TRUE(fs::is_directory(path));
    EXPECT_FALSE(fs::exists(path + ".bad-1"));
}

TEST_F(RegistryFileTest, RefusesNamesThatWouldBreakTheFile)
{
    RegistryFile hive(file("user.reg"), kRoot);
    ASSERT_TRUE(hive.setString("A", "ok", "1"));
    const std::string before = readExistingFile(hive.path());
    EXPECT_FALSE(hive.setString("A\nB", "x", "1"));
    EXPECT_FALSE(hive.setString("A", "x\ny", "1"));
    EXPECT_FALSE(hive.lastError().empty());
    EXPECT_EQ(readExistingFile(hive.path()), before);
}

TEST_F(RegistryFileTest, TwoProcessesWritingAtOnceLoseNothing)
{
    const std::string path = file("user.reg");
    ASSERT_NO_FATAL_FAILURE(testsupport::runInChildren(2, [&](int writer) {
        RegistryFile hive(path, kRoot);
        bool ok = true;
        for (int i = 0; i < kValuesPerWriter; ++i)
            ok = hive.setDword("Software\\Orvane\\Race", "w" + std::to_string(writer) + "-" + std::to_string(i),
                               static_cast<uint32_t>(writer * 1000 + i)) && ok;
        return ok;
    }));
    const HiveData data = RegistryFile(path, kRoot).read();
    const RegKey* key = data.findKey("Software\\Orvane\\Race");
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->values.size(), static_cast<size_t>(2 * kValuesPerWriter));
    for (int writer = 0; writer < 2; ++writer)
        for (int i = 0; i < kValuesPerWriter; ++i) {
            const RegValue* v = data.findValue("Software\\Orvane\\Race", "w" + std::to_string(writer) + "-" + std::to_string(i));
            ASSERT_NE(v, nullptr) << writer << " " << i;
            EXPECT_EQ(v->dword, static_cast<uint32_t>(writer * 1000 + i));
        }
}

// ---- reading a value as text ------------------------------------------------------------

struct ReadCase {
    const char* label;
    std::function<bool(RegistryFile&)> store;
    std::string expected;
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.label; }

class ReadStringTest : public TempFolder, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(ReadStringTest, GivesTextOfValue)
{
    plat::Registry reg(file("user.reg"), file("machine.reg"));
    ASSERT_TRUE(GetParam().store(reg.hive(plat::Hive::CurrentUser)));
    EXPECT_EQ(reg.readString(plat::Hive::CurrentUser, "Software\\Test", "V"), GetParam().expected);
    // The other hive does not hold it.
    EXPECT_EQ(reg.readString(plat::Hive::LocalMachine, "Software\\Test", "V"), "");
}

INSTANTIATE_TEST_SUITE_P(
    Registry, ReadStringTest,
    ::testing::Values(
        ReadCase{"String", [](RegistryFile& h) { return h.setString("Software\\Test", "V", "Jane Doe"); }, "Jane Doe"},
        ReadCase{"EmptyString", [](RegistryFile& h) { return h.setString("Software\\Test", "V", ""); }, ""},
        ReadCase{"Binary4", [](RegistryFile& h) { return h.setBinary("Software\\Test", "V", {0x39, 0x30, 0, 0}); },
                 "12345"},
        ReadCase{"Binary4High",
                 [](RegistryFile& h) { return h.setBinary("Software\\Test", "V", {0xff, 0xff, 0xff, 0xff}); },
                 "4294967295"},
        ReadCase{"Binary3", [](RegistryFile& h) { return h.setBinary("Software\\Test", "V", {1, 2, 3}); }, ""},
        ReadCase{"Binary5", [](RegistryFile& h) { return h.setBinary("Software\\Test", "V", {1, 2, 3, 4, 5}); }, ""},
        ReadCase{"Dword", [](RegistryFile& h) { return h.setDword("Software\\Test", "V", 600); }, "600"},
        ReadCase{"DwordMax", [](RegistryFile& h) { return h.setDword("Software\\Test", "V", 0xffffffffu); },
                 "4294967295"},
        ReadCase{"MissingValue", [](RegistryFile& h) { return h.setString("Software\\Test", "Other", "x"); }, ""},
        ReadCase{"MissingKey", [](RegistryFile& h) { return h.setString("Software\\Elsewhere", "V", "x"); }, ""},
        ReadCase{"CaseOfNames", [](RegistryFile& h) { return h.setString("SOFTWARE\\TEST", "v", "yes"); }, "yes"},
        ReadCase{"LongestThatFits",
                 [](RegistryFile& h) { return h.setString("Software\\Test", "V", std::string(1023, 'x')); },
                 std::string(1023, 'x')},
        ReadCase{"TooLongForBuffer",
                 [](RegistryFile& h) { return h.setString("Software\\Test", "V", std::string(1024, 'x')); }, ""}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(RegistryFileTest, ReadStringOfUnparsableHiveIsEmpty)
{
    writeFile(file("user.reg"), "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Test]\n\"V\"=\"ok\"\n!!\n");
    plat::Registry reg(file("user.reg"), file("machine.reg"));
    EXPECT_EQ(reg.readString(plat::Hive::CurrentUser, "Software\\Test", "V"), "");
}

} // namespace
