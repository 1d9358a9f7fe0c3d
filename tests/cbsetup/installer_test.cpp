// The installation steps against a private root: files, registry, SYSTEM.INI, the order of
// what the user sees, the overwrite question, and every way a bad payload or a failed
// write must end in "Error" with nothing replaced.
#include "Support.h"

#include "cbsetup/Carried.h"
#include "cbsetup/FileOps.h"
#include "cbsetup/Installer.h"
#include "cbsetup/Payload.h"
#include "platform/Locations.h"
#include "platform/Profile.h"
#include "platform/Registry.h"

#include <numeric>
#include <sys/stat.h>

using namespace cbsetup;
using cbtest::Bytes;

namespace {

class RecordingView : public InstallView {
public:
    explicit RecordingView(std::vector<std::string>& log) : m_log(log) {}
    void setWaitCursor(bool on) override { m_log.push_back(on ? "cursor:wait" : "cursor:normal"); }
    void setProgress(int value) override
    {
        progress.push_back(value);
        m_log.push_back("progress:" + std::to_string(value));
    }
    void hideForm() override { m_log.push_back("hide"); }

    std::vector<int> progress;

private:
    std::vector<std::string>& m_log;
};

class InstallerTest : public testing::Test {
protected:
    InstallerTest()
        : locations(plat::Locations::underRoot(root.path())),
          registry(locations.userHive, locations.machineHive),
          carried(carriedResources()),
          view(log)
    {
        boxes.onBox = [this](const plat::BoxRequest& r) { log.push_back("box:" + r.title); };
    }

    InstallEnvironment environment(const ResourceTable* resources)
    {
        InstallEnvironment env;
        env.windowsFolder = locations.windowsFolder;
        env.machineHive = &registry.hive(plat::Hive::LocalMachine);
        env.resources = resources;
        env.announceSettingsChanged = [this] {
            // The host is told only after the new saver is the current one.
            log.push_back("announce:" + currentSaver());
        };
        env.startDisplaySettings = [this] { log.push_back("settings"); };
        return env;
    }

    InstallResult install(const ResourceTable* resources = nullptr)
    {
        Installation inst(environment(resources ? resources : &carried), view);
        return inst.run();
    }

    std::string scrPath() const { return locations.windowsFolder + "/Cobblix.scr"; }
    std::string hlpPath() const { return locations.windowsFolder + "/Cobblix.hlp"; }
    std::string currentSaver() const
    {
        return plat::ProfileFile(locations.windowsFolder, "system.ini").getString("boot", "SCRNSAVE.EXE", "", 1024);
    }
    Bytes carriedProgram() const { return inflateScreensaver(carried.find(kScreensaverResource)).bytes; }
    Bytes carriedHelp() const
    {
        auto b = carried.bytes(kHelpResource);
        return Bytes(b.begin(), b.end());
    }
    // The folder holds nothing but what the test put there: no temporary leftovers.
    std::vector<std::string> windowsFolderNames() const
    {
        std::vector<std::string> names;
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(locations.windowsFolder, ec)) {
            std::string name = e.path().filename().string();
            if (!name.ends_with(".lock"))  // the profile store's lock files
                names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    // A table like the carried one with another stored screensaver stream.
    ResourceTable withScreensaver(std::span<const std::uint8_t> stream, std::uint32_t crc) const
    {
        std::vector<Resource> list;
        list.push_back({kScreensaverResource, stream, crc});
        list.push_back(*carried.find(kHelpResource));
        list.push_back(*carried.find(kDescriptionResource));
        return ResourceTable(std::move(list));
    }

    cbtest::TempRoot root;
    plat::Locations locations;
    plat::Registry registry;
    const ResourceTable& carried;
    std::vector<std::string> log;
    RecordingView view;
    cbtest::BoxRecorder boxes;
};

} // namespace

TEST(InstallerTexts, IntroductionEndsWithTheWindowsFolder)
{
    EXPECT_EQ(introductionText("/home/u/.local/share/orvane/windows"),
              "Clicking \"Install\" will install Cobblix to your hard disk and  select it as the default "
              "screen saver.  When the installation program is finished, the Display Properties - Screen "
              "Saver window will appear and you can then configure Cobblix.  The screen saver will be "
              "installed to:\r\n\r\n/home/u/.local/share/orvane/windows");
}

TEST(InstallerProgress, AddsAndStopsAtOneHundred)
{
    Progress p;
    EXPECT_EQ(p.add(20), 20);
    EXPECT_EQ(p.add(30), 50);
    EXPECT_EQ(p.add(40), 90);
    EXPECT_EQ(p.add(40), 100);
    EXPECT_EQ(p.add(10), 100);
    EXPECT_EQ(p.set(100), 100);
    EXPECT_EQ(p.value(), 100);
}

TEST_F(InstallerTest, FreshInstallationWritesEverythingInOrder)
{
    ASSERT_EQ(install(), InstallResult::Finished);

    auto scr = cbtest::readBytes(scrPath());
    ASSERT_TRUE(scr.has_value());
    EXPECT_EQ(*scr, carriedProgram());
    EXPECT_EQ(*scr, *cbtest::readBytes(CBSETUP_CARRIED_PROGRAM));
    struct stat st {};
    ASSERT_EQ(::stat(scrPath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0755u) << "the installed saver must be runnable";
    EXPECT_EQ(cbtest::readBytes(hlpPath()), carriedHelp());

    // On Linux the path has no short form: the full path is the current saver.
    EXPECT_EQ(currentSaver(), scrPath());
    EXPECT_TRUE(cbtest::readFile(locations.windowsFolder + "/system.ini").find("[boot]") != std::string::npos);

    const plat::RegistryFile& hklm = registry.hive(plat::Hive::LocalMachine);
    auto name = hklm.getValue(kUninstallKey, "DisplayName");
    auto uninstall = hklm.getValue(kUninstallKey, "UninstallString");
    ASSERT_TRUE(name && uninstall);
    EXPECT_EQ(name->type, plat::RegType::String);
    EXPECT_EQ(name->text, "Cobblix Screen Saver");
    EXPECT_EQ(uninstall->text, locations.windowsFolder + "/Cobblix.scr -u");
    EXPECT_TRUE(cbtest::readFile(locations.machineHive)
                    .find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Cobblix Screen Saver]") !=
                std::string::npos);

    EXPECT_EQ(view.progress, (std::vector<int> {20, 50, 90, 100, 100}));
    const std::vector<std::string> expected {
        "cursor:wait", "progress:20", "progress:50", "progress:90", "progress:100", "progress:100",
        "cursor:normal", "box:Finished", "hide", "announce:" + scrPath(), "settings"};
    EXPECT_EQ(log, expected);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, kFinishedText);
    EXPECT_EQ(boxes.boxes[0].icon, plat::BoxIcon::Information);
    EXPECT_EQ(windowsFolderNames(), (std::vector<std::string> {"Cobblix.hlp", "Cobblix.scr", "system.ini"}));
}

TEST_F(InstallerTest, OverwriteQuestionOkReplacesTheOldFile)
{
    ASSERT_TRUE(plat::makeFolders(locations.windowsFolder));
    cbtest::writeBytes(scrPath(), Bytes {'o', 'l', 'd'});
    boxes.answers = {plat::BoxAnswer::Ok};

    ASSERT_EQ(install(), InstallResult::Finished);
    EXPECT_EQ(cbtest::readBytes(scrPath()), carriedProgram());
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[0].title, "Duplicate File");
    EXPECT_EQ(boxes.boxes[0].text, kDuplicateText);
    EXPECT_EQ(boxes.boxes[0].buttons, plat::BoxButtons::OkCancel);
    EXPECT_EQ(boxes.boxes[1].title, "Finished");
    // The question comes after the paths are built (progress 50), before any write.
    auto question = std::find(log.begin(), log.end(), "box:Duplicate File");
    ASSERT_NE(question, log.end());
    EXPECT_EQ(*(question - 1), "progress:50");
    EXPECT_EQ(*(question + 1), "progress:90");
}

TEST_F(InstallerTest, OverwriteRefusedChangesNothing)
{
    for (plat::BoxAnswer answer : {plat::BoxAnswer::Cancel, plat::BoxAnswer::No}) {
        std::filesystem::remove_all(locations.windowsFolder);
        ASSERT_TRUE(plat::makeFolders(locations.windowsFolder));
        cbtest::writeBytes(scrPath(), Bytes {'o', 'l', 'd'});
        boxes.boxes.clear();
        boxes.answers = {answer};
        log.clear();

        EXPECT_EQ(install(), InstallResult::Refused);
        EXPECT_EQ(boxes.titles(), (std::vector<std::string> {"Duplicate File", "Error"}));
        EXPECT_EQ(boxes.boxes[1].text, "Error: File already exists.  Aborting installation.");
        EXPECT_EQ(cbtest::readBytes(scrPath()), (Bytes {'o', 'l', 'd'}));
        EXPECT_EQ(windowsFolderNames(), (std::vector<std::string> {"Cobblix.scr"}));
        EXPECT_FALSE(registry.hive(plat::Hive::LocalMachine).keyExists(kUninstallKey));
        EXPECT_EQ(std::find(log.begin(), log.end(), "settings"), log.end());
        EXPECT_EQ(std::find(log.begin(), log.end(), "hide"), log.end());
        EXPECT_EQ(log.back(), "box:Error");
    }
}

TEST_F(InstallerTest, ExistingUninstallEntryIsLeftUntouched)
{
    plat::RegistryFile& hklm = registry.hive(plat::Hive::LocalMachine);
    ASSERT_TRUE(hklm.setString(kUninstallKey, "DisplayName", "Written by the first installation"));
    ASSERT_EQ(install(), InstallResult::Finished);
    EXPECT_EQ(hklm.getValue(kUninstallKey, "DisplayName")->text, "Written by the first installation");
    EXPECT_FALSE(hklm.getValue(kUninstallKey, "UninstallString").has_value());

    // A second installation over a first one: the entry of the first stays as it was.
    std::filesystem::remove_all(root.path());
    ASSERT_EQ(install(), InstallResult::Finished);
    const std::string first = cbtest::readFile(locations.machineHive);
    boxes.answers = {plat::BoxAnswer::Ok};
    ASSERT_EQ(install(), InstallResult::Finished);
    EXPECT_EQ(cbtest::readFile(locations.machineHive), first);
}

TEST_F(InstallerTest, FolderWithoutUsableShortFormGetsTheFallbackName)
{
    // The short-path buffer holds 255 characters: a longer path has no usable short form.
    std::string deep = root.path();
    while (deep.size() < 300)
        deep += "/" + std::string(60, 'd');
    locations.windowsFolder = deep;
    ASSERT_EQ(install(), InstallResult::Finished);
    EXPECT_EQ(currentSaver(), deep + "/COBBLI~1.SCR");
    EXPECT_EQ(cbtest::readBytes(deep + "/Cobblix.scr"), carriedProgram());
}

TEST_F(InstallerTest, BlanksInsideThePathAreKeptAndOnlyOuterBlanksTrimmed)
{
    ASSERT_TRUE(plat::makeFolders(root.path() + "/my savers "));
    locations.windowsFolder = root.path() + "/my savers ";
    ASSERT_EQ(install(), InstallResult::Finished);
    EXPECT_EQ(currentSaver(), root.path() + "/my savers /Cobblix.scr");

    const std::pair<const char*, const char*> cases[] = {
        {"  /a b/c.scr  ", "/a b/c.scr"}, {"/x", "/x"}, {"   ", ""}, {"", ""}, {" \tx", "\tx"}};
    for (const auto& [in, out] : cases)
        EXPECT_EQ(trimBlanks(in), out) << in;
}

TEST_F(InstallerTest, EveryTruncationOfTheCarriedProgramEndsInErrorWithNothingChanged)
{
    ASSERT_TRUE(plat::makeFolders(locations.windowsFolder));
    const Bytes old {'o', 'l', 'd', ' ', 's', 'a', 'v', 'e', 'r'};
    cbtest::writeBytes(scrPath(), old);
    std::span<const std::uint8_t> stream = carried.bytes(kScreensaverResource);
    ASSERT_FALSE(stream.empty());

    // As a damaged carried payload (the recorded checksum no longer matches) at every
    // truncation point; and as a bad stream the build packed itself (checksum of the
    // truncated bytes), where zlib alone has to refuse it, at sampled points.
    std::vector<size_t> every(stream.size());
    std::iota(every.begin(), every.end(), size_t {0});
    const std::vector<size_t> sampled = cbtest::sampledLengths(stream.size());
    for (bool rechecksum : {false, true}) {
        for (size_t len : rechecksum ? sampled : every) {
            std::span<const std::uint8_t> cut = stream.first(len);
            ResourceTable table = withScreensaver(cut, rechecksum ? checksum(cut) : carried.find(kScreensaverResource)->crc32);
            boxes.boxes.clear();
            boxes.answers = {plat::BoxAnswer::Ok};
            ASSERT_EQ(install(&table), InstallResult::Failed) << len;
            ASSERT_EQ(boxes.titles(), (std::vector<std::string> {"Duplicate File", "Error"})) << len;
        }
    }
    EXPECT_EQ(cbtest::readBytes(scrPath()), old);
    EXPECT_EQ(windowsFolderNames(), (std::vector<std::string> {"Cobblix.scr"}));
    EXPECT_FALSE(registry.hive(plat::Hive::LocalMachine).keyExists(kUninstallKey));
    EXPECT_TRUE(currentSaver().empty());
    EXPECT_EQ(std::find(log.begin(), log.end(), "settings"), log.end());
}

TEST_F(InstallerTest, SingleBitFlipsOfTheCarriedProgramEndInErrorWithNothingWritten)
{
    const Resource* scr = carried.find(kScreensaverResource);
    Bytes copy(scr->bytes.begin(), scr->bytes.end());
    for (auto [i, bit] : cbtest::sampledFlips(copy.size())) {
        copy[i] ^= static_cast<std::uint8_t>(1u << bit);
        ResourceTable table = withScreensaver(copy, scr->crc32);
        boxes.boxes.clear();
        ASSERT_EQ(install(&table), InstallResult::Failed) << "bit " << bit << " of byte " << i;
        ASSERT_EQ(boxes.titles(), std::vector<std::string> {"Error"});
        copy[i] ^= static_cast<std::uint8_t>(1u << bit);
    }
    EXPECT_FALSE(pathExists(scrPath()));
    EXPECT_FALSE(pathExists(hlpPath()));
    EXPECT_FALSE(registry.hive(plat::Hive::LocalMachine).keyExists(kUninstallKey));
    EXPECT_EQ(std::find(log.begin(), log.end(), "hide"), log.end());
}

TEST_F(InstallerTest, ProgramOfOneMebibytePlusOneByteIsRefused)
{
    ASSERT_TRUE(plat::makeFolders(locations.windowsFolder));
    const Bytes old {'k', 'e', 'e', 'p'};
    cbtest::writeBytes(scrPath(), old);

    struct Case {
        size_t size;
        InstallResult expected;
    };
    for (Case c : {Case {kInflateBufferSize + 1, InstallResult::Failed}, Case {kInflateBufferSize, InstallResult::Finished}}) {
        Bytes raw(c.size);
        for (size_t i = 0; i < raw.size(); ++i)
            raw[i] = static_cast<std::uint8_t>((i * 2654435761u) >> 13);
        Bytes stream = cbtest::compressed(raw);
        ResourceTable table = withScreensaver(stream, checksum(stream));
        boxes.boxes.clear();
        boxes.answers = {plat::BoxAnswer::Ok};
        ASSERT_EQ(install(&table), c.expected) << c.size;
        if (c.expected == InstallResult::Failed) {
            ASSERT_EQ(boxes.titles(), (std::vector<std::string> {"Duplicate File", "Error"}));
            EXPECT_NE(boxes.boxes[1].text.find("larger than 1048576 bytes"), std::string::npos);
            EXPECT_EQ(cbtest::readBytes(scrPath()), old);
            EXPECT_FALSE(pathExists(hlpPath()));
        } else {
            EXPECT_EQ(cbtest::readBytes(scrPath()), raw);
        }
    }
}

TEST_F(InstallerTest, MissingOrDamagedPayloadsEndInError)
{
    const Resource scr = *carried.find(kScreensaverResource);
    const Resource hlp = *carried.find(kHelpResource);
    const Resource rtf = *carried.find(kDescriptionResource);
    Resource badHelp = hlp;
    badHelp.crc32 ^= 0x80000000u;
    struct Case {
        const char* what;
        std::vector<Resource> list;
    };
    const Case cases[] = {
        {"no resources at all", {}},
        {"no screensaver", {hlp, rtf}},
        {"no help file", {scr, rtf}},
        {"damaged help file", {scr, badHelp, rtf}},
    };
    for (const Case& c : cases) {
        ResourceTable table(c.list);
        boxes.boxes.clear();
        log.clear();
        EXPECT_EQ(install(&table), InstallResult::Failed) << c.what;
        EXPECT_EQ(boxes.titles(), std::vector<std::string> {"Error"}) << c.what;
        EXPECT_EQ(log.back(), "box:Error") << c.what;
        EXPECT_EQ(std::count(log.begin(), log.end(), "cursor:normal"), 1) << c.what;
        EXPECT_FALSE(pathExists(scrPath())) << c.what;
        EXPECT_FALSE(pathExists(hlpPath())) << c.what;
    }
    // Without the description the installation itself still works.
    ResourceTable noDescription({scr, hlp});
    EXPECT_EQ(install(&noDescription), InstallResult::Finished);
}

TEST_F(InstallerTest, FailedWritesAreReportedInsteadOfFinished)
{
    // The help file's name is taken by a folder with content: it cannot be replaced.
    ASSERT_TRUE(plat::makeFolders(hlpPath() + "/inside"));
    EXPECT_EQ(install(), InstallResult::Failed);
    ASSERT_EQ(boxes.titles(), std::vector<std::string> {"Error"});
    EXPECT_NE(boxes.boxes[0].text.find("Cobblix.hlp"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_directory(hlpPath() + "/inside"));
    EXPECT_TRUE(currentSaver().empty());
    EXPECT_FALSE(registry.hive(plat::Hive::LocalMachine).keyExists(kUninstallKey));
    EXPECT_EQ(std::find(log.begin(), log.end(), "settings"), log.end());

    // The Windows folder's name is taken by a plain file: nothing can be written below it.
    std::filesystem::remove_all(root.path());
    ASSERT_TRUE(plat::makeFolders(root.path()));
    cbtest::writeBytes(locations.windowsFolder, Bytes {'x'});
    boxes.boxes.clear();
    EXPECT_EQ(install(), InstallResult::Failed);
    ASSERT_EQ(boxes.titles(), std::vector<std::string> {"Error"});
    EXPECT_NE(boxes.boxes[0].text.find("Cobblix.scr"), std::string::npos);
    EXPECT_EQ(cbtest::readBytes(locations.windowsFolder), Bytes {'x'});
}

TEST_F(InstallerTest, ScreensaverNameTakenByAFolderIsAskedAboutAndNotDestroyed)
{
    ASSERT_TRUE(plat::makeFolders(scrPath() + "/keep"));
    boxes.answers = {plat::BoxAnswer::Ok};
    EXPECT_EQ(install(), InstallResult::Failed);
    EXPECT_EQ(boxes.titles(), (std::vector<std::string> {"Duplicate File", "Error"}));
    EXPECT_TRUE(std::filesystem::is_directory(scrPath() + "/keep"));
    EXPECT_EQ(windowsFolderNames(), std::vector<std::string> {"Cobblix.scr"});
}
