// The registry store: one REGEDIT4 text file per hive, shared by several processes.
// Names of keys and values compare without regard to case and keep their first spelling.
// Every write is a locked read-modify-write with an atomic replace; readers take no lock.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace plat {

enum class Hive { CurrentUser, LocalMachine };

enum class RegType { String, Dword, Binary };

struct RegValue {
    std::string name;   // "" is the key's default value ("@" in the file)
    RegType type = RegType::String;
    std::string text;                // String
    uint32_t dword = 0;              // Dword
    std::vector<uint8_t> bytes;      // Binary

    bool operator==(const RegValue&) const = default;
};

struct RegKey {
    std::string path;                // "Software\Orvane\Zyloria\Config", without the hive
    std::vector<RegValue> values;    // file order

    bool operator==(const RegKey&) const = default;
};

// The parsed content of one hive. Pure data: parsing and writing are separate from files.
class HiveData {
public:
    // Parses REGEDIT4 text; nullopt (and a reason) when the text is not a hive.
    static std::optional<HiveData> parse(const std::string& text, const std::string& rootName,
                                         std::string* error = nullptr);
    std::string serialize(const std::string& rootName) const;

    const RegKey* findKey(const std::string& path) const;
    RegKey& ensureKey(const std::string& path);          // creates parents too
    bool deleteKey(const std::string& path);             // and every subkey
    const RegValue* findValue(const std::string& path, const std::string& name) const;
    void setValue(const std::string& path, RegValue value);
    bool deleteValue(const std::string& path, const std::string& name);
    std::vector<std::string> subkeyNames(const std::string& path) const;  // direct children, file order

    const std::vector<RegKey>& keys() const { return m_keys; }
    bool operator==(const HiveData&) const = default;

private:
    std::vector<RegKey> m_keys;
};

// One hive file. Reads parse the file afresh (a missing or unreadable file reads as empty).
// Writes lock NAME.lock, re-read, change, write a temporary file, fsync, rename, fsync the folder.
// A file that cannot be parsed is never overwritten: a write moves it aside to NAME.bad-N,
// reports it on standard error and through lastError(), and starts a fresh hive.
class RegistryFile {
public:
    RegistryFile(std::string path, std::string rootName);

    HiveData read() const;
    std::optional<RegValue> getValue(const std::string& key, const std::string& name) const;
    bool keyExists(const std::string& key) const;
    std::vector<std::string> subkeyNames(const std::string& key) const;

    bool setString(const std::string& key, const std::string& name, const std::string& text);
    bool setDword(const std::string& key, const std::string& name, uint32_t value);
    bool setBinary(const std::string& key, const std::string& name, const std::vector<uint8_t>& bytes);
    bool deleteValue(const std::string& key, const std::string& name);
    bool deleteKey(const std::string& key);
    // A general locked update: the function changes the data; false from it writes nothing.
    template <typename F> bool update(F&& change);

    const std::string& path() const { return m_path; }
    const std::string& lastError() const { return m_lastError; }

private:
    bool updateWith(bool (*fn)(HiveData&, void*), void* ctx);
    std::string m_path;
    std::string m_rootName;
    mutable std::string m_lastError;
};

template <typename F> bool RegistryFile::update(F&& change)
{
    return updateWith([](HiveData& d, void* c) -> bool { return (*static_cast<F*>(c))(d); }, &change);
}

// Both hives of the current Locations.
class Registry {
public:
    explicit Registry(const std::string& userHivePath, const std::string& machineHivePath);
    static Registry fromEnvironment();

    RegistryFile& hive(Hive h) { return h == Hive::CurrentUser ? m_user : m_machine; }
    const RegistryFile& hive(Hive h) const { return h == Hive::CurrentUser ? m_user : m_machine; }

    // The platform's "read one value as text": a string gives its text, a 4-byte binary or a
    // DWORD its number in decimal, anything else or a failure the empty text.
    std::string readString(Hive h, const std::string& key, const std::string& name) const;

private:
    RegistryFile m_user;
    RegistryFile m_machine;
};

} // namespace plat
