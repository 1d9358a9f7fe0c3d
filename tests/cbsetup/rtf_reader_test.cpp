// The rich-text reader: text and escapes, formatting runs, the colour table, skipped
// destinations, and malformed input (the corpus the fuzzer starts from).
#include "Support.h"

#include "cbsetup/Carried.h"
#include "cbsetup/RtfReader.h"

#include <filesystem>

using namespace cbsetup;

namespace {

// The runs of the only paragraph, with their formatting written out.
std::string describeRuns(const RtfDocument& doc)
{
    std::string out;
    for (const RtfParagraph& p : doc.paragraphs) {
        for (const RtfRun& r : p.runs) {
            out += "[";
            out += r.bold ? "b" : "";
            out += r.italic ? "i" : "";
            out += r.underline ? "u" : "";
            out += std::to_string(r.halfPoints);
            if (r.color)
                out += "#" + std::to_string(r.color->red) + "," + std::to_string(r.color->green) + "," +
                       std::to_string(r.color->blue);
            out += "]" + r.text;
        }
        out += "|";
    }
    return out;
}

} // namespace

TEST(RtfReader, TextEscapesAndParagraphs)
{
    const std::pair<const char*, const char*> cases[] = {
        {R"({\rtf1 Hello})", "Hello"},
        {R"({\rtf1 one\par two\par})", "one\ntwo"},
        {R"({\rtf1 a\par\par b})", "a\n\nb"},
        {R"({\rtf1 back\\slash \{braces\}})", "back\\slash {braces}"},
        {R"({\rtf1 caf\'e9 na\'EFve})", "caf\xc3\xa9 na\xc3\xafve"},
        {R"({\rtf1 \'80 \'93q\'94})", "\xe2\x82\xac \xe2\x80\x9cq\xe2\x80\x9d"},
        {R"({\rtf1 \'zz broken})", "zz broken"},
        {R"({\rtf1 A\~B\-C\_D})", "A\xc2\xa0" "BC\xe2\x80\x91" "D"},
        {R"({\rtf1\uc1 \u233?t\u-3937?x})", "\xc3\xa9t\xef\x82\x9fx"},
        {R"({\rtf1\uc2 \u8364XXy})", "\xe2\x82\xacy"},
        {R"({\rtf1\uc0 \u8364 y})", "\xe2\x82\xacy"},
        {R"({\rtf1 \u55357?\u56832?!})", "\xf0\x9f\x98\x80!"},
        {R"({\rtf1 \u55357?x})", "\xef\xbf\xbdx"},
        {R"({\rtf1 a\tab b\line c})", "a\tb\xe2\x80\xa8" "c"},
        {R"({\rtf1 \emdash\endash\bullet\lquote\rquote\ldblquote\rdblquote})",
         "\xe2\x80\x94\xe2\x80\x93\xe2\x80\xa2\xe2\x80\x98\xe2\x80\x99\xe2\x80\x9c\xe2\x80\x9d"},
        {"{\\rtf1 line\r\nends\nare not text}", "lineendsare not text"},
        {"{\\rtf1 a\\\nb}", "a\nb"},
        {R"({\rtf1 x}trailing text is not read)", "x"},
        {R"({\rtf1\ansi\deff0 {\fonttbl{\f0 Arial;}}{\stylesheet{\s0 Normal;}}{\info{\title T}}Body})", "Body"},
        {R"({\rtf1 {\*\unknowndest hidden {nested}}shown})", "shown"},
        {R"({\rtf1 {\*\generator Gen;}{\pict\pngblip 89504e47}{\header H}x})", "x"},
        {R"({\rtf1 \madeupword12 shown \another-5 too})", "shown too"},
        {R"({\rtf1 \bin3 {}\x after})", "x after"},
        {R"({\rtf1 {\field{\*\fldinst HYPERLINK "u"}{\fldrslt link}}})", "link"},
    };
    for (const auto& [in, out] : cases) {
        RtfDocument doc = readRtf(in);
        EXPECT_TRUE(doc.isRtf) << in;
        EXPECT_EQ(doc.plainText(), out) << in;
    }
}

TEST(RtfReader, FormattingRunsFollowGroupsAndSwitches)
{
    const std::pair<const char*, const char*> cases[] = {
        {R"({\rtf1 n\b b\b0 n})", "[24]n[b24]b[24]n|"},
        {R"({\rtf1 {\b\i bi}n})", "[bi24]bi[24]n|"},
        {R"({\rtf1 \ul u\ulnone n\ul u\ul0 n})", "[u24]u[24]n[u24]u[24]n|"},
        {R"({\rtf1 \fs40 big\fs16 small\fs0 default})", "[40]big[16]small[24]default|"},
        {R"({\rtf1 \fs999999 x})", "[3276]x|"},
        {R"({\rtf1 \b\i\ul\fs30 x\plain y})", "[biu30]x[24]y|"},
        {R"({\rtf1 \b a\par c})", "[b24]a|[b24]c|"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(describeRuns(readRtf(in)), out) << in;
}

TEST(RtfReader, ColourTableAndColourSwitches)
{
    RtfDocument doc = readRtf(
        R"({\rtf1{\colortbl ;\red255\green0\blue0;\red0\green128\blue999;}\cf1 red\cf2 blue\cf0 auto\cf7 none})");
    ASSERT_EQ(doc.colors.size(), 3u);
    EXPECT_FALSE(doc.colors[0].has_value());
    EXPECT_EQ(doc.colors[1], (RtfColor {255, 0, 0}));
    EXPECT_EQ(doc.colors[2], (RtfColor {0, 128, 255}));
    EXPECT_EQ(describeRuns(doc), "[24#255,0,0]red[24#0,128,255]blue[24]autonone|");
}

TEST(RtfReader, ParagraphAlignment)
{
    RtfDocument doc = readRtf(R"({\rtf1\qc c\par\pard l\par\qr r\par\qj j\par\pard\qc{\ql x}y})");
    ASSERT_EQ(doc.paragraphs.size(), 5u);
    EXPECT_EQ(doc.paragraphs[0].align, RtfAlign::Center);
    EXPECT_EQ(doc.paragraphs[1].align, RtfAlign::Left);
    EXPECT_EQ(doc.paragraphs[2].align, RtfAlign::Right);
    EXPECT_EQ(doc.paragraphs[3].align, RtfAlign::Justify);
    EXPECT_EQ(doc.paragraphs[4].align, RtfAlign::Center) << "alignment at the paragraph's end";
}

TEST(RtfReader, NotRichTextGivesAnEmptyDocument)
{
    for (const char* in : {"", "plain text", "{\\rt", "\\rtf1 x", "{rtf1 x}", "{\\rtx1 x}"}) {
        RtfDocument doc = readRtf(in);
        EXPECT_FALSE(doc.isRtf) << in;
        EXPECT_TRUE(doc.paragraphs.empty()) << in;
    }
    EXPECT_TRUE(readRtf("  \r\n{\\rtf1 x}").isRtf);
}

TEST(RtfReader, UnbalancedAndDeepInputStaysSound)
{
    std::string deep = "{\\rtf1 ";
    for (int i = 0; i < 100000; ++i)
        deep += "{\\b ";
    deep += "deep";
    EXPECT_EQ(readRtf(deep).plainText(), "deep");
    EXPECT_TRUE(readRtf(deep).paragraphs[0].runs[0].bold);

    std::string closed = "{\\rtf1 ";
    for (int i = 0; i < 1000; ++i)
        closed += "{\\i ";
    for (int i = 0; i < 1000; ++i)
        closed += "}";
    closed += "plain}";
    RtfDocument doc = readRtf(closed);
    EXPECT_EQ(doc.plainText(), "plain");
    EXPECT_FALSE(doc.paragraphs[0].runs[0].italic) << "formatting of closed groups does not leak";

    EXPECT_EQ(readRtf("{\\rtf1 unclosed {group").plainText(), "unclosed group");
    EXPECT_EQ(readRtf("{\\rtf1 ends in a backslash\\").plainText(), "ends in a backslash");
    EXPECT_EQ(readRtf("{\\rtf1 \\'4").plainText(), "4");
    EXPECT_EQ(readRtf("{\\rtf1 \\bin99999999 x").plainText(), "");
    EXPECT_EQ(readRtf(std::string("{\\rtf1 a\0b}", 11)).plainText(), std::string("a\0b", 3));
}

TEST(RtfReader, CarriedDescriptionShowsNoControlWords)
{
    std::span<const std::uint8_t> bytes = findResource(kDescriptionResource);
    ASSERT_FALSE(bytes.empty());
    RtfDocument doc = readRtf(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    ASSERT_TRUE(doc.isRtf);
    const std::string text = doc.plainText();
    EXPECT_EQ(text.rfind("Cobblix Screen Saver", 0), 0u) << text.substr(0, 80);
    for (const char* leak : {"rtf1", "fonttbl", "Arial", "colortbl", "red0", "generator", "\\par", "\\b", "Orvane hand"})
        EXPECT_EQ(text.find(leak), std::string::npos) << leak;
    EXPECT_NE(text.find("caf\xc3\xa9"), std::string::npos);
    EXPECT_NE(text.find("Curly braces {like these}"), std::string::npos);
    EXPECT_NE(text.find("back-slashes \\ are"), std::string::npos);
    // It uses every kind of formatting the reader knows.
    bool bold = false, italic = false, underline = false, coloured = false, sized = false;
    for (const RtfParagraph& p : doc.paragraphs)
        for (const RtfRun& r : p.runs) {
            bold |= r.bold;
            italic |= r.italic;
            underline |= r.underline;
            coloured |= r.color.has_value();
            sized |= r.halfPoints != 24;
        }
    EXPECT_TRUE(bold && italic && underline && coloured && sized);
}

TEST(RtfReader, MalformedCorpusReadsWithoutFault)
{
    // The files the fuzzer starts from: each is read, and whatever comes out is valid UTF-8
    // text with no control word in it.
    const std::filesystem::path corpus = std::filesystem::path(ORVANE_SOURCE_DIR) / "fuzz/corpus/rtf";
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        auto bytes = cbtest::readBytes(entry.path().string());
        ASSERT_TRUE(bytes.has_value()) << entry.path();
        RtfDocument doc = readRtf(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
        std::string text = doc.plainText();
        for (size_t i = 0; i < text.size();) {
            unsigned char c = static_cast<unsigned char>(text[i]);
            size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
            ASSERT_NE(len, 0u) << entry.path() << " at " << i;
            ASSERT_LE(i + len, text.size()) << entry.path();
            for (size_t k = 1; k < len; ++k)
                ASSERT_EQ(static_cast<unsigned char>(text[i + k]) >> 6, 2u) << entry.path();
            i += len;
        }
        EXPECT_EQ(text.find("\\rtf"), std::string::npos) << entry.path();
        ++files;
    }
    EXPECT_GE(files, 10u);
}
