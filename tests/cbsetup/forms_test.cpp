// The installer's two forms driven with QTest on Qt's offscreen platform: controls, texts,
// layout, the description, the background title, and "&Install" and "&Cancel" end to end.
#include "Support.h"

#include "cbsetup/Carried.h"
#include "cbsetup/Installer.h"
#include "cbsetup/Payload.h"
#include "cbsetup/ui/Form1.h"
#include "cbsetup/ui/Form2.h"
#include "platform/Locations.h"
#include "platform/Profile.h"
#include "platform/Registry.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextFragment>

using namespace cbsetup;
using cbtest::Bytes;

namespace {

// One QApplication for the whole test program, on the offscreen platform.
QApplication& application()
{
    static int argc = 1;
    static char name[] = "cbsetup_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *app;
}

class FormsTest : public testing::Test {
protected:
    FormsTest()
        : locations(plat::Locations::underRoot(root.path())), registry(locations.userHive, locations.machineHive)
    {
        application();
    }

    Form1Options options(const ResourceTable* resources = &carriedResources(), std::optional<int> width = 1024)
    {
        Form1Options o;
        o.environment.windowsFolder = locations.windowsFolder;
        o.environment.machineHive = &registry.hive(plat::Hive::LocalMachine);
        o.environment.resources = resources;
        o.environment.announceSettingsChanged = [this] { ++announced; };
        o.environment.startDisplaySettings = [this] { ++settingsStarted; };
        o.screenWidth = width;
        return o;
    }

    template <typename T> static T* child(QWidget& form, const char* name)
    {
        T* w = form.findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    cbtest::TempRoot root;
    plat::Locations locations;
    plat::Registry registry;
    cbtest::BoxRecorder boxes;
    int announced = 0;
    int settingsStarted = 0;
};

} // namespace

TEST_F(FormsTest, Form1HasItsControlsTextsAndIsTopmost)
{
    Form1 form(options());
    form.show();
    EXPECT_EQ(form.windowTitle(), "Cobblix Installation");
    EXPECT_TRUE(form.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(child<QPushButton>(form, "cb_1")->text(), "&Install");
    EXPECT_EQ(child<QPushButton>(form, "cb_2")->text(), "&Cancel");
    EXPECT_EQ(child<QLabel>(form, "label_1")->text(), "Installation Progress");
    QProgressBar* bar = child<QProgressBar>(form, "progb_1");
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 100);
    EXPECT_EQ(bar->value(), 0);

    QPlainTextEdit* intro = child<QPlainTextEdit>(form, "textb_1");
    EXPECT_TRUE(intro->isReadOnly());
    QString expected = QString::fromStdString(introductionText(locations.windowsFolder));
    expected.replace("\r\n", "\n");
    EXPECT_EQ(intro->toPlainText(), expected);
    EXPECT_TRUE(intro->toPlainText().endsWith(":\n\n" + QString::fromStdString(locations.windowsFolder)));

    QPlainTextEdit* credit = child<QPlainTextEdit>(form, "textb_2");
    EXPECT_TRUE(credit->isReadOnly());
    EXPECT_FALSE(credit->toPlainText().isEmpty());
    EXPECT_EQ(credit->document()->defaultTextOption().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_FALSE(child<QLabel>(form, "pictb_1")->pixmap().isNull());
    EXPECT_TRUE(child<QTextEdit>(form, "rtb_1")->isReadOnly());
}

TEST_F(FormsTest, Form1IsLaidOutAroundThePicture)
{
    Form1 form(options());
    const QRect pic = child<QLabel>(form, "pictb_1")->geometry();
    const QRect intro = child<QPlainTextEdit>(form, "textb_1")->geometry();
    const QRect credit = child<QPlainTextEdit>(form, "textb_2")->geometry();
    EXPECT_EQ(intro.x(), pic.x() + pic.width() + 25);
    EXPECT_EQ(credit.y(), pic.y() + pic.height() + 10);
    EXPECT_EQ(credit.x(), pic.x());
    EXPECT_EQ(credit.width(), pic.width());
    // Every control lies inside the form.
    for (QWidget* w : form.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        EXPECT_TRUE(form.rect().contains(w->geometry())) << w->objectName().toStdString();
}

TEST_F(FormsTest, DescriptionShowsTheCarriedRichText)
{
    Form1 form(options());
    QTextDocument* doc = child<QTextEdit>(form, "rtb_1")->document();
    const QString text = doc->toPlainText();
    EXPECT_TRUE(text.startsWith("Cobblix Screen Saver")) << text.left(60).toStdString();
    EXPECT_TRUE(text.contains(QString::fromUtf8("caf\xc3\xa9")));
    EXPECT_FALSE(text.contains("rtf1"));
    EXPECT_FALSE(text.contains("fonttbl"));

    // The title is bold, centred, 18 points and coloured from the colour table.
    QTextBlock first = doc->begin();
    EXPECT_EQ(first.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    QTextFragment title = first.begin().fragment();
    EXPECT_EQ(title.text(), "Cobblix Screen Saver");
    EXPECT_EQ(title.charFormat().fontWeight(), QFont::Bold);
    EXPECT_DOUBLE_EQ(title.charFormat().fontPointSize(), 18.0);
    EXPECT_EQ(title.charFormat().foreground().color(), QColor(0, 0, 128));

    bool italic = false, underline = false;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            italic |= it.fragment().charFormat().fontItalic();
            underline |= it.fragment().charFormat().fontUnderline() && it.fragment().text() == "completely black";
        }
    EXPECT_TRUE(italic);
    EXPECT_TRUE(underline);
}

TEST_F(FormsTest, DescriptionStaysEmptyWithoutOrWithBrokenRichText)
{
    const Resource scr = *carriedResources().find(kScreensaverResource);
    const Resource hlp = *carriedResources().find(kHelpResource);
    static const std::uint8_t notRtf[] = {'p', 'l', 'a', 'i', 'n'};
    const Resource plain {kDescriptionResource, notRtf, checksum(notRtf)};
    for (const std::vector<Resource>& list : {std::vector<Resource> {scr, hlp}, std::vector<Resource> {scr, hlp, plain}}) {
        ResourceTable table(list);
        Form1 form(options(&table));
        EXPECT_TRUE(child<QTextEdit>(form, "rtb_1")->document()->isEmpty());
    }
}

TEST_F(FormsTest, BackgroundTitleIsHiddenOnlyOnA640PixelScreen)
{
    const std::pair<int, bool> cases[] = {{640, false}, {639, true}, {641, true}, {800, true}, {1920, true}};
    for (auto [width, shown] : cases) {
        Form1 form(options(&carriedResources(), width));
        form.show();
        Form2* background = form.form2();
        ASSERT_NE(background, nullptr);
        EXPECT_TRUE(background->isVisible());
        EXPECT_TRUE(background->windowState() & Qt::WindowMaximized);
        EXPECT_TRUE(background->windowFlags() & Qt::FramelessWindowHint);
        EXPECT_FALSE(background->windowFlags() & Qt::WindowStaysOnTopHint);
        QLabel* title = background->findChild<QLabel*>("label_1");
        ASSERT_NE(title, nullptr);
        EXPECT_EQ(title->text(), "Cobblix 2.0 Installation");
        EXPECT_EQ(title->font().pointSize(), 18);
        EXPECT_TRUE(title->font().bold() && title->font().italic());
        EXPECT_EQ(title->isVisible(), shown) << width;
    }
}

TEST_F(FormsTest, InstallClickInstallsShowsFinishedAndCloses)
{
    Form1 form(options());
    form.show();
    std::vector<int> values;
    QProgressBar* bar = child<QProgressBar>(form, "progb_1");
    QObject::connect(bar, &QProgressBar::valueChanged, [&](int v) { values.push_back(v); });
    bool visibleAtFinished = true;
    boxes.onBox = [&](const plat::BoxRequest& r) {
        if (r.title == "Finished")
            visibleAtFinished = form.isVisible();
    };

    QTest::mouseClick(child<QPushButton>(form, "cb_1"), Qt::LeftButton);

    ASSERT_EQ(form.result(), InstallResult::Finished);
    EXPECT_EQ(boxes.titles(), std::vector<std::string> {"Finished"});
    EXPECT_TRUE(visibleAtFinished) << "the form is hidden only after the box";
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.form2(), nullptr) << "closing Form1 destroys Form2";
    // The bar's signal reports changes only; the installation's steps set 20, 50, 90, 100, 100.
    EXPECT_EQ(values, (std::vector<int> {20, 50, 90, 100}));
    EXPECT_EQ(bar->value(), 100);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the wait cursor is gone";
    EXPECT_EQ(cbtest::readBytes(locations.windowsFolder + "/Cobblix.scr"), cbtest::readBytes(CBSETUP_CARRIED_PROGRAM));
    EXPECT_EQ(plat::ProfileFile(locations.windowsFolder, "SYSTEM.INI").getString("boot", "SCRNSAVE.EXE", "", 512),
              locations.windowsFolder + "/Cobblix.scr");
    EXPECT_TRUE(registry.hive(plat::Hive::LocalMachine).keyExists(kUninstallKey));
    EXPECT_EQ(announced, 1);
    EXPECT_EQ(settingsStarted, 1);
}

TEST_F(FormsTest, ExistingScreensaverWithOkOrCancel)
{
    struct Case {
        plat::BoxAnswer answer;
        InstallResult result;
        std::vector<std::string> titles;
    };
    const Case cases[] = {
        {plat::BoxAnswer::Ok, InstallResult::Finished, {"Duplicate File", "Finished"}},
        {plat::BoxAnswer::Cancel, InstallResult::Refused, {"Duplicate File", "Error"}},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(root.path());
        ASSERT_TRUE(plat::makeFolders(locations.windowsFolder));
        cbtest::writeBytes(locations.windowsFolder + "/Cobblix.scr", Bytes {'o', 'l', 'd'});
        boxes.boxes.clear();
        boxes.answers = {c.answer};
        announced = settingsStarted = 0;

        Form1 form(options());
        form.show();
        QTest::mouseClick(child<QPushButton>(form, "cb_1"), Qt::LeftButton);
        EXPECT_EQ(form.result(), c.result);
        EXPECT_EQ(boxes.titles(), c.titles);
        EXPECT_FALSE(form.isVisible()) << "the form closes after either box";
        auto scr = cbtest::readBytes(locations.windowsFolder + "/Cobblix.scr");
        if (c.result == InstallResult::Finished) {
            EXPECT_EQ(scr, cbtest::readBytes(CBSETUP_CARRIED_PROGRAM));
            EXPECT_EQ(settingsStarted, 1);
        } else {
            EXPECT_EQ(scr, (Bytes {'o', 'l', 'd'}));
            EXPECT_FALSE(std::filesystem::exists(locations.windowsFolder + "/Cobblix.hlp"));
            EXPECT_FALSE(std::filesystem::exists(locations.windowsFolder + "/system.ini"));
            EXPECT_FALSE(registry.hive(plat::Hive::LocalMachine).keyExists(kUninstallKey));
            EXPECT_EQ(announced, 0);
            EXPECT_EQ(settingsStarted, 0);
        }
    }
}

TEST_F(FormsTest, DamagedPayloadClickEndsInErrorAndCloses)
{
    const Resource scr = *carriedResources().find(kScreensaverResource);
    Bytes cut(scr.bytes.begin(), scr.bytes.begin() + scr.bytes.size() / 2);
    ResourceTable table({Resource {kScreensaverResource, cut, checksum(cut)}, *carriedResources().find(kHelpResource)});
    Form1 form(options(&table));
    form.show();
    QTest::mouseClick(child<QPushButton>(form, "cb_1"), Qt::LeftButton);
    EXPECT_EQ(form.result(), InstallResult::Failed);
    ASSERT_EQ(boxes.titles(), std::vector<std::string> {"Error"});
    EXPECT_NE(boxes.boxes[0].text.find("damaged"), std::string::npos);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(std::filesystem::exists(locations.windowsFolder + "/Cobblix.scr"));
}

TEST_F(FormsTest, CancelClosesWithoutWriting)
{
    Form1 form(options());
    form.show();
    QTest::mouseClick(child<QPushButton>(form, "cb_2"), Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.form2(), nullptr);
    EXPECT_FALSE(form.result().has_value());
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_FALSE(std::filesystem::exists(locations.windowsFolder));
    EXPECT_EQ(settingsStarted, 0);
}
