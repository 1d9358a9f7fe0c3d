// The password forms without a window: the secret text buffer, the check and change forms
// against a real host in a temporary root, and the painting of their bullets and frames.
#include "host/ui/PasswordDialog.h"

#include "platform/Locations.h"
#include "platform/Registry.h"

#include "HostRootTest.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using host::ui::ChangeForm;
using host::ui::CheckForm;
using host::ui::FormKey;
using host::ui::FormOutcome;
using host::ui::SecretText;

// ---- SecretText ----

struct AppendCase {
    const char* name;
    std::vector<std::string> pieces;
    int backspaces;
    std::string expected;
    std::size_t characters;
};

class SecretTextAppend : public testing::TestWithParam<AppendCase> {};

TEST_P(SecretTextAppend, KeepsWholeCharactersOnly)
{
    const AppendCase& c = GetParam();
    SecretText t;
    for (const auto& p : c.pieces)
        t.append(p);
    for (int i = 0; i < c.backspaces; ++i)
        t.backspace();
    EXPECT_EQ(t.text(), c.expected);
    EXPECT_EQ(t.characters(), c.characters);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SecretTextAppend,
    testing::Values(
        AppendCase{"Ascii", {"sec", "ret"}, 0, "secret", 6},
        AppendCase{"BackspaceAscii", {"secrex"}, 1, "secre", 5},
        AppendCase{"BackspaceTwoByte", {"ab\xC3\xA9"}, 1, "ab", 2},          // é
        AppendCase{"BackspaceFourByte", {"x\xF0\x9F\x94\x91"}, 1, "x", 1},   // key emoji
        AppendCase{"BackspaceThreeByteKeepsPrevious", {"\xE2\x82\xAC\xE2\x82\xAC"}, 1, "\xE2\x82\xAC", 1},
        AppendCase{"MoreBackspacesThanText", {"ab"}, 5, "", 0},
        AppendCase{"StrayContinuationDropped", {"a\x80" "b"}, 0, "ab", 2},
        AppendCase{"CutSequenceDropped", {"a\xE2\x82"}, 0, "a", 1},
        AppendCase{"OverlongDropped", {"\xC0\xAF" "z"}, 0, "z", 1},
        AppendCase{"SurrogateDropped", {"\xED\xA0\x80" "q"}, 0, "q", 1},
        AppendCase{"BeyondUnicodeDropped", {"\xF4\x90\x80\x80" "w"}, 0, "w", 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SecretText, StopsAtTheByteLimitWithoutSplittingACharacter)
{
    SecretText t;
    EXPECT_EQ(t.append(std::string(SecretText::kMaxBytes - 1, 'a')), SecretText::kMaxBytes - 1);
    // A two-byte character does not fit in the last byte: nothing of it is taken.
    EXPECT_EQ(t.append("\xC3\xA9"), 0u);
    EXPECT_EQ(t.append("bc"), 1u);
    EXPECT_EQ(t.text().size(), SecretText::kMaxBytes);
    EXPECT_EQ(t.append("d"), 0u);
    EXPECT_TRUE(t.backspace());
    EXPECT_EQ(t.append("\xC3\xA9"), 0u);
    EXPECT_EQ(t.append("z"), 1u);
    EXPECT_EQ(t.text().back(), 'z');
}

TEST(SecretText, WipesTheMemoryItLeaves)
{
    SecretText t;
    t.append(std::string(40, 'S'));
    // The buffer was reserved once, so the text never moved: its old bytes are still here.
    const char* raw = t.text().data();
    t.backspace();
    t.backspace();
    EXPECT_EQ(raw[38], '\0');
    EXPECT_EQ(raw[39], '\0');
    EXPECT_EQ(raw[37], 'S');
    t.clear();
    EXPECT_TRUE(t.empty());
    for (int i = 0; i < 40; ++i)
        ASSERT_EQ(raw[i], '\0') << "byte " << i;
}

// ---- the forms against a real host ----

class FormsWithHost : public HostRootTest {
protected:
    FormsWithHost() : HostRootTest("orvane-forms") {}

    static void typeInto(ChangeForm& f, const std::string& s) { f.type(s); }
};

TEST(CheckForm, EnterAcceptsEscapeCancelsAndWipes)
{
    CheckForm accept;
    accept.type("secrex");
    EXPECT_EQ(accept.key(FormKey::Backspace), FormOutcome::Running);
    accept.type("t");
    EXPECT_EQ(accept.key(FormKey::Tab), FormOutcome::Running);
    EXPECT_EQ(accept.key(FormKey::Enter), FormOutcome::Accepted);
    EXPECT_EQ(accept.field().text(), "secret");
    // An answered form takes no further keys.
    EXPECT_EQ(accept.key(FormKey::Escape), FormOutcome::Accepted);

    CheckForm cancel;
    cancel.type("secret");
    EXPECT_EQ(cancel.key(FormKey::Escape), FormOutcome::Cancelled);
    EXPECT_TRUE(cancel.field().empty());
}

TEST_F(FormsWithHost, ChangeWithoutPasswordAsksNewTwiceAndStores)
{
    ASSERT_FALSE(hostObj->passwordSet());
    ChangeForm f(*hostObj);
    ASSERT_EQ(f.fieldCount(), 2);
    EXPECT_STREQ(f.label(0), "New password:");
    EXPECT_STREQ(f.label(1), "Confirm new password:");
    f.type("alpha");
    EXPECT_EQ(f.key(FormKey::Enter), FormOutcome::Running);  // Enter moves on
    EXPECT_EQ(f.focus(), 1);
    f.type("alpha");
    EXPECT_EQ(f.key(FormKey::Enter), FormOutcome::Accepted);
    EXPECT_TRUE(hostObj->passwordSet());
    EXPECT_TRUE(hostObj->checkPassword("alpha"));
    EXPECT_FALSE(hostObj->checkPassword("alphx"));
    EXPECT_TRUE(f.field(0).empty());
    EXPECT_TRUE(f.field(1).empty());
}

TEST_F(FormsWithHost, MismatchKeepsTheFormOpenUntilCorrected)
{
    ChangeForm f(*hostObj);
    f.type("one");
    f.key(FormKey::Tab);
    f.type("two");
    EXPECT_EQ(f.key(FormKey::Enter), FormOutcome::Running);
    EXPECT_EQ(f.message(), "The passwords do not match.");
    EXPECT_FALSE(hostObj->passwordSet());
    // Both new fields start over, focus back on the first of them.
    EXPECT_EQ(f.focus(), 0);
    EXPECT_TRUE(f.field(0).empty());
    EXPECT_TRUE(f.field(1).empty());
    f.type("two");
    f.key(FormKey::Enter);
    f.type("two");
    EXPECT_EQ(f.key(FormKey::Enter), FormOutcome::Accepted);
    EXPECT_TRUE(hostObj->checkPassword("two"));
}

TEST_F(FormsWithHost, ChangeWithPasswordChecksTheOldOne)
{
    ASSERT_TRUE(hostObj->setPassword("old"));
    ChangeForm f(*hostObj);
    ASSERT_EQ(f.fieldCount(), 3);
    EXPECT_STREQ(f.label(0), "Old password:");
    f.type("wrong");
    f.key(FormKey::Enter);
    f.type("new");
    f.key(FormKey::Enter);
    f.type("new");
    EXPECT_EQ(f.key(FormKey::Enter), FormOutcome::Running);
    EXPECT_EQ(f.message(), "The old password is not correct.");
    EXPECT_EQ(f.focus(), 0);
    EXPECT_TRUE(f.field(0).empty());
    EXPECT_TRUE(hostObj->checkPassword("old"));
    EXPECT_FALSE(hostObj->checkPassword("new"));

    f.type("old");
    EXPECT_EQ(f.key(FormKey::Enter), FormOutcome::Running);
    EXPECT_EQ(f.key(FormKey::Enter), FormOutcome::Running);  // new and confirm kept
    EXPECT_EQ(f.key(FormKey::Enter), FormOutcome::Accepted);
    EXPECT_TRUE(hostObj->checkPassword("new"));
    EXPECT_FALSE(hostObj->checkPassword("old"));
}

TEST_F(FormsWithHost, EscapeStoresNothing)
{
    ASSERT_TRUE(hostObj->setPassword("keep"));
    ChangeForm f(*hostObj);
    f.type("keep");
    f.key(FormKey::Tab);
    f.type("other");
    f.key(FormKey::Tab);
    f.type("other");
    EXPECT_EQ(f.key(FormKey::Escape), FormOutcome::Cancelled);
    EXPECT_TRUE(hostObj->checkPassword("keep"));
    EXPECT_FALSE(hostObj->checkPassword("other"));
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(f.field(i).empty());
}

TEST_F(FormsWithHost, TabCyclesBothWaysAndTypingGoesToTheFocusedField)
{
    ASSERT_TRUE(hostObj->setPassword("x"));
    ChangeForm f(*hostObj);
    struct Step { FormKey key; int focus; };
    const Step steps[] = {{FormKey::Tab, 1}, {FormKey::Tab, 2}, {FormKey::Tab, 0},
                          {FormKey::BackTab, 2}, {FormKey::BackTab, 1}};
    for (const Step& s : steps) {
        f.key(s.key);
        EXPECT_EQ(f.focus(), s.focus);
    }
    f.type("ab");
    f.key(FormKey::Backspace);
    EXPECT_TRUE(f.field(0).empty());
    EXPECT_EQ(f.field(1).text(), "a");
    EXPECT_TRUE(f.field(2).empty());
}

TEST_F(FormsWithHost, EmptyNewPasswordTurnsThePasswordOff)
{
    ASSERT_TRUE(hostObj->setPassword("old"));
    ChangeForm f(*hostObj);
    f.type("old");
    f.key(FormKey::Enter);
    f.key(FormKey::Enter);
    EXPECT_EQ(f.key(FormKey::Enter), FormOutcome::Accepted);
    EXPECT_FALSE(hostObj->passwordSet());
}

// ---- painting ----

struct Pixels {
    explicit Pixels(const host::ui::DialogLayout& l)
        : data(static_cast<std::size_t>(l.width) * l.height, 0xABCDEF), canvas{data.data(), l.width, l.height, l.width}
    {
    }
    std::vector<uint32_t> data;
    host::ui::Canvas canvas;
};

// Separate dark blobs along the middle row of a field: one per bullet.
int bulletsIn(const host::ui::Canvas& c, const host::ui::Rect& field)
{
    int y = field.y + field.h / 2;
    int blobs = 0;
    bool inside = false;
    for (int x = field.x + 3; x < field.x + field.w - 3; ++x) {
        bool dark = c.at(x, y) == 0x000000;
        if (dark && !inside)
            ++blobs;
        inside = dark;
    }
    return blobs;
}

TEST(PasswordPainting, OneBulletPerCharacterNeverTheText)
{
    host::ui::TextRenderer text(15);
    const std::size_t counts[] = {0, 1, 6, 12};
    for (std::size_t n : counts) {
        CheckForm form;
        for (std::size_t i = 0; i < n; ++i)
            form.type("\xC3\xA9");  // two bytes, one bullet
        auto layout = host::ui::checkLayout();
        Pixels px(layout);
        host::ui::paintCheckDialog(px.canvas, text, form);
        EXPECT_EQ(bulletsIn(px.canvas, layout.fields[0]), static_cast<int>(n)) << n << " characters";
    }
}

TEST(PasswordPainting, ALongPasswordFillsTheFieldButStaysInside)
{
    host::ui::TextRenderer text(15);
    CheckForm form;
    form.type(std::string(SecretText::kMaxBytes, 'x'));
    auto l = host::ui::checkLayout();
    Pixels px(l);
    host::ui::paintCheckDialog(px.canvas, text, form);
    int bullets = bulletsIn(px.canvas, l.fields[0]);
    EXPECT_GT(bullets, 10);
    EXPECT_LT(bullets, static_cast<int>(SecretText::kMaxBytes));
    // Right of the field, the dialog face is untouched by bullets.
    int y = l.fields[0].y + l.fields[0].h / 2;
    for (int x = l.fields[0].x + l.fields[0].w; x < l.width - 1; ++x)
        ASSERT_NE(px.canvas.at(x, y), 0x000000u) << x;
}

TEST(PasswordPainting, EveryPixelIsPaintedAndTextAppearsWithAFont)
{
    host::ui::TextRenderer withFont(15);
    host::ui::TextRenderer noFont("/nonexistent/font.ttf", 15);
    ASSERT_TRUE(withFont.hasFont()) << "no dialog font found through fontconfig";
    auto l = host::ui::checkLayout();
    Pixels a(l), b(l);
    CheckForm form;
    host::ui::paintCheckDialog(a.canvas, withFont, form);
    host::ui::paintCheckDialog(b.canvas, noFont, form);
    for (uint32_t p : a.data)
        ASSERT_NE(p, 0xABCDEFu);
    for (uint32_t p : b.data)
        ASSERT_NE(p, 0xABCDEFu);
    // The caption row differs only by its text: with a font there is ink, without none.
    auto inkIn = [&](const host::ui::Canvas& c) {
        int ink = 0;
        for (int y = l.labelBaselines[0] - 12; y <= l.labelBaselines[0]; ++y)
            for (int x = l.fields[0].x; x < l.fields[0].x + 150; ++x)
                ink += c.at(x, y) != c.at(l.width - 3, l.labelBaselines[0]);
        return ink;
    };
    EXPECT_GT(inkIn(a.canvas), 50);
    EXPECT_EQ(inkIn(b.canvas), 0);
}

TEST(PasswordPainting, ChangeLayoutKeepsRowsApartAndInside)
{
    for (int fields : {2, 3}) {
        auto l = host::ui::changeLayout(fields);
        EXPECT_EQ(l.fieldCount, fields);
        for (int i = 1; i < fields; ++i)
            EXPECT_GE(l.fields[i].y, l.fields[i - 1].y + l.fields[i - 1].h) << "fields overlap";
        EXPECT_GT(l.messageBaseline, l.fields[fields - 1].y + l.fields[fields - 1].h);
        EXPECT_LT(l.messageBaseline, l.ok.y);
        EXPECT_LE(l.ok.y + l.ok.h, l.height);
        EXPECT_LE(l.cancel.x + l.cancel.w, l.width);
        EXPECT_LE(l.ok.x + l.ok.w, l.cancel.x);
    }
}

TEST_F(FormsWithHost, ChangeDialogPaintsBulletsPerFieldFocusAndMessage)
{
    host::ui::TextRenderer text(15);
    ChangeForm f(*hostObj);
    f.type("abc");
    f.key(FormKey::Tab);
    f.type("abcd");
    f.key(FormKey::Enter);  // mismatch: message, both fields cleared, focus on the first
    ASSERT_FALSE(f.message().empty());
    f.type("xy");
    auto l = host::ui::changeLayout(f.fieldCount());
    Pixels px(l);
    host::ui::paintChangeDialog(px.canvas, text, f);
    EXPECT_EQ(bulletsIn(px.canvas, l.fields[0]), 2);
    EXPECT_EQ(bulletsIn(px.canvas, l.fields[1]), 0);
    // Only the focused field wears the focus frame just inside its border.
    auto framed = [&](int i) { return px.canvas.at(l.fields[i].x + l.fields[i].w / 2, l.fields[i].y + 1); };
    EXPECT_NE(framed(0), framed(1));
    EXPECT_EQ(framed(1), 0xFFFFFFu);
    // The message line has red ink.
    int red = 0;
    for (int y = l.messageBaseline - 12; y <= l.messageBaseline; ++y)
        for (int x = 0; x < l.width; ++x) {
            uint32_t p = px.canvas.at(x, y);
            red += ((p >> 16) & 0xFF) > 0x60 && ((p >> 8) & 0xFF) < 0x40;
        }
    EXPECT_GT(red, 20);
}

} // namespace
