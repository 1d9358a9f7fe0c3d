// The SDL message box presenter on a private X server: a key pressed in the box picks the
// button that key stands for, and without a display the box goes to standard error.
#include "platform/MessageBox.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

using plat::BoxAnswer;
using plat::BoxButtons;
using plat::BoxIcon;
using plat::BoxRequest;

// Bounds the wait for a box that never appears; only guards against a hang.
constexpr int kBoxWaitSeconds = 5;

// Quotes a text for use inside a single-quoted shell word.
std::string escapeQuotes(const std::string& text)
{
    std::string out;
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out;
}

// Waits for the box titled `title` to appear and sends it `key`.
int pressInBox(const std::string& title, const std::string& key)
{
    // SDL's box is found by its title in the window tree (it carries no class xdotool's
    // search matches), given the focus, and sent the key through the keyboard.
    const std::string find = "xwininfo -root -tree | grep -F '\"" + title + "\"' | awk '{print $1}' | head -n 1";
    const std::string command = "timeout " + std::to_string(kBoxWaitSeconds) + " sh -c 'while :; do W=$(" +
                                escapeQuotes(find) + "); [ -n \"$W\" ] && break; sleep 0.05; done; " +
                                "xdotool windowfocus --sync $W key " + key + "' >/dev/null 2>&1";
    return std::system(command.c_str());
}

TEST(SdlBoxPresenterTest, KeysPickTheDefaultAndTheEscapeButtons)
{
    struct Case {
        BoxButtons buttons;
        std::string key;
        BoxAnswer expected;
    };
    const std::vector<Case> cases{
        {BoxButtons::Ok, "Return", BoxAnswer::Ok},
        {BoxButtons::Ok, "Escape", BoxAnswer::Ok},
        {BoxButtons::OkCancel, "Return", BoxAnswer::Ok},
        {BoxButtons::OkCancel, "Escape", BoxAnswer::Cancel},
        {BoxButtons::YesNo, "Return", BoxAnswer::Yes},
        {BoxButtons::YesNo, "Escape", BoxAnswer::No},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string title = "Orvane box test " + std::to_string(++n);
        SCOPED_TRACE(title + " " + c.key);
        int pressed = -1;
        std::thread presser([&] { pressed = pressInBox(title, c.key); });
        ::testing::internal::CaptureStderr();
        const BoxAnswer answer = plat::sdlBoxPresenter()(BoxRequest{title, "Text", BoxIcon::Error, c.buttons});
        const std::string err = ::testing::internal::GetCapturedStderr();
        presser.join();
        if (n == 1 && err.find(title + " (error): Text") != std::string::npos) {
            // SDL's own box needs core X fonts the server may not have; the fallback answered.
            GTEST_SKIP() << "SDL cannot show a message box on this display; it fell back to standard error";
        }
        ASSERT_EQ(pressed, 0);
        EXPECT_EQ(answer, c.expected);
    }
}

TEST(SdlBoxPresenterTest, WithoutADisplayTheBoxGoesToStandardError)
{
    const char* display = std::getenv("DISPLAY");
    const std::string saved = display != nullptr ? display : "";
    unsetenv("DISPLAY");
    ::testing::internal::CaptureStderr();
    const BoxAnswer answer =
        plat::sdlBoxPresenter()(BoxRequest{"Error", "No display here", BoxIcon::Error, BoxButtons::YesNo});
    const std::string err = ::testing::internal::GetCapturedStderr();
    if (display != nullptr) {
        setenv("DISPLAY", saved.c_str(), 1);
    }
    EXPECT_NE(err.find("Error (error): No display here"), std::string::npos) << err;
    EXPECT_EQ(answer, BoxAnswer::Ok);
}

} // namespace
