// The trace log: line format and lap prefix, new file versus append, value lines,
// archiving, deletion and the environment that chooses the folder and switches tracing on.
#include "shell/Trace.h"

#include "tests/support/TempFolder.h"

#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <optional>
#include <string>

namespace {

class TraceFile : public testing::Test {
protected:
    std::string content() const { return dir.read("trace.txt"); }
    testsupport::TempFolder dir;
    plat::SimulatedClock clock;
};

TEST_F(TraceFile, LineIsLapPrefixTextAndCrLf)
{
    TraceLog log(dir.path(), clock);
    log.TraceLine("hello %d %s", 42, "world");
    EXPECT_EQ(content(), "         0 hello 42 world\r\n");
}

TEST_F(TraceFile, LaterLinesAppendWithTheTimeSinceThePreviousLine)
{
    TraceLog log(dir.path(), clock);
    clock.advanceMs(500);  // before the first line: not counted, the lap timer starts there
    log.TraceLine("first");
    clock.advanceMs(25);
    log.TraceLine("second");
    clock.advanceMs(1234567);
    log.TraceLine("third");
    EXPECT_EQ(content(), "         0 first\r\n        25 second\r\n   1234567 third\r\n");
}

TEST_F(TraceFile, NewLogStartsANewFile)
{
    dir.write("trace.txt", "old run\r\n");
    {
        TraceLog first(dir.path(), clock);
        first.TraceLine("one");
        EXPECT_EQ(content(), "         0 one\r\n");
    }
    TraceLog second(dir.path(), clock);
    clock.advanceMs(40);
    second.TraceLine("two");
    EXPECT_EQ(content(), "         0 two\r\n");
}

TEST_F(TraceFile, StartNewFileTruncatesButKeepsTheLap)
{
    TraceLog log(dir.path(), clock);
    log.TraceLine("before");
    clock.advanceMs(12);
    log.StartNewFile();
    log.TraceLine("after");
    clock.advanceMs(3);
    log.TraceLine("next");
    EXPECT_EQ(content(), "        12 after\r\n         3 next\r\n");
}

TEST_F(TraceFile, LongLinesAreCutToTheBuffer)
{
    TraceLog log(dir.path(), clock);
    const std::string longText(3000, 'x');
    log.TraceLine("%s", longText.c_str());
    log.TraceValue("app", 1, " : text = ", longText);
    const std::string cut(1023, 'x');
    const std::string valueLine = ("app line 1 : text = " + longText).substr(0, 1023);
    EXPECT_EQ(content(), "         0 " + cut + "\r\n         0 " + valueLine + "\r\n");
}

TEST_F(TraceFile, PositionLine)
{
    TraceLog log(dir.path(), clock);
    log.TracePosition("scenewnd", 523);
    EXPECT_EQ(content(), "         0 scenewnd line 523\r\n");
}

TEST_F(TraceFile, UnwritableFolderLosesTheLineQuietly)
{
    TraceLog log(dir.file("missing/folder"), clock);
    log.TraceLine("lost");
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing")));
    // The first line that can be written still starts a new file.
    dir.makeFolder("missing/folder");
    dir.write("missing/folder/trace.txt", "stale\r\n");
    clock.advanceMs(9);
    log.TraceLine("kept");
    EXPECT_EQ(dir.read("missing/folder/trace.txt"), "         9 kept\r\n");
}

struct ValueCase {
    const char* label;
    std::function<void(TraceLog&)> write;
    std::string text;
};

class TraceValueLines : public testing::TestWithParam<ValueCase> {};

TEST_P(TraceValueLines, JoinSourceLineExpressionAndValue)
{
    testsupport::TempFolder dir;
    plat::SimulatedClock clock;
    TraceLog log(dir.path(), clock);
    GetParam().write(log);
    EXPECT_EQ(dir.read("trace.txt"), "         0 " + GetParam().text + "\r\n");
}

INSTANTIATE_TEST_SUITE_P(Values, TraceValueLines,
    testing::Values(
        ValueCase{"Int", [](TraceLog& l) { l.TraceValue("app", 72, " : m_Rand.seed() = ", 1234567); },
                  "app line 72 : m_Rand.seed() = 1234567"},
        ValueCase{"NegativeInt", [](TraceLog& l) { l.TraceValue("App", 57, " : rand.seed() = ", -5); },
                  "App line 57 : rand.seed() = -5"},
        ValueCase{"Int64", [](TraceLog& l) { l.TraceValue("x", 1, " = ", int64_t(1) << 40); },
                  "x line 1 = 1099511627776"},
        ValueCase{"Bool", [](TraceLog& l) { l.TraceValue("Bkgdraw", 704, " : UseTexture() = ", true); },
                  "Bkgdraw line 704 : UseTexture() = 1"},
        ValueCase{"DoubleSixDigits", [](TraceLog& l) { l.TraceValue("3d", 62, " : m_back_z = ", -13.0); },
                  "3d line 62 : m_back_z = -13"},
        ValueCase{"DoubleRounded", [](TraceLog& l) { l.TraceValue("3d", 421, " : m_back_z = ", -8.123456789); },
                  "3d line 421 : m_back_z = -8.12346"},
        ValueCase{"DoubleSmall", [](TraceLog& l) { l.TraceValue("a", 2, " = ", 1.5e-7); }, "a line 2 = 1.5e-07"},
        ValueCase{"DoubleLarge", [](TraceLog& l) { l.TraceValue("a", 3, " = ", 12345678.0); }, "a line 3 = 1.23457e+07"},
        ValueCase{"Float", [](TraceLog& l) { l.TraceValue("saver", 69, " : f = ", 0.1f); }, "saver line 69 : f = 0.1"},
        ValueCase{"Text", [](TraceLog& l) { l.TraceValue("Bitmap", 53, " : sFilePathName = ", std::string("/p/a.jpg")); },
                  "Bitmap line 53 : sFilePathName = /p/a.jpg"},
        ValueCase{"PercentIsNotAFormat",
                  [](TraceLog& l) { l.TraceValue("Surf", 9, " : url = ", "http://h/a%20b%s%n.jpg"); },
                  "Surf line 9 : url = http://h/a%20b%s%n.jpg"}),
    [](const testing::TestParamInfo<ValueCase>& info) { return std::string(info.param.label); });

TEST_F(TraceFile, ArchiveTakesTheSmallestFreeNumber)
{
    dir.write("trace.txt", "current");
    dir.write("trace0.txt", "zero");
    dir.write("trace2.txt", "two");
    TraceLog log(dir.path(), clock);
    EXPECT_TRUE(log.TraceArchive());
    EXPECT_FALSE(std::filesystem::exists(dir.file("trace.txt")));
    EXPECT_EQ(dir.read("trace0.txt"), "zero");
    EXPECT_EQ(dir.read("trace1.txt"), "current");
    EXPECT_EQ(dir.read("trace2.txt"), "two");

    dir.write("trace.txt", "again");
    EXPECT_TRUE(log.TraceArchive());
    EXPECT_EQ(dir.read("trace3.txt"), "again");
    EXPECT_EQ(dir.read("trace2.txt"), "two");
}

TEST_F(TraceFile, ArchiveWithoutTraceFileDoesNothing)
{
    TraceLog log(dir.path(), clock);
    EXPECT_FALSE(log.TraceArchive());
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST_F(TraceFile, DeleteRemovesOnlyTheTraceFile)
{
    dir.write("trace0.txt", "archived");
    TraceLog log(dir.path(), clock);
    log.TraceLine("x");
    EXPECT_TRUE(log.TraceDelete());
    EXPECT_FALSE(std::filesystem::exists(dir.file("trace.txt")));
    EXPECT_EQ(dir.read("trace0.txt"), "archived");
    EXPECT_FALSE(log.TraceDelete());
}

TEST(TracePaths, EmptyFolderMeansTheCurrentFolder)
{
    plat::SimulatedClock clock;
    TraceLog log("", clock);
    EXPECT_EQ(log.filePath(), "trace.txt");
    EXPECT_EQ(log.archivePath(3), "trace3.txt");
    TraceLog inTmp("/tmp/x", clock);
    EXPECT_EQ(inTmp.filePath(), "/tmp/x/trace.txt");
    EXPECT_EQ(inTmp.archivePath(0), "/tmp/x/trace0.txt");
}

// Sets or unsets environment variables for one test and restores them afterwards.
class EnvironmentGuard {
public:
    void set(const char* name, const char* value)
    {
        remember(name);
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~EnvironmentGuard()
    {
        for (const auto& [name, value] : m_saved) {
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
    }

private:
    void remember(const std::string& name)
    {
        if (m_saved.count(name))
            return;
        const char* old = std::getenv(name.c_str());
        m_saved[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    std::map<std::string, std::optional<std::string>> m_saved;
};

struct EnvCase {
    const char* po;
    const char* orvatemp;
    const char* temp;
    bool traceOn;
    std::string folder;
};

class TraceEnvironment : public testing::TestWithParam<EnvCase> {};

TEST_P(TraceEnvironment, FolderAndSwitch)
{
    const EnvCase& c = GetParam();
    EnvironmentGuard env;
    env.set("PO", c.po);
    env.set("ORVATEMP", c.orvatemp);
    env.set("TEMP", c.temp);
    EXPECT_EQ(TraceLog::EnvironmentRequestsTrace(), c.traceOn);
    EXPECT_EQ(TraceLog::FolderFromEnvironment(), c.folder);
    plat::SimulatedClock clock;
    TraceLog log(clock);
    EXPECT_EQ(log.folder(), c.folder);
}

INSTANTIATE_TEST_SUITE_P(Variables, TraceEnvironment,
    testing::Values(EnvCase{"1", "/o", "/t", true, "/o"}, EnvCase{"", "", "/t", true, ""},
                    EnvCase{nullptr, "/o", "/t", false, "/o"}, EnvCase{"1", nullptr, "/t", false, "/t"},
                    EnvCase{nullptr, nullptr, nullptr, false, ""}));

TEST(TraceLogs, TwoLogsInOneProcessKeepTheirOwnState)
{
    testsupport::TempFolder a, b;
    plat::SimulatedClock clock;
    TraceLog first(a.path(), clock);
    TraceLog second(b.path(), clock);
    first.TraceLine("a1");
    clock.advanceMs(10);
    second.TraceLine("b1");
    clock.advanceMs(5);
    first.TraceLine("a2");
    EXPECT_EQ(a.read("trace.txt"), "         0 a1\r\n        15 a2\r\n");
    EXPECT_EQ(b.read("trace.txt"), "         0 b1\r\n");
}

} // namespace
