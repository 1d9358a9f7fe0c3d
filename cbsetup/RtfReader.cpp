// The rich-text reader: a single pass over the bytes with a stack of group states (no
// recursion, so deep nesting cannot exhaust the call stack).
#include "cbsetup/RtfReader.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace cbsetup {

namespace {

constexpr size_t kMaxDepth = 256;            // deeper groups share the deepest state
constexpr size_t kMaxWordLength = 32;
constexpr size_t kMaxParamDigits = 10;
constexpr int kDefaultHalfPoints = 24;
constexpr int kMinHalfPoints = 2;
constexpr int kMaxHalfPoints = 3276;
constexpr int kMaxUnicodeSkip = 16;
constexpr int kColorMax = 255;
constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kLineSeparator = 0x2028;

// Windows-1252 for 0x80..0x9F; the rest of the upper half is Latin-1.
constexpr std::array<char32_t, 32> kCp1252High = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

// Destinations whose content is not shown.
constexpr std::array<std::string_view, 34> kSkippedDestinations = {
    "fonttbl", "filetbl", "stylesheet", "listtable", "listoverridetable", "revtbl", "rsidtbl",
    "info", "pict", "object", "header", "headerl", "headerr", "headerf", "footer", "footerl",
    "footerr", "footerf", "footnote", "fldinst", "themedata", "colorschememapping", "datastore",
    "latentstyles", "generator", "xmlnstbl", "mmathPr", "pgdsctbl", "nonshppict", "shp",
    "bkmkstart", "bkmkend", "field-code", "annotation"};

enum class Dest { Text, Skip, ColorTable };

struct State {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int halfPoints = kDefaultHalfPoints;
    int colorIndex = -1;
    RtfAlign align = RtfAlign::Left;
    int unicodeSkip = 1;
    Dest dest = Dest::Text;
};

char32_t fromCp1252(unsigned char c)
{
    if (c >= 0x80 && c <= 0x9F)
        return kCp1252High[c - 0x80];
    return c;
}

void appendUtf8(std::string& out, char32_t cp)
{
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        cp = kReplacement;
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

class Reader {
public:
    explicit Reader(std::string_view in) : m_in(in) {}

    RtfDocument read();

private:
    State& state() { return m_stack.back(); }
    void openGroup();
    bool closeGroup();  // false when the document's own group has closed
    void controlWord(std::string_view word, bool hasParam, long param);
    void controlSymbol(char c);
    void textByte(unsigned char c);
    void emit(char32_t cp);
    void emitChar(char32_t cp);  // a character that a \u fallback may swallow
    void endParagraph();
    void finishColor();

    std::string_view m_in;
    size_t m_pos = 0;
    std::vector<State> m_stack;
    size_t m_overflow = 0;        // groups opened past kMaxDepth
    bool m_ignorableNext = false; // "\*" seen: an unknown destination is skipped
    int m_skip = 0;               // \u fallback characters still to drop
    char32_t m_highSurrogate = 0;
    RtfColor m_color;
    bool m_colorSet = false;
    RtfParagraph m_paragraph;
    RtfDocument m_doc;
};

void Reader::openGroup()
{
    m_skip = 0;
    if (m_stack.size() >= kMaxDepth) {
        ++m_overflow;
        return;
    }
    m_stack.push_back(m_stack.back());
}

bool Reader::closeGroup()
{
    m_skip = 0;
    m_ignorableNext = false;
    if (m_overflow > 0) {
        --m_overflow;
        return true;
    }
    if (m_stack.size() == 1)
        return false;  // the document's group: its state stays for the last paragraph
    m_stack.pop_back();
    return true;
}

void Reader::finishColor()
{
    if (m_colorSet)
        m_doc.colors.push_back(m_color);
    else
        m_doc.colors.push_back(std::nullopt);
    m_color = {};
    m_colorSet = false;
}

void Reader::endParagraph()
{
    m_paragraph.align = state().align;
    m_doc.paragraphs.push_back(std::move(m_paragraph));
    m_paragraph = {};
}

void Reader::emit(char32_t cp)
{
    if (state().dest != Dest::Text)
        return;
    if (m_highSurrogate) {
        char32_t high = m_highSurrogate;
        m_highSurrogate = 0;
        if (cp >= 0xDC00 && cp <= 0xDFFF)
            cp = 0x10000 + ((high - 0xD800) << 10) + (cp - 0xDC00);
        else
            emit(kReplacement);
    }
    if (cp >= 0xD800 && cp <= 0xDBFF) {
        m_highSurrogate = cp;
        return;
    }
    const State& s = state();
    std::optional<RtfColor> color;
    if (s.colorIndex >= 0 && static_cast<size_t>(s.colorIndex) < m_doc.colors.size())
        color = m_doc.colors[s.colorIndex];
    std::vector<RtfRun>& runs = m_paragraph.runs;
    if (runs.empty() || runs.back().bold != s.bold || runs.back().italic != s.italic ||
        runs.back().underline != s.underline || runs.back().halfPoints != s.halfPoints ||
        runs.back().color != color) {
        RtfRun run;
        run.bold = s.bold;
        run.italic = s.italic;
        run.underline = s.underline;
        run.halfPoints = s.halfPoints;
        run.color = color;
        runs.push_back(std::move(run));
    }
    appendUtf8(runs.back().text, cp);
}

void Reader::emitChar(char32_t cp)
{
    if (m_skip > 0) {
        --m_skip;
        return;
    }
    emit(cp);
}

void Reader::textByte(unsigned char c)
{
    if (state().dest == Dest::ColorTable) {
        if (c == ';')
            finishColor();
        return;
    }
    emitChar(fromCp1252(c));
}

void Reader::controlSymbol(char c)
{
    switch (c) {
    case '\\':
    case '{':
    case '}':
        emitChar(static_cast<unsigned char>(c));
        break;
    case '~':
        emitChar(0x00A0);
        break;
    case '_':
        emitChar(0x2011);
        break;
    case '*':
        m_ignorableNext = true;
        return;
    case '\n':
    case '\r':
        if (state().dest == Dest::Text)
            endParagraph();
        break;
    case '\'': {
        int hi = m_pos < m_in.size() ? hexValue(m_in[m_pos]) : -1;
        int lo = m_pos + 1 < m_in.size() ? hexValue(m_in[m_pos + 1]) : -1;
        if (hi < 0 || lo < 0)
            break;  // a broken escape shows nothing
        m_pos += 2;
        if (state().dest == Dest::ColorTable)
            break;
        emitChar(fromCp1252(static_cast<unsigned char>(hi * 16 + lo)));
        break;
    }
    default:
        break;  // "\-" (optional hyphen) and unknown symbols show nothing
    }
    m_ignorableNext = false;
}

void Reader::controlWord(std::string_view word, bool hasParam, long param)
{
    const bool ignorable = m_ignorableNext;
    m_ignorableNext = false;
    State& s = state();

    if (word == "bin") {
        // Binary data follows: skipped whatever destination holds it.
        size_t n = hasParam && param > 0 ? static_cast<size_t>(param) : 0;
        m_pos += std::min(n, m_in.size() - m_pos);
        return;
    }
    if (s.dest == Dest::Skip)
        return;
    if (word == "colortbl") {
        s.dest = Dest::ColorTable;
        m_color = {};
        m_colorSet = false;
        return;
    }
    if (std::find(kSkippedDestinations.begin(), kSkippedDestinations.end(), word) != kSkippedDestinations.end()) {
        s.dest = Dest::Skip;
        return;
    }
    if (s.dest == Dest::ColorTable) {
        int v = static_cast<int>(std::clamp<long>(hasParam ? param : 0, 0, kColorMax));
        if (word == "red") {
            m_color.red = static_cast<std::uint8_t>(v);
            m_colorSet = true;
        } else if (word == "green") {
            m_color.green = static_cast<std::uint8_t>(v);
            m_colorSet = true;
        } else if (word == "blue") {
            m_color.blue = static_cast<std::uint8_t>(v);
            m_colorSet = true;
        }
        return;
    }
    if (ignorable) {
        // "\*\word" that is not known here: the whole group is an optional destination.
        s.dest = Dest::Skip;
        return;
    }

    const bool on = !hasParam || param != 0;
    if (word == "b")
        s.bold = on;
    else if (word == "i")
        s.italic = on;
    else if (word == "ul" || word == "uld" || word == "uldb" || word == "ulw" || word == "ulth" ||
             word == "uldash" || word == "ulwave")
        s.underline = on;
    else if (word == "ulnone")
        s.underline = false;
    else if (word == "fs")
        s.halfPoints = hasParam && param > 0
                           ? static_cast<int>(std::clamp<long>(param, kMinHalfPoints, kMaxHalfPoints))
                           : kDefaultHalfPoints;
    else if (word == "cf")
        s.colorIndex = hasParam ? static_cast<int>(std::clamp<long>(param, 0, 65535)) : 0;
    else if (word == "plain") {
        s.bold = s.italic = s.underline = false;
        s.halfPoints = kDefaultHalfPoints;
        s.colorIndex = -1;
    } else if (word == "pard")
        s.align = RtfAlign::Left;
    else if (word == "ql")
        s.align = RtfAlign::Left;
    else if (word == "qc")
        s.align = RtfAlign::Center;
    else if (word == "qr")
        s.align = RtfAlign::Right;
    else if (word == "qj")
        s.align = RtfAlign::Justify;
    else if (word == "par" || word == "page")
        endParagraph();
    else if (word == "line")
        emit(kLineSeparator);
    else if (word == "tab")
        emit('\t');
    else if (word == "emdash")
        emit(0x2014);
    else if (word == "endash")
        emit(0x2013);
    else if (word == "bullet")
        emit(0x2022);
    else if (word == "lquote")
        emit(0x2018);
    else if (word == "rquote")
        emit(0x2019);
    else if (word == "ldblquote")
        emit(0x201C);
    else if (word == "rdblquote")
        emit(0x201D);
    else if (word == "emspace" || word == "enspace" || word == "qmspace")
        emit(' ');
    else if (word == "uc")
        s.unicodeSkip = static_cast<int>(std::clamp<long>(hasParam ? param : 1, 0, kMaxUnicodeSkip));
    else if (word == "u" && hasParam) {
        long v = param;
        if (v < 0)
            v += 65536;
        emit(v >= 0 && v <= 0xFFFF ? static_cast<char32_t>(v) : kReplacement);
        m_skip = s.unicodeSkip;
    }
    // Every other control word is skipped.
}

RtfDocument Reader::read()
{
    size_t start = m_in.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos || m_in.substr(start, 5) != "{\\rtf")
        return m_doc;
    m_doc.isRtf = true;
    m_pos = start + 1;
    m_stack.push_back(State{});

    while (m_pos < m_in.size()) {
        char c = m_in[m_pos++];
        if (c == '{') {
            openGroup();
        } else if (c == '}') {
            if (!closeGroup())
                break;  // the document's group is closed; what follows is not read
        } else if (c == '\\') {
            if (m_pos >= m_in.size())
                break;
            char n = m_in[m_pos];
            if (!isLetter(n)) {
                ++m_pos;
                controlSymbol(n);
                continue;
            }
            size_t wordStart = m_pos;
            while (m_pos < m_in.size() && isLetter(m_in[m_pos]))
                ++m_pos;
            std::string_view word = m_in.substr(wordStart, std::min(m_pos - wordStart, kMaxWordLength));
            bool negative = false;
            if (m_pos + 1 < m_in.size() && m_in[m_pos] == '-' && isDigit(m_in[m_pos + 1])) {
                negative = true;
                ++m_pos;
            }
            bool hasParam = false;
            long param = 0;
            size_t digits = 0;
            while (m_pos < m_in.size() && isDigit(m_in[m_pos])) {
                if (digits++ < kMaxParamDigits)
                    param = param * 10 + (m_in[m_pos] - '0');
                hasParam = true;
                ++m_pos;
            }
            if (negative)
                param = -param;
            if (m_pos < m_in.size() && m_in[m_pos] == ' ')
                ++m_pos;  // the delimiter belongs to the control word
            controlWord(word, hasParam, param);
        } else if (c == '\r' || c == '\n') {
            // Line ends in the source are not text.
        } else if (c == '\t') {
            emitChar('\t');
        } else {
            textByte(static_cast<unsigned char>(c));
        }
    }
    if (m_highSurrogate) {
        m_highSurrogate = 0;
        emit(kReplacement);
    }
    if (!m_paragraph.runs.empty())
        endParagraph();
    return m_doc;
}

} // namespace

std::string RtfParagraph::text() const
{
    std::string out;
    for (const RtfRun& r : runs)
        out += r.text;
    return out;
}

std::string RtfDocument::plainText() const
{
    std::string out;
    for (size_t i = 0; i < paragraphs.size(); ++i) {
        if (i)
            out += '\n';
        out += paragraphs[i].text();
    }
    return out;
}

RtfDocument readRtf(std::string_view bytes)
{
    return Reader(bytes).read();
}

} // namespace cbsetup
