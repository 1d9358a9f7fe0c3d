// Profile (INI) files: the tolerant INI parser and writer, and the profile functions' reads
// into fixed buffers and locked, atomic writes.
#include "platform/Profile.h"

#include "platform/LockedFile.h"
#include "platform/Text.h"

#include <algorithm>
#include <cstdint>
#include <dirent.h>
#include <string_view>

namespace plat {

namespace {

constexpr const char* kLockSuffix = ".lock";
constexpr size_t kIntBufferSize = 32;   // the buffer an integer read goes through
constexpr int kDecimalBase = 10;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string trim(const std::string& s)
{
    size_t b = 0, e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

// The list form of a read: names each followed by a NUL, the list by one more NUL. A list
// that does not fit is cut to size-2 characters and closed with two NULs.
ProfileRead listRead(const std::vector<std::string>& names, size_t bufferSize)
{
    ProfileRead out;
    if (bufferSize == 0)
        return out;
    std::string full;
    for (const auto& n : names) {
        full += n;
        full += '\0';
    }
    if (full.size() + 1 <= bufferSize) {
        out.buffer = full;
        out.buffer += '\0';
        if (full.empty() && bufferSize >= 2)
            out.buffer += '\0';
        out.result = full.size();
        return out;
    }
    if (bufferSize < 2) {
        out.buffer.assign(bufferSize, '\0');
        return out;
    }
    out.buffer = full.substr(0, bufferSize - 2);
    out.buffer.append(2, '\0');
    out.result = bufferSize - 2;
    return out;
}

} // namespace

// ---- IniData ----------------------------------------------------------------------------

IniData IniData::parse(const std::string& text)
{
    IniData data;
    const std::string body = withoutUtf8Bom(text);
    long current = -1;  // -1: before any section or under a nameless one; entries there drop
    size_t start = 0;
    while (start <= body.size()) {
        size_t end = body.find('\n', start);
        if (end == std::string::npos)
            end = body.size();
        const std::string line = trim(body.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == ';')
            continue;
        if (line[0] == '[') {
            const size_t close = line.rfind(']');
            if (close == std::string::npos || close == 0)
                continue;  // not a section line; the current section goes on
            const std::string name = trim(line.substr(1, close - 1));
            current = -1;
            if (name.empty())
                continue;
            for (size_t k = 0; k < data.m_sections.size(); ++k)
                if (sameTextNoCase(data.m_sections[k].name, name))
                    current = static_cast<long>(k);
            if (current < 0) {
                data.m_sections.push_back(IniSection{name, {}});
                current = static_cast<long>(data.m_sections.size()) - 1;
            }
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == std::string::npos || current < 0)
            continue;
        std::string key = trim(line.substr(0, eq));
        if (key.empty())
            continue;
        data.m_sections[static_cast<size_t>(current)].entries.emplace_back(std::move(key),
                                                                           trim(line.substr(eq + 1)));
    }
    return data;
}

std::string IniData::serialize() const
{
    std::string out;
    for (const auto& section : m_sections) {
        if (!out.empty())
            out += '\n';
        out += "[" + section.name + "]\n";
        for (const auto& [key, value] : section.entries)
            out += key + "=" + value + "\n";
    }
    return out;
}

const IniSection* IniData::findSection(const std::string& name) const
{
    const std::string n = trim(name);
    for (const auto& s : m_sections)
        if (sameTextNoCase(s.name, n))
            return &s;
    return nullptr;
}

std::optional<std::string> IniData::get(const std::string& section, const std::string& key) const
{
    const IniSection* s = findSection(section);
    if (!s)
        return std::nullopt;
    const std::string k = trim(key);
    for (const auto& [name, value] : s->entries)
        if (sameTextNoCase(name, k))
            return value;
    return std::nullopt;
}

void IniData::set(const std::string& section, const std::string& key, const std::string& value)
{
    const std::string sec = trim(section);
    const std::string k = trim(key);
    IniSection* target = nullptr;
    for (auto& s : m_sections)
        if (sameTextNoCase(s.name, sec))
            target = &s;
    if (!target) {
        m_sections.push_back(IniSection{sec, {}});
        target = &m_sections.back();
    }
    for (auto& entry : target->entries) {
        if (sameTextNoCase(entry.first, k)) {
            entry.second = value;
            return;
        }
    }
    target->entries.emplace_back(k, value);
}

bool IniData::removeKey(const std::string& section, const std::string& key)
{
    const std::string sec = trim(section);
    const std::string k = trim(key);
    for (auto& s : m_sections) {
        if (!sameTextNoCase(s.name, sec))
            continue;
        // Every copy goes, so that a deleted key cannot reappear from a later duplicate line.
        const size_t before = s.entries.size();
        std::erase_if(s.entries, [&](const auto& e) { return sameTextNoCase(e.first, k); });
        return s.entries.size() != before;
    }
    return false;
}

bool IniData::removeSection(const std::string& section)
{
    const std::string sec = trim(section);
    const size_t before = m_sections.size();
    std::erase_if(m_sections, [&](const IniSection& s) { return sameTextNoCase(s.name, sec); });
    return m_sections.size() != before;
}

std::vector<std::string> IniData::sectionNames() const
{
    std::vector<std::string> names;
    for (const auto& s : m_sections)
        names.push_back(s.name);
    return names;
}

std::vector<std::string> IniData::keyNames(const std::string& section) const
{
    std::vector<std::string> names;
    const IniSection* s = findSection(section);
    if (!s)
        return names;
    for (const auto& entry : s->entries) {
        const bool seen = std::any_of(names.begin(), names.end(),
                                      [&](const std::string& n) { return sameTextNoCase(n, entry.first); });
        if (!seen)
            names.push_back(entry.first);
    }
    return names;
}

// ---- ProfileFile ------------------------------------------------------------------------

ProfileFile::ProfileFile(const std::string& folder, const std::string& fileName)
    : ProfileFile(!fileName.empty() && fileName.front() == '/' ? fileName
                                                                 : (folder.empty() ? "." : folder) + "/" + fileName)
{
}

ProfileFile::ProfileFile(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        m_folder = ".";
        m_name = path;
    } else {
        m_folder = slash == 0 ? "/" : path.substr(0, slash);
        m_name = path.substr(slash + 1);
    }
}

std::string ProfileFile::path() const
{
    // An exact spelling wins; otherwise the first other spelling in name order, so every
    // process picks the same file; otherwise the lower-case name for a new file.
    std::vector<std::string> matches;
    if (DIR* dir = ::opendir(m_folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name == m_name) {
                matches.assign(1, name);
                break;
            }
            if (sameTextNoCase(name, m_name))
                matches.push_back(name);
        }
        ::closedir(dir);
    }
    const std::string sep = m_folder == "/" ? "" : "/";
    if (matches.empty())
        return m_folder + sep + asciiLowerText(m_name);
    std::sort(matches.begin(), matches.end());
    const auto exact = std::find(matches.begin(), matches.end(), m_name);
    return m_folder + sep + (exact != matches.end() ? *exact : matches.front());
}

std::string ProfileFile::lockPath() const
{
    // One lock for every spelling of the name.
    return m_folder + (m_folder == "/" ? "" : "/") + asciiLowerText(m_name) + kLockSuffix;
}

IniData ProfileFile::load() const
{
    std::string text;
    std::string why;
    switch (readWholeFile(path(), text, &why)) {
    case ReadStatus::Ok:
        return IniData::parse(text);
    case ReadStatus::Failed:
        m_lastError = why;
        return {};
    case ReadStatus::Missing:
        break;
    }
    return {};
}

ProfileRead ProfileFile::read(const std::string& section, const std::string& key, const std::string& def,
                              size_t bufferSize) const
{
    const IniData data = load();
    if (trim(section).empty())
        return listRead(data.sectionNames(), bufferSize);
    if (trim(key).empty())
        return listRead(data.keyNames(section), bufferSize);

    std::string text;
    if (const auto value = data.get(section, key)) {
        text = *value;
        if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
            text = text.substr(1, text.size() - 2);
    } else {
        // The platform cuts trailing blanks off the default.
        text = def;
        while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
            text.pop_back();
    }
    text = text.substr(0, text.find('\0'));
    ProfileRead out;
    if (bufferSize == 0)
        return out;
    out.buffer = text.substr(0, std::min(text.size(), bufferSize - 1));
    out.result = out.buffer.size();
    return out;
}

std::string ProfileFile::getString(const std::string& section, const std::string& key, const std::string& def,
                                   size_t bufferSize) const
{
    return read(section, key, def, bufferSize).buffer;
}

std::vector<std::string> ProfileFile::sectionNames() const
{
    return load().sectionNames();
}

std::vector<std::string> ProfileFile::keyNames(const std::string& section) const
{
    return load().keyNames(section);
}

int ProfileFile::getInt(const std::string& section, const std::string& key, int def) const
{
    if (trim(section).empty() || trim(key).empty())
        return def;
    const ProfileRead stored = read(section, key, "", kIntBufferSize);
    const std::string_view text = stored.buffer;
    size_t pos = 0;
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        pos = 1;
    }
    // The platform's conversion works in 32 bits and wraps around.
    uint32_t value = 0;
    size_t digits = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        value = value * kDecimalBase + static_cast<uint32_t>(text[pos++] - '0');
        ++digits;
    }
    if (digits == 0)
        return def;
    if (negative)
        value = 0u - value;
    return static_cast<int>(static_cast<int32_t>(value));
}

bool ProfileFile::writeString(const std::string& section, const std::optional<std::string>& key,
                              const std::optional<std::string>& value)
{
    m_lastError.clear();
    const std::string sec = trim(section);
    if (sec.empty()) {
        // All arguments absent only flushes the platform's cache; there is none here.
        if (!key && !value)
            return true;
        m_lastError = "a profile write needs a section name";
        return false;
    }
    // Texts that would break the file's line structure are refused: stored as given they
    // would cut a value short or smuggle in other sections and keys.
    const std::string k = key ? trim(*key) : std::string();
    if (hasLineBreak(sec) || (key && (k.empty() || hasLineBreak(k) || k.find('=') != std::string::npos ||
                                      k[0] == '[' || k[0] == ';')) ||
        (key && value && hasLineBreak(*value))) {
        m_lastError = "a section, key or value that cannot be stored in a profile file";
        return false;
    }

    std::string error;
    const bool ok = lockedUpdate(
        lockPath(), [this] { return path(); },
        [&](const std::optional<std::string>& current, const std::string&, std::string& next, std::string&) {
            IniData data = current ? IniData::parse(*current) : IniData();
            if (!key) {
                if (!data.removeSection(sec))
                    return UpdateOutcome::Keep;
            } else if (!value) {
                if (!data.removeKey(sec, k))
                    return UpdateOutcome::Keep;
            } else {
                data.set(sec, k, *value);
            }
            next = data.serialize();
            return UpdateOutcome::Write;
        },
        &error);
    if (!ok)
        m_lastError = error;
    return ok;
}

} // namespace plat
