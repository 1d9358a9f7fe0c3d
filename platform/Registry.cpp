// The registry store: REGEDIT4 text hives, their parser and writer, and the shared hive files.
#include "platform/Registry.h"

#include "platform/Locations.h"
#include "platform/LockedFile.h"
#include "platform/Text.h"

#include <cstdio>

namespace plat {

namespace {

constexpr const char* kHeader = "REGEDIT4";
constexpr const char* kUserRoot = "HKEY_CURRENT_USER";
constexpr const char* kMachineRoot = "HKEY_LOCAL_MACHINE";
constexpr size_t kMaxDwordDigits = 8;
constexpr size_t kMaxHexLine = 76;          // where regedit wraps long hex data
constexpr const char* kHexIndent = "  ";
constexpr unsigned kTypeString = 1;
constexpr unsigned kTypeBinary = 3;
constexpr unsigned kTypeDword = 4;
constexpr size_t kDwordBytes = 4;
constexpr size_t kReadBufferBytes = 1024;   // the platform read's buffer, terminator included

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string trim(const std::string& s)
{
    size_t b = 0, e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

// The components of a key path; empty components (doubled or outer backslashes) vanish.
std::vector<std::string> splitPath(const std::string& path)
{
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (c == '\\') {
            if (!part.empty())
                parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty())
        parts.push_back(part);
    return parts;
}

std::string joinPath(const std::vector<std::string>& parts)
{
    std::string out;
    for (const auto& p : parts) {
        if (!out.empty())
            out += '\\';
        out += p;
    }
    return out;
}

std::string normalPath(const std::string& path) { return joinPath(splitPath(path)); }

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = asciiLower(c);
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string hexByte(uint8_t b)
{
    constexpr const char* kDigits = "0123456789abcdef";
    return {kDigits[b >> 4], kDigits[b & 0xf]};
}

std::string quote(const std::string& s)
{
    std::string out = "\"";
    for (char c : s) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out + '"';
}

std::string hexData(const std::string& prefix, const std::vector<uint8_t>& bytes)
{
    std::string out = prefix;
    size_t lineLength = out.size();
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::string token = hexByte(bytes[i]);
        if (i + 1 < bytes.size())
            token += ',';
        if (i > 0 && lineLength + token.size() > kMaxHexLine) {
            out += "\\\n";
            out += kHexIndent;
            lineLength = std::string(kHexIndent).size();
        }
        out += token;
        lineLength += token.size();
    }
    return out;
}

std::string valueLine(const RegValue& v)
{
    std::string line = v.name.empty() ? "@=" : quote(v.name) + "=";
    switch (v.type) {
    case RegType::String:
        if (hasLineBreak(v.text)) {  // cannot stand on one quoted line: typed hex bytes
            std::vector<uint8_t> bytes(v.text.begin(), v.text.end());
            bytes.push_back(0);
            return hexData(line + "hex(1):", bytes);
        }
        return line + quote(v.text);
    case RegType::Dword: {
        char buf[16];
        std::snprintf(buf, sizeof buf, "dword:%08x", static_cast<unsigned>(v.dword));
        return line + buf;
    }
    case RegType::Binary:
        return hexData(line + "hex:", v.bytes);
    }
    return line;
}

// A value of that name and type; the caller fills in the data of the type.
RegValue namedValue(const std::string& name, RegType type)
{
    RegValue v;
    v.name = name;
    v.type = type;
    return v;
}

// Sets one value under a locked update of the file.
bool storeValue(RegistryFile& file, const std::string& key, RegValue value)
{
    return file.update([&](HiveData& d) {
        d.setValue(key, std::move(value));
        return true;
    });
}

// Only the fields of the value's type carry data, so equal values compare equal.
RegValue canonical(RegValue v)
{
    if (v.type != RegType::String)
        v.text.clear();
    if (v.type != RegType::Dword)
        v.dword = 0;
    if (v.type != RegType::Binary)
        v.bytes.clear();
    return v;
}

// Reads a quoted text at s[pos] (which is '"'); pos ends after the closing quote.
bool readQuoted(const std::string& s, size_t& pos, std::string& out, std::string& why)
{
    out.clear();
    ++pos;
    while (pos < s.size()) {
        const char c = s[pos++];
        if (c == '"')
            return true;
        if (c == '\\') {
            if (pos >= s.size())
                break;
            const char e = s[pos++];
            if (e != '\\' && e != '"') {
                why = std::string("unknown escape \\") + e;
                return false;
            }
            out += e;
        } else {
            out += c;
        }
    }
    why = "missing closing quote";
    return false;
}

bool parseHexBytes(const std::string& data, std::vector<uint8_t>& bytes, std::string& why)
{
    bytes.clear();
    if (trim(data).empty())
        return true;
    size_t start = 0;
    for (;;) {
        const size_t comma = data.find(',', start);
        const std::string piece = trim(data.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (piece.empty() || piece.size() > 2) {
            why = "bad hex byte \"" + piece + "\"";
            return false;
        }
        int value = 0;
        for (char c : piece) {
            const int d = hexDigit(c);
            if (d < 0) {
                why = "bad hex byte \"" + piece + "\"";
                return false;
            }
            value = value * 16 + d;
        }
        bytes.push_back(static_cast<uint8_t>(value));
        if (comma == std::string::npos)
            return true;
        start = comma + 1;
    }
}

struct Lines {
    std::vector<std::string> lines;
    explicit Lines(const std::string& text)
    {
        const std::string body = withoutUtf8Bom(text);
        size_t start = 0;
        while (start <= body.size()) {
            size_t end = body.find('\n', start);
            if (end == std::string::npos)
                end = body.size();
            std::string line = body.substr(start, end - start);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            lines.push_back(std::move(line));
            start = end + 1;
        }
    }
};

} // namespace

// ---- HiveData ---------------------------------------------------------------------------

std::optional<HiveData> HiveData::parse(const std::string& text, const std::string& rootName,
                                        std::string* error)
{
    const Lines input(text);
    const auto& lines = input.lines;
    HiveData data;
    size_t i = 0;
    auto fail = [&](size_t lineIndex, const std::string& why) -> std::optional<HiveData> {
        if (error)
            *error = "line " + std::to_string(lineIndex + 1) + ": " + why;
        return std::nullopt;
    };

    while (i < lines.size() && trim(lines[i]).empty())
        ++i;
    if (i == lines.size())
        return data;  // an empty file is an empty hive
    if (trim(lines[i]) != kHeader)
        return fail(i, std::string("not a ") + kHeader + " file");
    ++i;

    long current = -1;
    for (; i < lines.size(); ++i) {
        const size_t lineNo = i;
        std::string line = trim(lines[i]);
        if (line.empty() || line[0] == ';')
            continue;
        if (line[0] == '[') {
            if (line.size() < 2 || line.back() != ']')
                return fail(lineNo, "key line without closing ']'");
            const std::string inner = line.substr(1, line.size() - 2);
            if (!inner.empty() && inner[0] == '-')
                return fail(lineNo, "deleting keys is not supported");
            std::string rest;
            if (sameTextNoCase(inner, rootName))
                rest.clear();
            else if (startsWithNoCase(inner, rootName + "\\"))
                rest = inner.substr(rootName.size() + 1);
            else
                return fail(lineNo, "key outside " + rootName);
            // Empty components would not survive a rewrite: refuse them.
            if (!rest.empty() && (rest.front() == '\\' || rest.back() == '\\' ||
                                  rest.find("\\\\") != std::string::npos))
                return fail(lineNo, "empty key name in path");
            RegKey& key = data.ensureKey(rest);
            current = &key - data.m_keys.data();
            continue;
        }
        if (current < 0)
            return fail(lineNo, "value outside a key");

        RegValue value;
        size_t pos = 0;
        std::string why;
        if (line[0] == '@') {
            pos = 1;
        } else if (line[0] == '"') {
            if (!readQuoted(line, pos, value.name, why))
                return fail(lineNo, "value name: " + why);
        } else {
            return fail(lineNo, "expected a key, a value or a comment");
        }
        while (pos < line.size() && isBlank(line[pos]))
            ++pos;
        if (pos >= line.size() || line[pos] != '=')
            return fail(lineNo, "expected '=' after the value name");
        ++pos;
        while (pos < line.size() && isBlank(line[pos]))
            ++pos;
        const std::string rest = line.substr(pos);

        if (!rest.empty() && rest[0] == '"') {
            size_t q = 0;
            if (!readQuoted(rest, q, value.text, why))
                return fail(lineNo, "value: " + why);
            if (!trim(rest.substr(q)).empty())
                return fail(lineNo, "text after the closing quote");
            value.type = RegType::String;
        } else if (startsWithNoCase(rest, "dword:")) {
            const std::string digits = trim(rest.substr(6));
            if (digits.empty() || digits.size() > kMaxDwordDigits)
                return fail(lineNo, "dword needs 1 to 8 hex digits");
            uint32_t n = 0;
            for (char c : digits) {
                const int d = hexDigit(c);
                if (d < 0)
                    return fail(lineNo, "bad hex digit in dword");
                n = n * 16 + static_cast<uint32_t>(d);
            }
            value.type = RegType::Dword;
            value.dword = n;
        } else if (startsWithNoCase(rest, "hex")) {
            size_t p = 3;
            unsigned type = kTypeBinary;
            if (p < rest.size() && rest[p] == '(') {
                const size_t close = rest.find(')', p);
                if (close == std::string::npos || close == p + 1 || close - p - 1 > kMaxDwordDigits)
                    return fail(lineNo, "bad hex type");
                type = 0;
                for (size_t k = p + 1; k < close; ++k) {
                    const int d = hexDigit(rest[k]);
                    if (d < 0)
                        return fail(lineNo, "bad hex type");
                    type = type * 16 + static_cast<unsigned>(d);
                }
                p = close + 1;
            }
            if (p >= rest.size() || rest[p] != ':')
                return fail(lineNo, "expected ':' after hex");
            std::string bytesText = rest.substr(p + 1);
            // regedit wraps long data: a trailing backslash continues on the next line.
            while (!bytesText.empty() && bytesText.back() == '\\') {
                bytesText.pop_back();
                if (i + 1 >= lines.size())
                    return fail(i, "continuation at the end of the file");
                ++i;
                bytesText += trim(lines[i]);
            }
            std::vector<uint8_t> bytes;
            if (!parseHexBytes(bytesText, bytes, why))
                return fail(lineNo, why);
            if (type == kTypeBinary) {
                value.type = RegType::Binary;
                value.bytes = std::move(bytes);
            } else if (type == kTypeString) {
                if (!bytes.empty() && bytes.back() == 0)
                    bytes.pop_back();
                value.type = RegType::String;
                value.text.assign(bytes.begin(), bytes.end());
            } else if (type == kTypeDword) {
                if (bytes.size() != kDwordBytes)
                    return fail(lineNo, "hex(4) needs exactly 4 bytes");
                value.type = RegType::Dword;
                value.dword = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                              static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
            } else {
                return fail(lineNo, "unsupported value type hex(" + std::to_string(type) + ")");
            }
        } else {
            return fail(lineNo, "expected a quoted text, dword: or hex: data");
        }
        data.setValue(data.m_keys[static_cast<size_t>(current)].path, std::move(value));
    }
    return data;
}

std::string HiveData::serialize(const std::string& rootName) const
{
    std::string out = std::string(kHeader) + "\n";
    for (const auto& key : m_keys) {
        out += "\n[" + rootName + (key.path.empty() ? "" : "\\" + key.path) + "]\n";
        for (const auto& v : key.values)
            out += valueLine(v) + "\n";
    }
    out += "\n";
    return out;
}

const RegKey* HiveData::findKey(const std::string& path) const
{
    const std::string p = normalPath(path);
    for (const auto& key : m_keys)
        if (sameTextNoCase(key.path, p))
            return &key;
    return nullptr;
}

RegKey& HiveData::ensureKey(const std::string& path)
{
    const std::vector<std::string> parts = splitPath(path);
    auto indexOf = [this](const std::string& p) -> long {
        for (size_t k = 0; k < m_keys.size(); ++k)
            if (sameTextNoCase(m_keys[k].path, p))
                return static_cast<long>(k);
        return -1;
    };
    if (parts.empty()) {
        long idx = indexOf("");
        if (idx < 0) {
            m_keys.push_back(RegKey{});
            idx = static_cast<long>(m_keys.size()) - 1;
        }
        return m_keys[static_cast<size_t>(idx)];
    }
    // Each level keeps the spelling it was created with; new levels append in order.
    std::string prefix;
    long idx = -1;
    for (const auto& part : parts) {
        const std::string candidate = prefix.empty() ? part : prefix + "\\" + part;
        idx = indexOf(candidate);
        if (idx < 0) {
            m_keys.push_back(RegKey{candidate, {}});
            idx = static_cast<long>(m_keys.size()) - 1;
        }
        prefix = m_keys[static_cast<size_t>(idx)].path;
    }
    return m_keys[static_cast<size_t>(idx)];
}

bool HiveData::deleteKey(const std::string& path)
{
    const std::string p = normalPath(path);
    const size_t before = m_keys.size();
    std::erase_if(m_keys, [&](const RegKey& key) {
        return p.empty() || sameTextNoCase(key.path, p) || startsWithNoCase(key.path, p + "\\");
    });
    return m_keys.size() != before;
}

const RegValue* HiveData::findValue(const std::string& path, const std::string& name) const
{
    const RegKey* key = findKey(path);
    if (!key)
        return nullptr;
    for (const auto& v : key->values)
        if (sameTextNoCase(v.name, name))
            return &v;
    return nullptr;
}

void HiveData::setValue(const std::string& path, RegValue value)
{
    RegKey& key = ensureKey(path);
    value = canonical(std::move(value));
    for (auto& v : key.values) {
        if (sameTextNoCase(v.name, value.name)) {
            value.name = v.name;  // the first spelling stays
            v = std::move(value);
            return;
        }
    }
    key.values.push_back(std::move(value));
}

bool HiveData::deleteValue(const std::string& path, const std::string& name)
{
    const std::string p = normalPath(path);
    for (auto& key : m_keys) {
        if (!sameTextNoCase(key.path, p))
            continue;
        const size_t before = key.values.size();
        std::erase_if(key.values, [&](const RegValue& v) { return sameTextNoCase(v.name, name); });
        return key.values.size() != before;
    }
    return false;
}

std::vector<std::string> HiveData::subkeyNames(const std::string& path) const
{
    const std::string p = normalPath(path);
    std::vector<std::string> names;
    for (const auto& key : m_keys) {
        std::string rest;
        if (p.empty()) {
            rest = key.path;
        } else if (startsWithNoCase(key.path, p + "\\")) {
            rest = key.path.substr(p.size() + 1);
        } else {
            continue;
        }
        if (!rest.empty() && rest.find('\\') == std::string::npos)
            names.push_back(rest);
    }
    return names;
}

// ---- RegistryFile -----------------------------------------------------------------------

RegistryFile::RegistryFile(std::string path, std::string rootName)
    : m_path(std::move(path)), m_rootName(std::move(rootName))
{
}

HiveData RegistryFile::read() const
{
    std::string text;
    std::string why;
    switch (readWholeFile(m_path, text, &why)) {
    case ReadStatus::Missing:
        return {};
    case ReadStatus::Failed:
        m_lastError = why;
        return {};
    case ReadStatus::Ok:
        break;
    }
    auto data = HiveData::parse(text, m_rootName, &why);
    if (!data) {
        m_lastError = m_path + ": " + why;
        return {};
    }
    return std::move(*data);
}

std::optional<RegValue> RegistryFile::getValue(const std::string& key, const std::string& name) const
{
    const HiveData data = read();
    if (const RegValue* v = data.findValue(key, name))
        return *v;
    return std::nullopt;
}

bool RegistryFile::keyExists(const std::string& key) const
{
    return normalPath(key).empty() || read().findKey(key) != nullptr;
}

std::vector<std::string> RegistryFile::subkeyNames(const std::string& key) const
{
    return read().subkeyNames(key);
}

bool RegistryFile::setString(const std::string& key, const std::string& name, const std::string& text)
{
    RegValue v = namedValue(name, RegType::String);
    v.text = text;
    return storeValue(*this, key, std::move(v));
}

bool RegistryFile::setDword(const std::string& key, const std::string& name, uint32_t value)
{
    RegValue v = namedValue(name, RegType::Dword);
    v.dword = value;
    return storeValue(*this, key, std::move(v));
}

bool RegistryFile::setBinary(const std::string& key, const std::string& name, const std::vector<uint8_t>& bytes)
{
    RegValue v = namedValue(name, RegType::Binary);
    v.bytes = bytes;
    return storeValue(*this, key, std::move(v));
}

bool RegistryFile::deleteValue(const std::string& key, const std::string& name)
{
    return update([&](HiveData& d) { return d.deleteValue(key, name); });
}

bool RegistryFile::deleteKey(const std::string& key)
{
    return update([&](HiveData& d) { return d.deleteKey(key); });
}

bool RegistryFile::updateWith(bool (*fn)(HiveData&, void*), void* ctx)
{
    m_lastError.clear();
    bool changed = false;
    std::string parseError;
    std::string aside;
    std::string error;
    const bool ok = lockedUpdate(
        m_path,
        [&](const std::optional<std::string>& current, const std::string& target, std::string& next,
            std::string& why) {
            HiveData data;
            bool unreadable = false;
            if (current) {
                if (auto parsed = HiveData::parse(*current, m_rootName, &parseError))
                    data = std::move(*parsed);
                else
                    unreadable = true;
            }
            changed = fn(data, ctx);
            if (!changed)
                return UpdateOutcome::Keep;
            next = data.serialize(m_rootName);
            // Never write what could not be read back (a name with a line break, say).
            const auto again = HiveData::parse(next, m_rootName);
            if (!again || !(*again == data)) {
                why = "the change cannot be stored in " + m_path + " (line break in a key or value name?)";
                changed = false;
                return UpdateOutcome::Fail;
            }
            if (unreadable) {
                aside = moveAside(target, &why);
                if (aside.empty())
                    return UpdateOutcome::Fail;
            }
            return UpdateOutcome::Write;
        },
        &error);
    if (!aside.empty()) {
        m_lastError = m_path + " could not be read (" + parseError + "); kept as " + aside +
                      " and a fresh hive started";
        std::fprintf(stderr, "orvane: %s\n", m_lastError.c_str());
    }
    if (!ok) {
        m_lastError = m_lastError.empty() ? error : m_lastError + "; " + error;
        return false;
    }
    return changed;
}

// ---- Registry ---------------------------------------------------------------------------

Registry::Registry(const std::string& userHivePath, const std::string& machineHivePath)
    : m_user(userHivePath, kUserRoot), m_machine(machineHivePath, kMachineRoot)
{
}

Registry Registry::fromEnvironment()
{
    const Locations loc = Locations::fromEnvironment();
    return Registry(loc.userHive, loc.machineHive);
}

std::string Registry::readString(Hive h, const std::string& key, const std::string& name) const
{
    const std::optional<RegValue> v = hive(h).getValue(key, name);
    if (!v)
        return {};
    switch (v->type) {
    case RegType::String: {
        // The text stops at its first NUL; a text that does not fit the buffer is a failure.
        const std::string text = v->text.substr(0, v->text.find('\0'));
        return v->text.size() + 1 > kReadBufferBytes ? std::string() : text;
    }
    case RegType::Dword:
        return std::to_string(v->dword);
    case RegType::Binary:
        if (v->bytes.size() != kDwordBytes)
            return {};
        return std::to_string(static_cast<uint32_t>(v->bytes[0]) | static_cast<uint32_t>(v->bytes[1]) << 8 |
                              static_cast<uint32_t>(v->bytes[2]) << 16 |
                              static_cast<uint32_t>(v->bytes[3]) << 24);
    }
    return {};
}

} // namespace plat
