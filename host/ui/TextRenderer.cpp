// FreeType and fontconfig text drawing for the host's dialogs (see TextRenderer.h).
#include "host/ui/TextRenderer.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <unistd.h>

namespace host::ui {

namespace {

// Families asked of fontconfig, best first; the last is the generic fallback.
constexpr const char* kFamilies[] = {"Liberation Sans", "Arial", "sans-serif"};
constexpr unsigned kFullCoverage = 255;
constexpr int kFixedShift = 6;  // FreeType's 26.6 fixed point
constexpr char32_t kMaxCodePoint = 0x10FFFF;

uint32_t mix(uint32_t under, uint32_t over, unsigned coverage)
{
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        unsigned a = (under >> shift) & 0xFF;
        unsigned b = (over >> shift) & 0xFF;
        unsigned c = (a * (kFullCoverage - coverage) + b * coverage + kFullCoverage / 2) / kFullCoverage;
        out |= static_cast<uint32_t>(c) << shift;
    }
    return out;
}

} // namespace

void Canvas::fill(int x, int y, int w, int h, uint32_t rgb)
{
    int x0 = std::max(x, 0), y0 = std::max(y, 0);
    int x1 = std::min(x + w, width), y1 = std::min(y + h, height);
    for (int row = y0; row < y1; ++row)
        for (int col = x0; col < x1; ++col)
            pixels[static_cast<std::size_t>(row) * pitch + col] = rgb & 0xFFFFFF;
}

void Canvas::disc(int cx, int cy, int radius, uint32_t rgb)
{
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx)
            if (dx * dx + dy * dy <= radius * radius + radius)
                blend(cx + dx, cy + dy, rgb, kFullCoverage);
}

void Canvas::blend(int x, int y, uint32_t rgb, unsigned coverage)
{
    if (!contains(x, y) || coverage == 0)
        return;
    uint32_t& p = pixels[static_cast<std::size_t>(y) * pitch + x];
    p = coverage >= kFullCoverage ? (rgb & 0xFFFFFF) : mix(p, rgb, coverage);
}

std::size_t utf8SequenceLength(const std::string& text, std::size_t pos)
{
    if (pos >= text.size())
        return 0;
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(pos);
    std::size_t length;
    char32_t min;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) { length = 2; min = 0x80; }
    else if (lead >= 0xE0 && lead <= 0xEF) { length = 3; min = 0x800; }
    else if (lead >= 0xF0 && lead <= 0xF4) { length = 4; min = 0x10000; }
    else return 0;  // continuation byte, overlong lead (C0/C1) or beyond U+10FFFF
    if (pos + length > text.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i)
        if ((byte(pos + i) & 0xC0) != 0x80)
            return 0;
    char32_t cp = utf8Decode(text, pos, length);
    if (cp < min || cp > kMaxCodePoint || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return length;
}

char32_t utf8Decode(const std::string& text, std::size_t pos, std::size_t length)
{
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    static constexpr unsigned char kLeadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    char32_t cp = byte(pos) & kLeadMask[length];
    for (std::size_t i = 1; i < length; ++i)
        cp = (cp << 6) | (byte(pos + i) & 0x3F);
    return cp;
}

struct TextRenderer::Face {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    ~Face()
    {
        if (face)
            FT_Done_Face(face);
        if (library)
            FT_Done_FreeType(library);
    }
};

TextRenderer::TextRenderer(int pixelSize)
{
    open(findFontFile(), pixelSize);
}

TextRenderer::TextRenderer(const std::string& fontFile, int pixelSize)
{
    open(fontFile, pixelSize);
}

TextRenderer::~TextRenderer() = default;

void TextRenderer::open(const std::string& file, int pixelSize)
{
    if (file.empty() || pixelSize <= 0)
        return;
    auto face = std::make_unique<Face>();
    if (FT_Init_FreeType(&face->library) != 0)
        return;
    if (FT_New_Face(face->library, file.c_str(), 0, &face->face) != 0) {
        face->face = nullptr;
        return;
    }
    if (FT_Set_Pixel_Sizes(face->face, 0, static_cast<FT_UInt>(pixelSize)) != 0)
        return;
    m_fontFile = file;
    m_face = std::move(face);
}

std::string TextRenderer::findFontFile()
{
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (!config)
        return {};
    std::string found;
    for (const char* family : kFamilies) {
        FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(family));
        if (!pattern)
            continue;
        FcConfigSubstitute(config, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern* match = FcFontMatch(config, pattern, &result);
        FcPatternDestroy(pattern);
        if (!match)
            continue;
        FcChar8* file = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file &&
            access(reinterpret_cast<const char*>(file), R_OK) == 0)
            found = reinterpret_cast<const char*>(file);
        FcPatternDestroy(match);
        if (!found.empty())
            break;
    }
    FcConfigDestroy(config);
    return found;
}

bool TextRenderer::hasFont() const
{
    return m_face != nullptr;
}

int TextRenderer::ascent() const
{
    return m_face ? static_cast<int>(m_face->face->size->metrics.ascender >> kFixedShift) : 0;
}

int TextRenderer::lineHeight() const
{
    return m_face ? static_cast<int>(m_face->face->size->metrics.height >> kFixedShift) : 0;
}

int TextRenderer::measure(const std::string& utf8) const
{
    return run(nullptr, 0, 0, utf8, 0);
}

int TextRenderer::draw(Canvas& canvas, int x, int baselineY, const std::string& utf8, uint32_t rgb) const
{
    return run(&canvas, x, baselineY, utf8, rgb);
}

int TextRenderer::run(Canvas* canvas, int x, int baselineY, const std::string& utf8, uint32_t rgb) const
{
    if (!m_face)
        return 0;
    FT_Face face = m_face->face;
    int penX = x;
    FT_UInt previous = 0;
    const bool kerning = FT_HAS_KERNING(face);
    for (std::size_t pos = 0; pos < utf8.size();) {
        std::size_t length = utf8SequenceLength(utf8, pos);
        if (length == 0) {
            ++pos;
            continue;
        }
        char32_t cp = utf8Decode(utf8, pos, length);
        pos += length;
        FT_UInt glyph = FT_Get_Char_Index(face, cp);
        if (kerning && previous && glyph) {
            FT_Vector delta{};
            if (FT_Get_Kerning(face, previous, glyph, FT_KERNING_DEFAULT, &delta) == 0)
                penX += static_cast<int>(delta.x >> kFixedShift);
        }
        previous = glyph;
        if (FT_Load_Glyph(face, glyph, canvas ? FT_LOAD_RENDER : FT_LOAD_DEFAULT) != 0)
            continue;
        FT_GlyphSlot slot = face->glyph;
        if (canvas && slot->bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
            const FT_Bitmap& bm = slot->bitmap;
            int left = penX + slot->bitmap_left;
            int top = baselineY - slot->bitmap_top;
            for (unsigned row = 0; row < bm.rows; ++row) {
                const unsigned char* line = bm.buffer + static_cast<std::ptrdiff_t>(row) * bm.pitch;
                for (unsigned col = 0; col < bm.width; ++col)
                    canvas->blend(left + static_cast<int>(col), top + static_cast<int>(row), rgb,
                                  line[col] * kFullCoverage / std::max(1, bm.num_grays - 1));
            }
        }
        penX += static_cast<int>(slot->advance.x >> kFixedShift);
    }
    return penX - x;
}

} // namespace host::ui
