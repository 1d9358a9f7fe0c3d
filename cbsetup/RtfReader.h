// A small reader for the rich text the installer shows: paragraphs with alignment, bold,
// italic, underline, font size, the colour table, escaped and Unicode characters. Control
// words it does not know are skipped, and destinations it does not show (font table, style
// sheet, document information, pictures, ...) are skipped with all they contain.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cbsetup {

struct RtfColor {
    std::uint8_t red = 0, green = 0, blue = 0;
    bool operator==(const RtfColor&) const = default;
};

struct RtfRun {
    std::string text;               // UTF-8; a line break inside a paragraph is U+2028
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int halfPoints = 24;            // font size in half points (\fs)
    std::optional<RtfColor> color;  // none: the automatic (default) colour
};

enum class RtfAlign { Left, Center, Right, Justify };

struct RtfParagraph {
    RtfAlign align = RtfAlign::Left;
    std::vector<RtfRun> runs;

    std::string text() const;
};

struct RtfDocument {
    bool isRtf = false;  // the input began with "{\rtf"; otherwise the document is empty
    std::vector<RtfParagraph> paragraphs;
    std::vector<std::optional<RtfColor>> colors;  // the colour table; none = automatic

    // The text of all paragraphs, joined with "\n".
    std::string plainText() const;
};

// Reads rich text from untrusted bytes; never fails, whatever it is given.
RtfDocument readRtf(std::string_view bytes);

} // namespace cbsetup
