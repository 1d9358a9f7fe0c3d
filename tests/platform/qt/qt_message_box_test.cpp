// The Qt message box presenter on Qt's offscreen platform: the box shows the request's
// title, text, icon and buttons, and the button pressed becomes the answer.
#include "platform/MessageBox.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using plat::BoxAnswer;
using plat::BoxButtons;
using plat::BoxIcon;
using plat::BoxRequest;

// What the test saw of the box it found.
struct Seen {
    bool found = false;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    Qt::TextFormat format = Qt::AutoText;
};

QMessageBox* openBox()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(w); box != nullptr && box->isVisible()) {
            return box;
        }
    }
    return nullptr;
}

// Once the box is up, notes what it shows and presses `press` (NoButton: Escape).
void answerBoxLater(Seen& seen, QMessageBox::StandardButton press)
{
    QTimer::singleShot(0, [&seen, press] {
        QMessageBox* box = openBox();
        if (box == nullptr) {
            // Not shown yet: look again on the next round of the event loop.
            answerBoxLater(seen, press);
            return;
        }
        seen.found = true;
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        seen.buttons = box->standardButtons();
        seen.format = box->textFormat();
        if (press == QMessageBox::NoButton) {
            box->reject();
        } else if (QAbstractButton* b = box->button(press)) {
            b->click();
        } else {
            box->reject();
        }
    });
}

QApplication& app()
{
    static int argc = 1;
    static char name[] = "qt_box_test";
    static char* argv[] = {name, nullptr};
    static std::unique_ptr<QApplication> instance = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        return std::make_unique<QApplication>(argc, argv);
    }();
    return *instance;
}

struct BoxCase {
    std::string name;
    BoxIcon icon;
    BoxButtons buttons;
    QMessageBox::StandardButton press;
    QMessageBox::Icon expectedIcon;
    QMessageBox::StandardButtons expectedButtons;
    BoxAnswer expectedAnswer;
};

// Runs first, before any test makes the program's QApplication: the presenter must make a
// short-lived one itself. In a fresh process, so that no application exists yet.
TEST(QtBoxPresenterDeathTest, WorksWithoutAnApplicationOfItsOwn)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
            // The application appears inside the presenter; the answer is planned for then.
            static Seen seen;
            qAddPreRoutine([] { answerBoxLater(seen, QMessageBox::Ok); });
            const BoxAnswer answer =
                plat::qtBoxPresenter()(BoxRequest{"Note", "No application yet", BoxIcon::Information, BoxButtons::Ok});
            const bool ok = answer == BoxAnswer::Ok && seen.found && seen.text == "No application yet" &&
                            QApplication::instance() == nullptr;
            std::exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(QtBoxPresenterTest, ShowsTheRequestAndReturnsThePressedButton)
{
    app();
    const std::vector<BoxCase> cases{
        {"error ok", BoxIcon::Error, BoxButtons::Ok, QMessageBox::Ok, QMessageBox::Critical, QMessageBox::Ok,
         BoxAnswer::Ok},
        {"note ok/cancel, ok", BoxIcon::Information, BoxButtons::OkCancel, QMessageBox::Ok, QMessageBox::Information,
         QMessageBox::Ok | QMessageBox::Cancel, BoxAnswer::Ok},
        {"note ok/cancel, cancel", BoxIcon::Information, BoxButtons::OkCancel, QMessageBox::Cancel,
         QMessageBox::Information, QMessageBox::Ok | QMessageBox::Cancel, BoxAnswer::Cancel},
        {"question yes", BoxIcon::Question, BoxButtons::YesNo, QMessageBox::Yes, QMessageBox::Question,
         QMessageBox::Yes | QMessageBox::No, BoxAnswer::Yes},
        {"question no", BoxIcon::Question, BoxButtons::YesNo, QMessageBox::No, QMessageBox::Question,
         QMessageBox::Yes | QMessageBox::No, BoxAnswer::No},
        {"question escaped", BoxIcon::Question, BoxButtons::YesNo, QMessageBox::NoButton, QMessageBox::Question,
         QMessageBox::Yes | QMessageBox::No, BoxAnswer::No},
        {"ok/cancel escaped", BoxIcon::Error, BoxButtons::OkCancel, QMessageBox::NoButton, QMessageBox::Critical,
         QMessageBox::Ok | QMessageBox::Cancel, BoxAnswer::Cancel},
    };
    for (const BoxCase& c : cases) {
        SCOPED_TRACE(c.name);
        Seen seen;
        answerBoxLater(seen, c.press);
        const std::string title = "Title " + c.name;
        const std::string text = "Text of " + c.name;
        const BoxAnswer answer = plat::qtBoxPresenter()(BoxRequest{title, text, c.icon, c.buttons});
        ASSERT_TRUE(seen.found);
        EXPECT_EQ(seen.title.toStdString(), title);
        EXPECT_EQ(seen.text.toStdString(), text);
        EXPECT_EQ(seen.icon, c.expectedIcon);
        EXPECT_EQ(seen.buttons, c.expectedButtons);
        EXPECT_EQ(answer, c.expectedAnswer);
    }
}

TEST(QtBoxPresenterTest, TextIsShownAsPlainText)
{
    app();
    Seen seen;
    answerBoxLater(seen, QMessageBox::Ok);
    // Texts may come from files and pages: markup in them is shown, never interpreted.
    const std::string text = "<b>not bold</b> & <a href='x'>no link</a>";
    plat::qtBoxPresenter()(BoxRequest{"Error", text, BoxIcon::Error, BoxButtons::Ok});
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.text.toStdString(), text);
    EXPECT_EQ(seen.format, Qt::PlainText);
    EXPECT_EQ(openBox(), nullptr);   // the box is gone once answered
}

TEST(QtBoxPresenterTest, ShowBoxUsesThePresenterInForce)
{
    app();
    Seen seen;
    answerBoxLater(seen, QMessageBox::Yes);
    plat::setBoxPresenter(plat::qtBoxPresenter());
    const BoxAnswer answer = plat::showBox(BoxRequest{"Question", "Go on?", BoxIcon::Question, BoxButtons::YesNo});
    plat::setBoxPresenter(nullptr);
    EXPECT_TRUE(seen.found);
    EXPECT_EQ(answer, BoxAnswer::Yes);
}

TEST(StderrBoxPresenterTest, WritesTheBoxAndAnswersOk)
{
    plat::setBoxPresenter(nullptr);   // none in force: standard error
    const std::vector<std::pair<BoxRequest, std::string>> cases{
        {BoxRequest{"Error", "Cannot read the file", BoxIcon::Error, BoxButtons::Ok}, "Error (error): Cannot read the file\n"},
        {BoxRequest{"Note", "Saved", BoxIcon::Information, BoxButtons::OkCancel}, "Note (note): Saved\n"},
        {BoxRequest{"Question", "Replace?", BoxIcon::Question, BoxButtons::YesNo}, "Question (question): Replace?\n"},
    };
    for (const auto& [request, expected] : cases) {
        SCOPED_TRACE(request.title);
        ::testing::internal::CaptureStderr();
        const BoxAnswer answer = plat::showBox(request);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), expected);
        // Nobody answered: never taken for a Yes.
        EXPECT_EQ(answer, BoxAnswer::Ok);
    }
}

TEST(StderrBoxPresenterTest, InstalledPresenterReceivesTheRequest)
{
    std::vector<BoxRequest> got;
    plat::setBoxPresenter([&got](const BoxRequest& r) {
        got.push_back(r);
        return BoxAnswer::No;
    });
    const BoxAnswer answer = plat::showBox(BoxRequest{"T", "X", BoxIcon::Question, BoxButtons::YesNo, 77});
    plat::setBoxPresenter(nullptr);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].title, "T");
    EXPECT_EQ(got[0].text, "X");
    EXPECT_EQ(got[0].ownerXid, 77u);
    EXPECT_EQ(answer, BoxAnswer::No);
}

} // namespace
