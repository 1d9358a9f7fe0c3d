// Text helpers shared by the profile and registry stores: ASCII case folding and comparison
// (names in both stores compare without case), line-break checks and the UTF-8 mark.
#pragma once

#include <string>

namespace plat {

constexpr const char* kUtf8Bom = "\xEF\xBB\xBF";
constexpr size_t kUtf8BomLength = 3;

// Only A-Z fold; other bytes, UTF-8 included, stay as they are.
inline char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string asciiLowerText(std::string s)
{
    for (char& c : s)
        c = asciiLower(c);
    return s;
}

// Equal but for the case of A-Z.
inline bool sameTextNoCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    return true;
}

inline bool startsWithNoCase(const std::string& text, const std::string& prefix)
{
    return text.size() >= prefix.size() && sameTextNoCase(text.substr(0, prefix.size()), prefix);
}

// A CR, LF or NUL: the text cannot stand on one line of a text file.
inline bool hasLineBreak(const std::string& s)
{
    return s.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

// The text without a leading UTF-8 byte order mark.
inline std::string withoutUtf8Bom(const std::string& text)
{
    return text.compare(0, kUtf8BomLength, kUtf8Bom) == 0 ? text.substr(kUtf8BomLength) : text;
}

} // namespace plat
