// Tests of profile (INI) files: tolerant parsing, the profile functions' reads into fixed
// buffers, integer reads, writes and deletes, case-blind file names and concurrent writers.
#include "platform/Profile.h"

#include "tests/support/Forked.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;
using plat::IniData;
using plat::ProfileFile;

namespace {

constexpr int kValuesPerWriter = 200;
constexpr size_t kBig = 4096;

using testsupport::readExistingFile;
using testsupport::writeFile;

std::vector<std::string> folderEntries(const std::string& dir)
{
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class ProfileFolder : public testsupport::FolderTest {
protected:
    ProfileFolder() : FolderTest("orvane-ini") {}
};

// ---- parsing ----------------------------------------------------------------------------

using Entries = std::vector<std::pair<std::string, std::string>>;

struct ParseCase {
    const char* label;
    std::string text;
    std::vector<plat::IniSection> expected;
};

void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.label; }

class IniParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(IniParse, KeepsSectionsAndEntriesInOrder)
{
    const IniData data = IniData::parse(GetParam().text);
    EXPECT_EQ(data.sections(), GetParam().expected);
    EXPECT_EQ(IniData::parse(data.serialize()), data) << data.serialize();
}

INSTANTIATE_TEST_SUITE_P(
    Profile, IniParse,
    ::testing::Values(
        ParseCase{"Plain", "[boot]\nSCRNSAVE.EXE=/x/a.scr\n[Zyloria]\nFolders=/p*/q*\n",
                  {{"boot", Entries{{"SCRNSAVE.EXE", "/x/a.scr"}}}, {"Zyloria", Entries{{"Folders", "/p*/q*"}}}}},
        ParseCase{"BlanksAndCrLf", "  [ Sec One ]  \r\n  Key A  =  some value  \r\n\tk2=\t\r\n",
                  {{"Sec One", Entries{{"Key A", "some value"}, {"k2", ""}}}}},
        ParseCase{"JunkAndComments",
                  "orphan=1\n; note\n[s]\nno equals here\n;k=v\n=nokey\n[broken\nk=v\nx=a=b\n",
                  {{"s", Entries{{"k", "v"}, {"x", "a=b"}}}}},
        ParseCase{"QuotesKeptRaw", "[s]\nq=\"  padded  \"\n", {{"s", Entries{{"q", "\"  padded  \""}}}}},
        ParseCase{"DuplicateSectionsMerge", "[A]\nx=1\n[B]\ny=2\n[a]\nz=3\n",
                  {{"A", Entries{{"x", "1"}, {"z", "3"}}}, {"B", Entries{{"y", "2"}}}}},
        ParseCase{"BracketsInNames", "[a]b]\nk]=v\n[]\nlost=1\n", {{"a]b", Entries{{"k]", "v"}}}}},
        ParseCase{"Empty", "", {}},
        ParseCase{"DicemereValues", "[Default]\nStars=2\\15\\1\\3\\\nDicemereCycle=0\n",
                  {{"Default", Entries{{"Stars", "2\\15\\1\\3\\"}, {"DicemereCycle", "0"}}}}}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(IniEdit, SetRemoveAndListKeepOrderAndSpelling)
{
    IniData data = IniData::parse("[First]\nAlpha=1\nBeta=2\n[Second]\nGamma=3\nalpha=dup\nALPHA=dup2\n");
    data.set("FIRST", "BETA", "20");
    data.set("first", "Delta", "4");
    data.set("Third", "x", "y");
    EXPECT_EQ(data.sectionNames(), (std::vector<std::string>{"First", "Second", "Third"}));
    EXPECT_EQ(data.keyNames("first"), (std::vector<std::string>{"Alpha", "Beta", "Delta"}));
    EXPECT_EQ(data.keyNames("SECOND"), (std::vector<std::string>{"Gamma", "alpha"}));
    EXPECT_EQ(data.get("First", "beta"), "20");
    EXPECT_EQ(data.get("second", "Alpha"), "dup");  // the first of duplicates is the one read

    EXPECT_TRUE(data.removeKey("second", "ALPHA"));  // every duplicate goes
    EXPECT_EQ(data.get("Second", "alpha"), std::nullopt);
    EXPECT_FALSE(data.removeKey("second", "alpha"));
    EXPECT_TRUE(data.removeSection("FIRST"));
    EXPECT_FALSE(data.removeSection("first"));
    EXPECT_EQ(data.findSection("First"), nullptr);
    EXPECT_EQ(data.serialize(), "[Second]\nGamma=3\n\n[Third]\nx=y\n");
}

// ---- reads into buffers -----------------------------------------------------------------

constexpr const char* kFixture =
    "[Zyloria]\n"
    "Folders=/pics/a*/pics/b*\n"
    "Quoted=\"  spaced out  \"\n"
    "HalfQuoted=\"open\n"
    "Blank=\n"
    "[Boot]\n"
    "SCRNSAVE.EXE=/savers/zyloria.scr\n"
    "[Dicemere2]\n"
    "k1=1\n"
    "key2=2\n";

struct ReadCase {
    const char* label;
    std::string section, key, def;
    size_t size;
    std::string buffer;
    size_t result;
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.label; }

class ProfileRead : public ProfileFolder, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(ProfileRead, FillsBufferAsThePlatformDoes)
{
    writeFile(file("zyloria.ini"), kFixture);
    const ReadCase& c = GetParam();
    const ProfileFile profile(m_dir, "Zyloria.ini");
    const plat::ProfileRead got = profile.read(c.section, c.key, c.def, c.size);
    EXPECT_EQ(got.buffer, c.buffer);
    EXPECT_EQ(got.result, c.result);
    EXPECT_LE(got.buffer.size(), c.size);
    EXPECT_EQ(profile.getString(c.section, c.key, c.def, c.size), c.buffer);
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Profile, ProfileRead,
    ::testing::Values(
        ReadCase{"Value", "Zyloria", "Folders", "", kBig, "/pics/a*/pics/b*", 16},
        ReadCase{"ValueCaseBlind", "ZYLORIA", "folders", "", kBig, "/pics/a*/pics/b*", 16},
        ReadCase{"ValueTruncated", "Zyloria", "Folders", "", 6, "/pics", 5},
        ReadCase{"ValueExactFit", "Zyloria", "Folders", "", 17, "/pics/a*/pics/b*", 16},
        ReadCase{"ValueOneShort", "Zyloria", "Folders", "", 16, "/pics/a*/pics/b", 15},
        ReadCase{"ZeroBuffer", "Zyloria", "Folders", "", 0, "", 0},
        ReadCase{"OneCharBuffer", "Zyloria", "Folders", "", 1, "", 0},
        ReadCase{"QuotesStripped", "Zyloria", "Quoted", "", kBig, "  spaced out  ", 14},
        ReadCase{"LoneQuoteKept", "Zyloria", "HalfQuoted", "", kBig, "\"open", 5},
        ReadCase{"EmptyValueIsNotDefault", "Zyloria", "Blank", "dflt", kBig, "", 0},
        ReadCase{"MissingKeyDefault", "Zyloria", "Nope", "dflt", kBig, "dflt", 4},
        ReadCase{"DefaultTrailingBlanksCut", "Zyloria", "Nope", " d f  \t", kBig, " d f", 4},
        ReadCase{"DefaultTruncated", "Nowhere", "Nope", "default", 4, "def", 3},
        ReadCase{"SectionList", "", "", "ignored", kBig, "Zyloria\0Boot\0Dicemere2\0\0"s, 23},
        ReadCase{"SectionListExactFit", "", "", "", 24, "Zyloria\0Boot\0Dicemere2\0\0"s, 23},
        ReadCase{"SectionListOneShort", "", "", "", 23, "Zyloria\0Boot\0Dicemere\0\0"s, 21},
        ReadCase{"SectionListCutInFirstName", "", "", "", 5, "Zyl\0\0"s, 3},
        ReadCase{"SectionListCutAtBoundary", "", "", "", 10, "Zyloria\0\0\0"s, 8},
        ReadCase{"SectionListTwo", "", "", "", 2, "\0\0"s, 0},
        ReadCase{"SectionListOne", "", "", "", 1, "\0"s, 0},
        ReadCase{"KeyList", "dicemere2", "", "", kBig, "k1\0key2\0\0"s, 8},
        ReadCase{"KeyListCut", "Dicemere2", "", "", 7, "k1\0ke\0\0"s, 5},
        ReadCase{"KeyListMissingSection", "Nowhere", "", "dflt", kBig, "\0\0"s, 0}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(ProfileFolder, MissingFileReadsDefaultsAndEmptyLists)
{
    const ProfileFile profile(m_dir, "absent.ini");
    EXPECT_EQ(profile.getString("s", "k", "d", kBig), "d");
    EXPECT_EQ(profile.getString("", "", "d", kBig), "\0\0"s);
    EXPECT_TRUE(profile.sectionNames().empty());
    EXPECT_EQ(profile.getInt("s", "k", 17), 17);
    EXPECT_FALSE(fs::exists(file("absent.ini")));
}

struct IntCase {
    const char* label;
    std::string stored;  // "" and the key is absent
    int def;
    int expected;
};

void PrintTo(const IntCase& c, std::ostream* os) { *os << c.label; }

class ProfileInt : public ProfileFolder, public ::testing::WithParamInterface<IntCase> {};

TEST_P(ProfileInt, ReadsLeadingNumber)
{
    const IntCase& c = GetParam();
    writeFile(file("t.ini"), "[s]\n" + (c.stored.empty() ? std::string("other=1") : "k=" + c.stored) + "\n");
    EXPECT_EQ(ProfileFile(file("T.INI")).getInt("S", "K", c.def), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Profile, ProfileInt,
                         ::testing::Values(IntCase{"Plain", "42", -1, 42}, IntCase{"Negative", "-7", 0, -7},
                                           IntCase{"Plus", "+5", 0, 5}, IntCase{"Zero", "0", 9, 0},
                                           IntCase{"TrailingText", "12abc", 0, 12},
                                           IntCase{"Blanked", "   33   ", 0, 33},
                                           IntCase{"Quoted", "\"9\"", 0, 9},
                                           IntCase{"NotANumber", "abc", 77, 77},
                                           IntCase{"SignOnly", "-", 78, 78},
                                           IntCase{"SpaceAfterSign", "- 4", 79, 79},
                                           IntCase{"Missing", "", 80, 80},
                                           IntCase{"Largest", "2147483647", 0, 2147483647},
                                           IntCase{"WrapsIn32Bits", "4294967297", 0, 1}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(ProfileFolder, IntOfEmptyValueIsDefault)
{
    writeFile(file("t.ini"), "[s]\nk=\n");
    EXPECT_EQ(ProfileFile(m_dir, "t.ini").getInt("s", "k", 5), 5);
}

// ---- writes -----------------------------------------------------------------------------

TEST_F(ProfileFolder, FileNamesCompareWithoutCase)
{
    ProfileFile upper(m_dir, "SYSTEM.INI");
    ASSERT_TRUE(upper.writeString("boot", std::string("SCRNSAVE.EXE"), std::string("/s/a.scr"))) << upper.lastError();
    EXPECT_EQ(folderEntries(m_dir), (std::vector<std::string>{"system.ini", "system.ini.lock"}));
    EXPECT_EQ(upper.path(), file("system.ini"));
    EXPECT_EQ(ProfileFile(file("System.Ini")).getString("BOOT", "scrnsave.exe", "", kBig), "/s/a.scr");

    // A file already there in another spelling is the one used.
    writeFile(file("Zyloria.INI"), "[Zyloria]\nFolders=/old\n");
    ProfileFile z(m_dir, "zyloria.ini");
    EXPECT_EQ(z.path(), file("Zyloria.INI"));
    ASSERT_TRUE(z.writeString("Zyloria", std::string("Folders"), std::string("/new")));
    EXPECT_FALSE(fs::exists(file("zyloria.ini")));
    EXPECT_EQ(readExistingFile(file("Zyloria.INI")), "[Zyloria]\nFolders=/new\n");
}

TEST_F(ProfileFolder, WritesDeletesAndKeepsOrder)
{
    writeFile(file("d.ini"), "[One]\na=1\nb=2\n; comment\n[Two]\nc=3\n");
    ProfileFile p(m_dir, "d.ini");
    ASSERT_TRUE(p.writeString("one", std::string("A"), std::string("10")));   // in place, old spelling
    ASSERT_TRUE(p.writeString("Three", std::string("d"), std::string(" 4 ")));  // new section at the end
    EXPECT_EQ(readExistingFile(p.path()), "[One]\na=10\nb=2\n\n[Two]\nc=3\n\n[Three]\nd= 4 \n");  // as given
    EXPECT_EQ(p.getString("three", "D", "", kBig), "4");  // but read trimmed
    ASSERT_TRUE(p.writeString("Two", std::string("e"), std::string("5")));  // new key at the end
    EXPECT_EQ(readExistingFile(p.path()), "[One]\na=10\nb=2\n\n[Two]\nc=3\ne=5\n\n[Three]\nd=4\n");

    ASSERT_TRUE(p.writeString("ONE", std::string("b"), std::nullopt));  // delete a key
    ASSERT_TRUE(p.writeString("two", std::nullopt, std::nullopt));      // delete a section
    ASSERT_TRUE(p.writeString("Missing", std::string("x"), std::nullopt));  // deleting nothing is fine
    EXPECT_EQ(p.sectionNames(), (std::vector<std::string>{"One", "Three"}));
    EXPECT_EQ(p.keyNames("One"), std::vector<std::string>{"a"});
    EXPECT_EQ(readExistingFile(p.path()), "[One]\na=10\n\n[Three]\nd=4\n");
}

TEST_F(ProfileFolder, DeletingInAMissingFileCreatesNothing)
{
    ProfileFile p(m_dir + "/sub", "new.ini");
    EXPECT_TRUE(p.writeString("s", std::string("k"), std::nullopt));
    EXPECT_TRUE(p.writeString("s", std::nullopt, std::nullopt));
    EXPECT_FALSE(fs::exists(m_dir + "/sub/new.ini"));
    ASSERT_TRUE(p.writeString("s", std::string("k"), std::string("v")));  // the folder is made too
    EXPECT_EQ(readExistingFile(m_dir + "/sub/new.ini"), "[s]\nk=v\n");
}

TEST_F(ProfileFolder, RefusesTextsThatWouldBreakLines)
{
    writeFile(file("x.ini"), "[boot]\nSCRNSAVE.EXE=/good.scr\n");
    ProfileFile p(m_dir, "x.ini");
    const std::string before = readExistingFile(p.path());
    struct Bad {
        std::string section;
        std::optional<std::string> key, value;
    };
    const std::vector<Bad> bads = {
        {"s", "k", "a\n[boot]\nSCRNSAVE.EXE=/evil.scr"},
        {"s", "k", "a\rb"},
        {"s\n[boot]", "k", "v"},
        {"s", "k\nSCRNSAVE.EXE", "v"},
        {"s", "k=v", "w"},
        {"s", "[k", "v"},
        {"s", ";k", "v"},
        {"s", "  ", "v"},
        {"", "k", "v"},
    };
    for (const auto& b : bads) {
        EXPECT_FALSE(p.writeString(b.section, b.key, b.value)) << b.section << "/" << b.key.value_or("-");
        EXPECT_FALSE(p.lastError().empty());
    }
    EXPECT_EQ(readExistingFile(p.path()), before);
    EXPECT_EQ(p.getString("boot", "SCRNSAVE.EXE", "", kBig), "/good.scr");
    EXPECT_TRUE(p.writeString("", std::nullopt, std::nullopt));  // the cache flush form
}

TEST_F(ProfileFolder, TwoProcessesWritingAtOnceLoseNothing)
{
    ASSERT_NO_FATAL_FAILURE(testsupport::runInChildren(2, [&](int writer) {
        // Each writer names the file in its own spelling: both are the same file.
        ProfileFile p(m_dir, writer == 0 ? "Dicemere2.ini" : "DICEMERE2.INI");
        bool ok = true;
        for (int i = 0; i < kValuesPerWriter; ++i)
            ok = p.writeString("Race", "w" + std::to_string(writer) + "-" + std::to_string(i),
                               std::to_string(writer * 1000 + i)) && ok;
        return ok;
    }));
    EXPECT_EQ(folderEntries(m_dir), (std::vector<std::string>{"dicemere2.ini", "dicemere2.ini.lock"}));
    const ProfileFile p(m_dir, "dicemere2.ini");
    EXPECT_EQ(p.keyNames("Race").size(), static_cast<size_t>(2 * kValuesPerWriter));
    for (int writer = 0; writer < 2; ++writer)
        for (int i = 0; i < kValuesPerWriter; ++i)
            EXPECT_EQ(p.getInt("Race", "w" + std::to_string(writer) + "-" + std::to_string(i), -1), writer * 1000 + i);
}

} // namespace
