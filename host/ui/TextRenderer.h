// Text drawing for the host's own small dialogs: one face found through fontconfig,
// rasterised with FreeType and blended into a plain 32-bit pixel buffer. When no font can
// be found the renderer draws nothing, and the dialogs still work without their texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace host::ui {

// A 32-bit pixel buffer, one 0x00RRGGBB word per pixel; pitch counts pixels per row.
struct Canvas {
    uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int pitch = 0;

    uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * pitch + x]; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    // Filled rectangle, clipped to the buffer.
    void fill(int x, int y, int w, int h, uint32_t rgb);
    // Filled disc of the given centre and radius, clipped.
    void disc(int cx, int cy, int radius, uint32_t rgb);
    // Blends rgb over the pixel with coverage 0..255; outside the buffer nothing happens.
    void blend(int x, int y, uint32_t rgb, unsigned coverage);
};

// Length in bytes of the well-formed UTF-8 sequence starting at text[pos] (1..4), or 0 when
// the bytes there are not one (stray continuation, overlong form, surrogate, cut short).
std::size_t utf8SequenceLength(const std::string& text, std::size_t pos);
// The code point of the sequence at text[pos]; call only where utf8SequenceLength > 0.
char32_t utf8Decode(const std::string& text, std::size_t pos, std::size_t length);

class TextRenderer {
public:
    // The dialog face: the first of "Liberation Sans", "Arial", "sans-serif" that fontconfig
    // resolves to a file FreeType can open, at pixelSize pixels.
    explicit TextRenderer(int pixelSize);
    // A given font file (no fontconfig lookup); a file that cannot be opened leaves no font.
    TextRenderer(const std::string& fontFile, int pixelSize);
    ~TextRenderer();
    TextRenderer(const TextRenderer&) = delete;
    TextRenderer& operator=(const TextRenderer&) = delete;

    // The font file fontconfig names for the dialog face, "" when none.
    static std::string findFontFile();

    bool hasFont() const;
    const std::string& fontFile() const { return m_fontFile; }
    int ascent() const;      // pixels above the baseline (0 without a font)
    int lineHeight() const;  // baseline to baseline (0 without a font)
    int measure(const std::string& utf8) const;  // advance width in pixels
    // Draws utf8 with its baseline at y, starting at x; returns the advance. Invalid UTF-8
    // bytes are skipped.
    int draw(Canvas& canvas, int x, int baselineY, const std::string& utf8, uint32_t rgb) const;

private:
    struct Face;
    void open(const std::string& file, int pixelSize);
    int run(Canvas* canvas, int x, int baselineY, const std::string& utf8, uint32_t rgb) const;

    std::string m_fontFile;
    std::unique_ptr<Face> m_face;
};

} // namespace host::ui
