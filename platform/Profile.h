// Profile (INI) files with the semantics of the platform's profile functions: file names,
// sections and keys compare without regard to case; file order is kept; reads into fixed
// buffers truncate as those functions do; writes are locked and atomic like the registry's.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace plat {

struct IniSection {
    std::string name;
    std::vector<std::pair<std::string, std::string>> entries;  // key, value in file order

    bool operator==(const IniSection&) const = default;
};

// Parsed INI text; tolerant: lines that are neither "[section]" nor "key=value" are dropped
// when read (they never stop a read), comments (";") are kept out of the values.
class IniData {
public:
    static IniData parse(const std::string& text);
    std::string serialize() const;

    const IniSection* findSection(const std::string& name) const;
    std::optional<std::string> get(const std::string& section, const std::string& key) const;
    void set(const std::string& section, const std::string& key, const std::string& value);
    bool removeKey(const std::string& section, const std::string& key);
    bool removeSection(const std::string& section);
    std::vector<std::string> sectionNames() const;
    std::vector<std::string> keyNames(const std::string& section) const;

    const std::vector<IniSection>& sections() const { return m_sections; }
    bool operator==(const IniData&) const = default;

private:
    std::vector<IniSection> m_sections;
};

// What a GetPrivateProfileString call leaves behind: the characters placed in the buffer
// (for lists including their terminating NULs) and the count the function returns.
struct ProfileRead {
    std::string buffer;
    size_t result = 0;
};

// One profile file, named as the programs name it ("system.ini", "Zyloria.ini") in a folder.
// The name resolves without regard to case against the files already in the folder; a new
// file is created in lower case.
class ProfileFile {
public:
    ProfileFile(const std::string& folder, const std::string& fileName);
    // A full path whose last element is matched without regard to case.
    explicit ProfileFile(const std::string& path);

    // GetPrivateProfileString: value (or default) truncated to size-1 characters.
    // With an empty section: the section names; with an empty key: that section's key
    // names; both as NUL-separated lists ending in two NULs, truncated as the platform does.
    std::string getString(const std::string& section, const std::string& key,
                          const std::string& def, size_t bufferSize) const;
    // The same read, with the function's return value.
    ProfileRead read(const std::string& section, const std::string& key, const std::string& def,
                     size_t bufferSize) const;
    std::vector<std::string> sectionNames() const;
    std::vector<std::string> keyNames(const std::string& section) const;
    // GetPrivateProfileInt: leading decimal digits with an optional sign, else the default.
    int getInt(const std::string& section, const std::string& key, int def) const;

    // WritePrivateProfileString: a value writes (creating section and file); no value
    // deletes the key; no key deletes the section.
    bool writeString(const std::string& section, const std::optional<std::string>& key,
                     const std::optional<std::string>& value);

    std::string path() const;  // the resolved path
    const std::string& lastError() const { return m_lastError; }

private:
    IniData load() const;
    std::string lockPath() const;

    std::string m_folder;
    std::string m_name;
    mutable std::string m_lastError;
};

} // namespace plat
