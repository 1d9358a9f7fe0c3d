// The dialogs' text drawing: UTF-8 decoding, the fontconfig face, measuring, clipping and
// the no-font case in which nothing is drawn.
#include "host/ui/TextRenderer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using host::ui::Canvas;
using host::ui::TextRenderer;

struct Utf8Case {
    const char* name;
    std::string bytes;
    std::size_t length;
    char32_t codePoint;  // checked when length > 0
};

class Utf8Sequences : public testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8Sequences, LengthAndValue)
{
    const Utf8Case& c = GetParam();
    EXPECT_EQ(host::ui::utf8SequenceLength(c.bytes, 0), c.length);
    if (c.length > 0) {
        EXPECT_EQ(host::ui::utf8Decode(c.bytes, 0, c.length), c.codePoint);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8Sequences,
    testing::Values(Utf8Case{"Ascii", "A", 1, U'A'},
                    Utf8Case{"TwoBytes", "\xC3\xA9", 2, U'\u00E9'},
                    Utf8Case{"ThreeBytes", "\xE2\x82\xAC", 3, U'\u20AC'},
                    Utf8Case{"FourBytes", "\xF0\x9F\x94\x91", 4, U'\U0001F511'},
                    Utf8Case{"LargestCodePoint", "\xF4\x8F\xBF\xBF", 4, U'\U0010FFFF'},
                    Utf8Case{"Continuation", "\x80", 0, 0},
                    Utf8Case{"OverlongTwo", "\xC1\xBF", 0, 0},
                    Utf8Case{"OverlongThree", "\xE0\x80\xAF", 0, 0},
                    Utf8Case{"OverlongFour", "\xF0\x80\x80\xAF", 0, 0},
                    Utf8Case{"Surrogate", "\xED\xB0\x80", 0, 0},
                    Utf8Case{"TooLarge", "\xF4\x90\x80\x80", 0, 0},
                    Utf8Case{"LeadF5", "\xF5\x80\x80\x80", 0, 0},
                    Utf8Case{"CutShort", "\xE2\x82", 0, 0},
                    Utf8Case{"BadContinuation", "\xC3\x41", 0, 0},
                    Utf8Case{"Empty", "", 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// A canvas inside a larger buffer: the guard band around it must stay untouched.
struct Guarded {
    static constexpr uint32_t kGuard = 0x123456;
    static constexpr uint32_t kBack = 0xFFFFFF;
    static constexpr int kBand = 8;
    Guarded(int w, int h) : pitch(w + 2 * kBand), rows(h + 2 * kBand), data(static_cast<std::size_t>(pitch) * rows, kGuard)
    {
        canvas = Canvas{data.data() + kBand * pitch + kBand, w, h, pitch};
        canvas.fill(0, 0, w, h, kBack);
    }
    bool guardIntact() const
    {
        for (int y = 0; y < rows; ++y)
            for (int x = 0; x < pitch; ++x) {
                bool inside = x >= kBand && y >= kBand && x < kBand + canvas.width && y < kBand + canvas.height;
                if (!inside && data[static_cast<std::size_t>(y) * pitch + x] != kGuard)
                    return false;
            }
        return true;
    }
    int changed() const
    {
        int n = 0;
        for (int y = 0; y < canvas.height; ++y)
            for (int x = 0; x < canvas.width; ++x)
                n += canvas.at(x, y) != kBack;
        return n;
    }
    int pitch, rows;
    std::vector<uint32_t> data;
    Canvas canvas;
};

TEST(TextRenderer, FindsADialogFaceThroughFontconfig)
{
    std::string file = TextRenderer::findFontFile();
    ASSERT_FALSE(file.empty());
    TextRenderer text(15);
    ASSERT_TRUE(text.hasFont());
    EXPECT_EQ(text.fontFile(), file);
    EXPECT_GT(text.ascent(), 5);
    EXPECT_LE(text.ascent(), text.lineHeight());
    EXPECT_GT(text.lineHeight(), 12);
    EXPECT_LT(text.lineHeight(), 30);
}

TEST(TextRenderer, MeasuresAndDrawsWhereAsked)
{
    TextRenderer text(15);
    ASSERT_TRUE(text.hasFont());
    EXPECT_EQ(text.measure(""), 0);
    EXPECT_LT(text.measure("ii"), text.measure("WW"));
    EXPECT_EQ(text.measure("OK\x80"), text.measure("OK"));  // a stray byte is skipped

    Guarded g(200, 40);
    int advance = text.draw(g.canvas, 10, 25, "Type your password:", 0x000000);
    EXPECT_EQ(advance, text.measure("Type your password:"));
    EXPECT_GT(g.changed(), 100);
    // Ink lies within the advance and the line around the baseline.
    for (int y = 0; y < g.canvas.height; ++y)
        for (int x = 0; x < g.canvas.width; ++x)
            if (g.canvas.at(x, y) != Guarded::kBack) {
                EXPECT_GE(x, 9);
                EXPECT_LE(x, 10 + advance + 1);
                EXPECT_GE(y, 25 - text.ascent() - 1);
                EXPECT_LE(y, 25 + text.lineHeight() - text.ascent() + 1);
            }
    EXPECT_TRUE(g.guardIntact());
}

TEST(TextRenderer, ClipsAtEveryEdge)
{
    TextRenderer text(15);
    ASSERT_TRUE(text.hasFont());
    struct At { int x, y; };
    for (At at : {At{-20, 5}, At{150, 10}, At{10, 3}, At{10, 60}, At{-500, -500}, At{5000, 5000}}) {
        Guarded g(160, 30);
        text.draw(g.canvas, at.x, at.y, "Wg|Screen Saver", 0x000000);
        EXPECT_TRUE(g.guardIntact()) << at.x << "," << at.y;
    }
}

TEST(TextRenderer, WithoutAFontDrawsNothing)
{
    TextRenderer text("/nonexistent/face.ttf", 15);
    EXPECT_FALSE(text.hasFont());
    EXPECT_EQ(text.fontFile(), "");
    Guarded g(100, 30);
    EXPECT_EQ(text.draw(g.canvas, 5, 20, "OK", 0x000000), 0);
    EXPECT_EQ(text.measure("OK"), 0);
    EXPECT_EQ(g.changed(), 0);
    EXPECT_EQ(text.ascent(), 0);
}

TEST(Canvas, FillDiscAndBlendStayInside)
{
    Guarded g(20, 10);
    g.canvas.fill(-5, -5, 100, 100, 0x000000);
    EXPECT_EQ(g.changed(), 20 * 10);
    EXPECT_TRUE(g.guardIntact());

    Guarded d(20, 20);
    d.canvas.disc(0, 0, 6, 0x000000);
    d.canvas.disc(19, 19, 6, 0x000000);
    EXPECT_TRUE(d.guardIntact());
    EXPECT_EQ(d.canvas.at(0, 0), 0u);
    EXPECT_EQ(d.canvas.at(10, 10), Guarded::kBack);

    Guarded b(4, 4);
    b.canvas.blend(1, 1, 0x000000, 128);
    uint32_t half = b.canvas.at(1, 1);
    EXPECT_NEAR(static_cast<int>(half & 0xFF), 127, 1);
    EXPECT_EQ(half & 0xFF, (half >> 8) & 0xFF);
    b.canvas.blend(2, 2, 0x000000, 0);
    EXPECT_EQ(b.canvas.at(2, 2), Guarded::kBack);
    b.canvas.blend(-1, 2, 0x000000, 255);
    EXPECT_TRUE(b.guardIntact());
}

} // namespace
