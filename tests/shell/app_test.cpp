// The saver application object: seeding and trace flags at construction, start-up
// dispatch of each program, the password switch and its grab, trace archiving and deletion,
// the help page, the product version and the password rule handed to the screen window.
#include "shell/app.h"

#include "platform/Clock.h"
#include "platform/Locations.h"
#include "platform/MessageBox.h"
#include "platform/Registry.h"
#include "platform/ScriptedBackend.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace shell;
namespace fs = std::filesystem;

namespace {

using testsupport::readFile;
using testsupport::writeFile;

class FakeSettings : public SaverSettings {
public:
    explicit FakeSettings(std::string folder) : m_folder(std::move(folder)) {}
    std::string InstallFolder() const override { return m_folder; }

private:
    std::string m_folder;
};

// A program that records what the application asks of it.
class FakeProgram : public SaverProgram {
public:
    explicit FakeProgram(Variant v) : variant(v) {}

    std::string Title() const override { return variant == Variant::Dicemere2 ? "Dicemere2" : "Zyloria"; }
    std::string SheetTitle() const override { return "Zyloria Screensaver"; }
    std::string HelpPage() const override { return "Zyloria.htm"; }
    Variant GetVariant() const override { return variant; }

    std::unique_ptr<SaverSettings> CreateSettings(CSaverApp& app) override
    {
        ++settingsCreated;
        if (settingsSwitchTraceOn)
            app.m_bTrace = true;
        return std::make_unique<FakeSettings>(installFolder);
    }
    void ShowConfigSheet(CSaverApp&, uint64_t parentXid) override
    {
        ++sheets;
        sheetParent = parentXid;
    }
    std::unique_ptr<CSaverWnd> CreatePreviewWnd(CSaverApp& app, uint64_t parentXid) override
    {
        ++previews;
        auto wnd = std::make_unique<CSaverWnd>(*app.Loop());
        if (!wnd->CreateChildWindow(parentXid))
            return nullptr;
        return wnd;
    }
    std::unique_ptr<CSaverWnd> CreateScreenWnd(CSaverApp& app) override
    {
        auto wnd = std::make_unique<CScreenWnd>(app.ScreenPasswordCheck(), *app.Loop());
        if (!wnd->CreateFullScreen())
            return nullptr;
        if (onScreenCreated)
            onScreenCreated(*wnd);
        return wnd;
    }
    bool VerifyPassword(CSaverApp&, uint64_t) override
    {
        ++verifies;
        return verifyAnswer;
    }
    void ChangePassword(CSaverApp&, uint64_t parentXid) override
    {
        ++changes;
        changeParent = parentXid;
    }
    bool HandOverToTray(CSaverApp&) override
    {
        ++handOverChecks;
        return handOver;
    }
    bool TrayOption(CSaverApp&) override { return trayOption; }
    int CountRunningInstances(CSaverApp&) override { return running; }
    std::unique_ptr<CSaverWnd> CreateTrayWnd(CSaverApp& app) override
    {
        ++trayWindows;
        auto wnd = std::make_unique<CSaverWnd>(*app.Loop());
        if (!wnd->CreateHiddenWindow("Dicemere2"))
            return nullptr;
        return wnd;
    }
    std::unique_ptr<CSaverWnd> CreateLaunchWnd(CSaverApp& app) override
    {
        ++launchWindows;
        auto wnd = std::make_unique<CSaverWnd>(*app.Loop());
        if (!wnd->CreateHiddenWindow("Dicemere2"))
            return nullptr;
        return wnd;
    }

    Variant variant;
    std::function<void(CSaverWnd&)> onScreenCreated;
    std::string installFolder;
    bool settingsSwitchTraceOn = false;
    bool verifyAnswer = true;
    bool handOver = false;
    bool trayOption = false;
    int running = 0;
    int settingsCreated = 0, sheets = 0, previews = 0, verifies = 0, changes = 0;
    int handOverChecks = 0, trayWindows = 0, launchWindows = 0;
    uint64_t sheetParent = 99, changeParent = 99;
};

class AppTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(m_root.empty());
        m_boxes.clear();
        plat::setBoxPresenter([this](const plat::BoxRequest& r) {
            m_boxes.push_back(r);
            return plat::BoxAnswer::Ok;
        });
    }
    void TearDown() override
    {
        plat::setBoxPresenter(plat::stderrBoxPresenter());
    }

    AppEnvironment env(bool traceFromEnv = false)
    {
        AppEnvironment e;
        e.locations = plat::Locations::underRoot(m_root);
        e.clock = &m_clock;
        e.traceFromEnv = traceFromEnv;
        e.traceFolder = m_root;
        e.backendFactory = [this]() -> std::unique_ptr<plat::WindowBackend> {
            auto b = std::make_unique<plat::ScriptedBackend>(&m_clock);
            if (m_createFails)
                b->setCreateFails(true);
            m_backend = b.get();
            return b;
        };
        e.openDocument = [this](const std::string& path) {
            m_opened.push_back(path);
            return m_openWorks;
        };
        return e;
    }

    plat::Registry registry() const
    {
        const auto loc = plat::Locations::underRoot(m_root);
        return plat::Registry(loc.userHive, loc.machineHive);
    }

    testsupport::TempFolder m_folder{"app"};
    std::string m_root = m_folder.path();
    plat::SimulatedClock m_clock{0, 1234567};
    plat::ScriptedBackend* m_backend = nullptr;
    bool m_createFails = false;
    bool m_openWorks = true;
    std::vector<std::string> m_opened;
    std::vector<plat::BoxRequest> m_boxes;
};

} // namespace

TEST_F(AppTest, SeedArgumentIsHonouredInEveryMode)
{
    struct Case {
        std::vector<std::string> args;
        int seed;
    };
    const Case cases[] = {
        {{"/s", "/r42"}, 42},
        {{"/s", "/rabc"}, 0},
        {{"/s", "x"}, 1234567},        // the clock's calendar seconds
        {{"/s"}, 1234567},
        {{"/c", "/r7"}, 7},
        {{"/a", "/r8"}, 8},
        {{"/p", "/r9"}, 9},
        {{"/p", "4194305"}, 1234567},
        {{}, 1234567},
    };
    for (const Case& c : cases) {
        FakeProgram program(Variant::Zyloria);
        CSaverApp app(program, c.args, env());
        EXPECT_EQ(app.m_Rand.seed(), c.seed) << (c.args.empty() ? "" : c.args[0]);
        EXPECT_EQ(app.m_nRunMode, kModeNone);
        EXPECT_FALSE(app.m_bUsePassword);
        app.InitInstance();
        EXPECT_EQ(app.m_Rand.seed(), c.seed) << "start-up keeps the seed";
    }
}

TEST_F(AppTest, SeededRunsRepeat)
{
    FakeProgram program(Variant::Zyloria);
    CSaverApp a(program, {"/s", "/r5"}, env());
    CSaverApp b(program, {"/c", "/r5"}, env());
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(a.m_Rand.next(), b.m_Rand.next());
}

TEST_F(AppTest, SeedTraceLineNamesSourceLineAndExpression)
{
    struct Case {
        Variant variant;
        std::vector<std::string> args;
        std::string expected;
    };
    const Case cases[] = {
        {Variant::Zyloria, {"/s", "/r42"}, "app line 72 : m_Rand.seed() = 42\r\n"},
        {Variant::Zyloria, {"/s"}, "app line 76 : m_Rand.seed() = 1234567\r\n"},
        {Variant::Tavorine, {"/s", "/r42"}, "App line 57 : rand.seed() = 42\r\n"},
        {Variant::Tavorine, {"/s"}, "App line 61 : rand.seed() = 1234567\r\n"},
        {Variant::Dicemere2, {"/s", "/r-3"}, "App line 63 : m_Rand.seed() = -3\r\n"},
        {Variant::Dicemere2, {}, "App line 67 : m_Rand.seed() = 1234567\r\n"},
    };
    const std::string traceFile = m_root + "/trace.txt";
    for (const Case& c : cases) {
        fs::remove(traceFile);
        FakeProgram program(c.variant);
        CSaverApp app(program, c.args, env(true));
        EXPECT_TRUE(app.m_bTraceFromEnv);
        EXPECT_TRUE(app.m_bTrace);
        const std::string text = readFile(traceFile);
        ASSERT_GE(text.size(), c.expected.size()) << c.expected;
        EXPECT_EQ(text.substr(text.size() - c.expected.size()), c.expected);
    }
    fs::remove(traceFile);
    FakeProgram program(Variant::Zyloria);
    CSaverApp quiet(program, {"/s", "/r1"}, env(false));
    EXPECT_FALSE(fs::exists(traceFile)) << "no trace line without the trace flag";
}

TEST_F(AppTest, ConfigureChangePasswordAndPreviewDispatch)
{
    {
        FakeProgram program(Variant::Zyloria);
        CSaverApp app(program, {}, env());
        EXPECT_FALSE(app.InitInstance());
        EXPECT_EQ(app.m_nRunMode, kModeConfigure);
        EXPECT_EQ(program.sheets, 1);
        EXPECT_EQ(program.sheetParent, 0u);
        EXPECT_EQ(program.settingsCreated, 1);
        EXPECT_EQ(m_backend, nullptr) << "no window toolkit is opened for the sheet";
    }
    {
        FakeProgram program(Variant::Zyloria);
        CSaverApp app(program, {"/a", "77"}, env());
        EXPECT_FALSE(app.InitInstance());
        EXPECT_EQ(app.m_nRunMode, kModeChangePassword);
        EXPECT_EQ(program.changes, 1);
        EXPECT_EQ(program.changeParent, 77u);
    }
    {
        FakeProgram program(Variant::Zyloria);
        CSaverApp app(program, {"/p", "4194305"}, env());
        EXPECT_TRUE(app.InitInstance());
        EXPECT_EQ(app.m_nRunMode, kModePreview);
        ASSERT_NE(app.pSceneWnd(), nullptr);
        EXPECT_EQ(app.pScreenWnd(), nullptr);
        ASSERT_NE(m_backend, nullptr);
        const auto rec = m_backend->record(app.pSceneWnd()->GetId());
        EXPECT_EQ(rec.params.kind, plat::WindowKind::Child);
        EXPECT_EQ(rec.params.parentXid, 4194305u);
    }
}

TEST_F(AppTest, PreviewEndsWhenItCannotShow)
{
    struct Case {
        Variant variant;
        std::vector<std::string> args;
        bool createFails;
        int previewCalls;
    };
    const Case cases[] = {
        {Variant::Zyloria, {"/p"}, false, 0},              // no host window given
        {Variant::Zyloria, {"/p", "123"}, true, 1},         // the host window does not exist
        {Variant::Tavorine, {"/p", "123"}, false, 0},       // Tavorine shows nothing
    };
    for (const Case& c : cases) {
        m_createFails = c.createFails;
        m_backend = nullptr;
        FakeProgram program(c.variant);
        CSaverApp app(program, c.args, env());
        EXPECT_FALSE(app.InitInstance());
        EXPECT_EQ(app.m_nRunMode, kModePreview);
        EXPECT_EQ(app.pSceneWnd(), nullptr);
        EXPECT_EQ(program.previews, c.previewCalls);
        EXPECT_EQ(app.Run(), 0);
    }
}

TEST_F(AppTest, PasswordSwitchTypes)
{
    struct Case {
        const char* name;
        std::function<void(plat::RegistryFile&)> write;
        bool on;
    };
    const char* key = host::kDesktopKey;
    const char* value = host::kUsePasswordValue;
    const Case cases[] = {
        {"text 1", [&](plat::RegistryFile& h) { h.setString(key, value, "1"); }, true},
        {"binary 1", [&](plat::RegistryFile& h) { h.setBinary(key, value, {1, 0, 0, 0}); }, true},
        {"dword 1", [&](plat::RegistryFile& h) { h.setDword(key, value, 1); }, true},
        {"empty", [&](plat::RegistryFile& h) { h.setString(key, value, ""); }, false},
        {"text 0", [&](plat::RegistryFile& h) { h.setString(key, value, "0"); }, false},
        {"dword 0", [&](plat::RegistryFile& h) { h.setDword(key, value, 0); }, false},
        {"binary of 2 bytes", [&](plat::RegistryFile& h) { h.setBinary(key, value, {1, 0}); }, false},
        {"missing", [&](plat::RegistryFile&) {}, false},
    };
    for (const Case& c : cases) {
        fs::remove(plat::Locations::underRoot(m_root).userHive);
        auto reg = registry();
        c.write(reg.hive(plat::Hive::CurrentUser));
        FakeProgram program(Variant::Zyloria);
        CSaverApp app(program, {"/s"}, env());
        ASSERT_TRUE(app.InitInstance()) << c.name;
        EXPECT_EQ(app.m_nRunMode, kModeSaver);
        EXPECT_EQ(app.m_bUsePassword, c.on) << c.name;
        ASSERT_NE(app.pScreenWnd(), nullptr);
        EXPECT_EQ(app.pScreenWnd(), app.pSceneWnd());
        const auto id = app.pScreenWnd()->GetId();
        EXPECT_EQ(m_backend->record(id).params.kind, plat::WindowKind::FullScreen);
        EXPECT_EQ(m_backend->record(id).grabbed, c.on) << c.name << ": the grab marks a protected saver";
        app.ExitInstance();
        EXPECT_FALSE(m_backend->record(id).grabbed) << c.name << ": the end releases the grab";
    }
}

TEST_F(AppTest, ScreenPasswordRuleOfEachProgram)
{
    struct Case {
        Variant variant;
        bool usePassword;
        int platformId;
        bool asks;
    };
    const Case cases[] = {
        {Variant::Zyloria, false, 3, false},
        {Variant::Zyloria, true, 3, true},
        {Variant::Zyloria, true, 2, false},   // the family whose host checks by itself
        {Variant::Tavorine, false, 3, true},  // Tavorine always asks the host
        {Variant::Tavorine, true, 2, true},
    };
    for (const Case& c : cases) {
        FakeProgram program(c.variant);
        program.verifyAnswer = false;
        auto e = env();
        e.osPlatformId = c.platformId;
        CSaverApp app(program, {"/s"}, e);
        app.m_bUsePassword = c.usePassword;
        EXPECT_EQ(app.SaverAsksPassword(), c.asks);
        const bool result = app.ScreenPasswordCheck()(1);
        EXPECT_EQ(program.verifies, c.asks ? 1 : 0);
        EXPECT_EQ(result, !c.asks) << "a check not asked lets the saver end";
    }
}

TEST_F(AppTest, SaverRunEndsOnAKeyWithExitCodeZero)
{
    auto reg = registry();
    reg.hive(plat::Hive::CurrentUser).setString(host::kDesktopKey, host::kUsePasswordValue, "1");
    FakeProgram program(Variant::Zyloria);
    program.verifyAnswer = true;
    program.onScreenCreated = [this](CSaverWnd& wnd) {
        plat::Message key;
        key.type = plat::Msg::KeyDown;
        key.window = wnd.GetId();
        key.wParam = 'q';
        m_backend->pushInput(key);
    };
    CSaverApp app(program, {"/s"}, env());
    AppScope scope(app);
    EXPECT_EQ(gApp, &app);
    EXPECT_EQ(app.Run(), 0);
    EXPECT_EQ(program.verifies, 1) << "the protected saver asked the host before ending";
    ASSERT_NE(app.pScreenWnd(), nullptr);
    EXPECT_FALSE(app.pScreenWnd()->IsWindow());
}

TEST_F(AppTest, AppScopeRestoresThePreviousApplication)
{
    FakeProgram program(Variant::Zyloria);
    CSaverApp a(program, {}, env());
    CSaverApp b(program, {}, env());
    EXPECT_EQ(gApp, nullptr);
    {
        AppScope sa(a);
        {
            AppScope sb(b);
            EXPECT_EQ(gApp, &b);
        }
        EXPECT_EQ(gApp, &a);
    }
    EXPECT_EQ(gApp, nullptr);
}

TEST_F(AppTest, TraceFromSettingsIsArchivedAtStartAndDeletedAtTheEnd)
{
    struct Case {
        Variant variant;
        bool fromSettings;
        bool fromEnv;
        bool archives;
        bool deletes;
    };
    const Case cases[] = {
        {Variant::Zyloria, true, false, true, true},
        {Variant::Zyloria, false, false, false, false},
        {Variant::Zyloria, true, true, false, false},   // an environment trace is kept
        {Variant::Tavorine, true, false, false, false},  // Tavorine neither archives nor deletes
    };
    const std::string trace = m_root + "/trace.txt";
    const std::string archived = m_root + "/trace0.txt";
    for (const Case& c : cases) {
        fs::remove(archived);
        writeFile(trace, "old run\r\n");
        FakeProgram program(c.variant);
        program.settingsSwitchTraceOn = c.fromSettings;
        CSaverApp app(program, {"/s"}, env(c.fromEnv));
        ASSERT_TRUE(app.InitInstance());
        EXPECT_EQ(fs::exists(archived), c.archives);
        if (c.archives)
            EXPECT_EQ(readFile(archived), "old run\r\n");
        { std::ofstream(trace, std::ios::app) << "this run\r\n"; }
        app.ExitInstance();
        EXPECT_EQ(!fs::exists(trace), c.deletes);
    }
}

TEST_F(AppTest, Dicemere2Dispatch)
{
    {
        FakeProgram program(Variant::Dicemere2);
        CSaverApp app(program, {"/a", "5"}, env());
        EXPECT_FALSE(app.InitInstance());
        EXPECT_EQ(app.m_nRunMode, kModeChangePassword);
        EXPECT_EQ(program.changes, 0);
        ASSERT_EQ(m_boxes.size(), 1u);
        EXPECT_EQ(m_boxes[0].title, "Note");
        EXPECT_EQ(m_boxes[0].icon, plat::BoxIcon::Information);
        EXPECT_EQ(m_boxes[0].text, Dicemere2PasswordNote());
    }
    {
        FakeProgram program(Variant::Dicemere2);
        CSaverApp app(program, {"/tray"}, env());
        EXPECT_TRUE(app.InitInstance());
        EXPECT_EQ(app.m_nRunMode, kModeTray);
        EXPECT_EQ(program.trayWindows, 1);
        ASSERT_NE(app.pMainWnd(), nullptr);
        EXPECT_EQ(program.handOverChecks, 0);
    }
    {
        FakeProgram program(Variant::Dicemere2);
        program.handOver = true;
        CSaverApp app(program, {"/s"}, env());
        EXPECT_FALSE(app.InitInstance());
        EXPECT_EQ(program.handOverChecks, 1);
        EXPECT_EQ(program.launchWindows, 0);
    }
    {
        FakeProgram program(Variant::Dicemere2);
        program.running = 1;
        CSaverApp app(program, {"/s"}, env());
        EXPECT_FALSE(app.InitInstance()) << "one run already blocks a second without the tray";
        EXPECT_EQ(program.launchWindows, 0);
    }
    {
        auto reg = registry();
        reg.hive(plat::Hive::CurrentUser).setDword(host::kDesktopKey, host::kUsePasswordValue, 1);
        FakeProgram program(Variant::Dicemere2);
        program.trayOption = true;
        program.running = 1;
        CSaverApp app(program, {"/s"}, env());
        EXPECT_TRUE(app.InitInstance());
        EXPECT_EQ(app.m_nRunMode, kModeSaver);
        EXPECT_EQ(program.launchWindows, 1);
        EXPECT_TRUE(app.m_bUsePassword);
        EXPECT_FALSE(m_backend->record(app.pMainWnd()->GetId()).grabbed) << "Dicemere2 announces nothing";
    }
    {
        FakeProgram program(Variant::Dicemere2);
        CSaverApp app(program, {"/c"}, env());
        EXPECT_FALSE(app.InitInstance());
        EXPECT_EQ(program.sheets, 1);
        EXPECT_EQ(program.handOverChecks, 0);
    }
}

TEST_F(AppTest, ShowHelpAppendsThePageAndReportsFailures)
{
    const std::string folder = m_root + "/help";   // no trailing separator
    fs::create_directories(folder);
    FakeProgram program(Variant::Zyloria);
    program.installFolder = folder;
    CSaverApp app(program, {"/c"}, env());
    app.InitInstance();

    app.ShowHelp();
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].title, "Error");
    EXPECT_EQ(m_boxes[0].icon, plat::BoxIcon::Error);
    EXPECT_EQ(m_boxes[0].text, "Sorry, could not find help file " + folder +
                                   "Zyloria.htm. It may be installed in another folder.");
    EXPECT_TRUE(m_opened.empty());

    // The name is looked up exactly as built: a file called "helpZyloria.htm" is found.
    writeFile(folder + "Zyloria.htm", "<html></html>");
    m_boxes.clear();
    app.ShowHelp();
    EXPECT_TRUE(m_boxes.empty());
    ASSERT_EQ(m_opened.size(), 1u);
    EXPECT_EQ(m_opened[0], folder + "Zyloria.htm");

    m_openWorks = false;
    app.ShowHelp();
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].text, "Sorry, could not launch browser to view help file " + folder + "Zyloria.htm");
}

TEST_F(AppTest, ProductVersionDropsBlanksAndTurnsCommasIntoPoints)
{
    EXPECT_EQ(CSaverApp::ProductVersionFrom("1, 6, 0, 1"), "1.6.0.1");
    EXPECT_EQ(CSaverApp::ProductVersionFrom("2,0 , 10,  3"), "2.0.10.3");
    EXPECT_EQ(CSaverApp::ProductVersionFrom(""), "");
    FakeProgram program(Variant::Zyloria);
    CSaverApp app(program, {}, env());
    const std::string v = app.GetProductVersion();
    EXPECT_EQ(std::count(v.begin(), v.end(), '.'), 3) << v;
    EXPECT_EQ(v.find(' '), std::string::npos);
    EXPECT_EQ(v.find(','), std::string::npos);
}

TEST_F(AppTest, SystemVersionQueries)
{
    FakeProgram program(Variant::Zyloria);
    CSaverApp app(program, {}, env());
    EXPECT_EQ(app.OsPlatformId(), 3);
    EXPECT_GE(app.OsMajorVersion(), 1);
    EXPECT_GE(app.OsMinorVersion(), 0);
}

TEST_F(AppTest, ReadRegistryStringGivesTextForEachType)
{
    auto reg = registry();
    auto& hive = reg.hive(plat::Hive::CurrentUser);
    hive.setString("Some\\Key", "Text", "hello");
    hive.setDword("Some\\Key", "Number", 1234);
    hive.setBinary("Some\\Key", "Four", {0x10, 0x27, 0, 0});
    hive.setBinary("Some\\Key", "Three", {1, 2, 3});
    FakeProgram program(Variant::Zyloria);
    CSaverApp app(program, {}, env());
    EXPECT_EQ(app.ReadRegistryString(plat::Hive::CurrentUser, "Some\\Key", "Text"), "hello");
    EXPECT_EQ(app.ReadRegistryString(plat::Hive::CurrentUser, "Some\\Key", "Number"), "1234");
    EXPECT_EQ(app.ReadRegistryString(plat::Hive::CurrentUser, "Some\\Key", "Four"), "10000");
    EXPECT_EQ(app.ReadRegistryString(plat::Hive::CurrentUser, "Some\\Key", "Three"), "");
    EXPECT_EQ(app.ReadRegistryString(plat::Hive::CurrentUser, "Some\\Key", "Missing"), "");
    EXPECT_EQ(app.ReadRegistryString(plat::Hive::LocalMachine, "Some\\Key", "Text"), "");
}
