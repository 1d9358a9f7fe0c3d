// Command line: switch matching, the seed argument, window ids and the start-up dispatch of
// the three programs.
#include "shell/CommandLine.h"

#include <gtest/gtest.h>

#include <climits>

using namespace shell;
using Args = std::vector<std::string>;

TEST(MatchSwitchTest, MatchesOneLeadingMarkAndIgnoresCase)
{
    struct Case {
        const char* arg;
        const char* word;
        bool match;
    };
    const Case cases[] = {
        {"s", "s", true},        {"/s", "s", true},     {"-s", "s", true},
        {"/S", "s", true},       {"-S", "s", true},     {"S", "s", true},
        {"/c:1234", "c", false}, {"//s", "s", false},   {"--s", "s", false},
        {"/", "s", false},       {"", "s", false},      {"/ss", "s", false},
        {"/tray", "tray", true}, {"TRAY", "tray", true}, {"-Tray", "tray", true},
        {"/tra", "tray", false}, {"s ", "s", false},    {"\\s", "s", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MatchSwitch(c.arg, c.word), c.match) << '"' << c.arg << "\" vs " << c.word;
}

TEST(SeedArgumentTest, ReadsTheSecondArgumentAfterItsMarker)
{
    struct Case {
        Args args;
        std::optional<int> seed;
    };
    const Case cases[] = {
        {{"/s", "/r42"}, 42},
        {{"/s", "/rabc"}, 0},
        {{"/s", "/r"}, 0},
        {{"/s", "x"}, std::nullopt},
        {{"/s"}, std::nullopt},
        {{}, std::nullopt},
        {{"/s", "/R42"}, std::nullopt},       // only a lower-case r marks a seed
        {{"/s", "-r-17"}, -17},
        {{"/s", "xr+5"}, 5},                  // any switch character before the r
        {{"/s", "/r  12x3"}, 12},             // leading blanks; stops at the first non-digit
        {{"/c", "/r1234"}, 1234},
        {{"/p", "1234"}, std::nullopt},      // a window id is not a seed
        {{"/a", "/r9"}, 9},                  // honoured whatever the mode
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(SeedArgument(cases[i].args), cases[i].seed) << "row " << i;
}

TEST(SeedArgumentTest, ClampsToTheIntegerRange)
{
    EXPECT_EQ(SeedArgument({"/s", "/r99999999999999999999"}), INT_MAX);
    EXPECT_EQ(SeedArgument({"/s", "/r-99999999999999999999"}), INT_MIN);
    EXPECT_EQ(SeedArgument({"/s", "/r2147483647"}), INT_MAX);
    EXPECT_EQ(SeedArgument({"/s", "/r-2147483648"}), INT_MIN);
}

TEST(WindowIdArgumentTest, ReadsLeadingDigits)
{
    EXPECT_EQ(WindowIdArgument("4194305"), 4194305u);
    EXPECT_EQ(WindowIdArgument("12abc"), 12u);
    EXPECT_EQ(WindowIdArgument("abc"), 0u);
    EXPECT_EQ(WindowIdArgument(""), 0u);
    EXPECT_EQ(WindowIdArgument("-5"), 0u);
    EXPECT_EQ(WindowIdArgument("99999999999999999999999"), 0u);  // overflow: no window
}

namespace {

struct DispatchCase {
    const char* name;
    Variant variant;
    Args args;
    int mode;
    StartAction action;
    uint64_t parent;
    bool keepsRunning;
};

void checkCases(const std::vector<DispatchCase>& cases, const DispatchFacts& facts = {})
{
    for (const DispatchCase& c : cases) {
        const StartDecision d = DecideStart(c.variant, c.args, facts);
        EXPECT_EQ(d.runMode, c.mode) << c.name;
        EXPECT_EQ(d.action, c.action) << c.name;
        EXPECT_EQ(d.parentId, c.parent) << c.name;
        EXPECT_EQ(d.keepsRunning, c.keepsRunning) << c.name;
    }
}

} // namespace

TEST(DecideStartTest, ZyloriaTable)
{
    const Variant z = Variant::Zyloria;
    checkCases({
        {"no argument", z, {}, kModeConfigure, StartAction::ConfigSheet, 0, false},
        {"c", z, {"c"}, kModeConfigure, StartAction::ConfigSheet, 0, false},
        {"/c:1234", z, {"/c:1234"}, kModeConfigure, StartAction::ConfigSheet, 0, false},
        {"unknown", z, {"/x"}, kModeConfigure, StartAction::ConfigSheet, 0, false},
        {"/S", z, {"/S"}, kModeSaver, StartAction::Saver, 0, true},
        {"-s", z, {"-s"}, kModeSaver, StartAction::Saver, 0, true},
        {"s", z, {"s"}, kModeSaver, StartAction::Saver, 0, true},
        {"s with seed", z, {"/s", "/r42"}, kModeSaver, StartAction::Saver, 0, true},
        {"preview", z, {"/p", "4194305"}, kModePreview, StartAction::Preview, 4194305, true},
        {"preview no id", z, {"/p"}, kModePreview, StartAction::End, 0, false},
        {"preview bad id", z, {"/p", "abc"}, kModePreview, StartAction::End, 0, false},
        {"password", z, {"/a", "77"}, kModeChangePassword, StartAction::ChangePassword, 77, false},
        {"password no id", z, {"-A"}, kModeChangePassword, StartAction::ChangePassword, 0, false},
    });
}

TEST(DecideStartTest, TavorineShowsNothingInThePreview)
{
    const Variant t = Variant::Tavorine;
    checkCases({
        {"preview", t, {"/p", "4194305"}, kModePreview, StartAction::End, 0, false},
        {"saver", t, {"/s"}, kModeSaver, StartAction::Saver, 0, true},
        {"no argument", t, {}, kModeConfigure, StartAction::ConfigSheet, 0, false},
        {"password", t, {"/a", "5"}, kModeChangePassword, StartAction::ChangePassword, 5, false},
    });
}

TEST(DecideStartTest, Dicemere2SwitchesWithoutTrayFacts)
{
    const Variant d = Variant::Dicemere2;
    checkCases({
        {"tray", d, {"/tray"}, kModeTray, StartAction::Tray, 0, true},
        {"TRAY", d, {"TRAY"}, kModeTray, StartAction::Tray, 0, true},
        {"a", d, {"/a", "12"}, kModeChangePassword, StartAction::Note, 0, false},
        {"p", d, {"/p", "12"}, kModePreview, StartAction::End, 0, false},
        {"c", d, {"/c"}, kModeConfigure, StartAction::ConfigSheet, 0, false},
        {"missing", d, {}, kModeConfigure, StartAction::ConfigSheet, 0, false},
        {"unknown", d, {"/q"}, kModeConfigure, StartAction::ConfigSheet, 0, false},
        {"s alone", d, {"/s"}, kModeSaver, StartAction::Saver, 0, true},
    });
}

TEST(DecideStartTest, Dicemere2PasswordNoteIsTheThreeTextsJoined)
{
    const StartDecision d = DecideStart(Variant::Dicemere2, {"/a", "1"});
    EXPECT_EQ(d.noteText,
              "Dicemere lets the running screensaver handle the password protection.\n\n"
              "So if passwords are being used, Dicemere will just select a screensaver to run based "
              "on your frequencies, and not interrupt it. i.e. the duration is ignored.");
}

TEST(DecideStartTest, Dicemere2TrayHandOverEndsTheProgram)
{
    DispatchFacts facts;
    facts.trayTookOver = true;
    const Variant d = Variant::Dicemere2;
    checkCases({
        {"s", d, {"/s"}, kModeSaver, StartAction::End, 0, false},
        {"missing", d, {}, kModeConfigure, StartAction::End, 0, false},
        {"unknown", d, {"zz"}, kModeConfigure, StartAction::End, 0, false},
        // Switches that never ask for the hand-over are not affected by it.
        {"c", d, {"c"}, kModeConfigure, StartAction::ConfigSheet, 0, false},
        {"tray", d, {"/tray"}, kModeTray, StartAction::Tray, 0, true},
    }, facts);
}

TEST(DecideStartTest, Dicemere2InstanceCountRule)
{
    struct Case {
        bool trayOption;
        int running;
        bool runs;
    };
    const Case cases[] = {
        {true, 0, true}, {true, 1, true}, {true, 2, false}, {true, 3, false},
        {false, 0, true}, {false, 1, false}, {false, 2, false},
    };
    for (const Case& c : cases) {
        DispatchFacts facts;
        facts.trayOption = c.trayOption;
        facts.runningInstances = c.running;
        const StartDecision d = DecideStart(Variant::Dicemere2, {"/s"}, facts);
        EXPECT_EQ(d.runMode, kModeSaver);
        EXPECT_EQ(d.action, c.runs ? StartAction::Saver : StartAction::End)
            << "tray " << c.trayOption << " running " << c.running;
        EXPECT_EQ(d.keepsRunning, c.runs);
    }
}

TEST(AsksTrayHandOverTest, OnlySaverMissingAndUnknown)
{
    EXPECT_TRUE(AsksTrayHandOver({}));
    EXPECT_TRUE(AsksTrayHandOver({"/s"}));
    EXPECT_TRUE(AsksTrayHandOver({"-S"}));
    EXPECT_TRUE(AsksTrayHandOver({"/c:1"}));
    for (const char* arg : {"/tray", "/a", "-p", "c", "C"})
        EXPECT_FALSE(AsksTrayHandOver({arg})) << arg;
}
