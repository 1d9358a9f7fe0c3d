// The screensaver host's points: the current saver in system.ini, the password switch and
// the password hash in the user's desktop key, and the idle starter's switch and wait.
#include "host/Host.h"

#include "platform/Profile.h"

#include <crypt.h>

#include <climits>
#include <cstring>
#include <memory>
#include <optional>

namespace host {

namespace {

constexpr size_t kSaverPathBuffer = 4096;      // room for any path the file may hold
constexpr int kDefaultTimeoutSeconds = 600;
constexpr const char* kNewHashPrefix = "$y$";  // yescrypt for new passwords

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// The number at the start of a text as the platform's text-to-number reads it: optional
// blanks, an optional sign, then digits; whatever follows is ignored. Only whether it is
// zero matters to the callers, so large numbers saturate.
long long leadingNumber(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && isSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value < LLONG_MAX / 10)
            value = value * 10 + (text[i] - '0');
    }
    return negative ? -value : value;
}

// A whole text that is one decimal number in the range of int (blanks around it allowed).
std::optional<int> wholeNumber(const std::string& text)
{
    size_t i = 0, end = text.size();
    while (i < end && isSpace(text[i]))
        ++i;
    while (end > i && isSpace(text[end - 1]))
        --end;
    bool negative = false;
    if (i < end && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == end)
        return std::nullopt;
    long long value = 0;
    for (; i < end; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX)
            return std::nullopt;
    }
    return int(negative ? -value : value);
}

// Compares two texts in a time that does not depend on where they differ.
bool sameText(const char* a, const std::string& b)
{
    size_t la = std::strlen(a);
    if (la != b.size())
        return false;
    unsigned char diff = 0;
    for (size_t i = 0; i < la; ++i)
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

// crypt(3) of a password against a setting; nullopt when the setting is not a hash the
// library understands.
std::optional<std::string> hashWith(const std::string& password, const std::string& setting)
{
    auto data = std::make_unique<crypt_data>();
    std::memset(data.get(), 0, sizeof(crypt_data));
    const char* out = crypt_rn(password.c_str(), setting.c_str(), data.get(), int(sizeof(crypt_data)));
    std::optional<std::string> result;
    if (out && out[0] != '*' && out[0] != '\0')
        result = std::string(out);
    std::memset(data.get(), 0, sizeof(crypt_data));  // no copy of the password stays behind
    return result;
}

} // namespace

Host::Host(plat::Registry& registry, plat::Locations locations)
    : m_registry(registry), m_locations(std::move(locations))
{
}

std::string Host::currentSaver() const
{
    plat::ProfileFile profile(m_locations.windowsFolder, kSystemProfile);
    return profile.getString(kBootSection, kCurrentSaverKey, "", kSaverPathBuffer);
}

bool Host::setCurrentSaver(const std::string& path)
{
    if (!plat::makeFolders(m_locations.windowsFolder))
        return false;
    plat::ProfileFile profile(m_locations.windowsFolder, kSystemProfile);
    return profile.writeString(kBootSection, std::string(kCurrentSaverKey), path);
}

bool Host::usePassword() const
{
    std::string text = m_registry.readString(plat::Hive::CurrentUser, kDesktopKey, kUsePasswordValue);
    return !text.empty() && leadingNumber(text) != 0;
}

bool Host::passwordSet() const
{
    return !m_registry.readString(plat::Hive::CurrentUser, kDesktopKey, kPasswordHashValue).empty();
}

bool Host::checkPassword(const std::string& typed) const
{
    const std::string stored = m_registry.readString(plat::Hive::CurrentUser, kDesktopKey, kPasswordHashValue);
    if (stored.empty())
        return true;
    // A password never holds a NUL: the hash would only see the part before it.
    if (typed.find('\0') != std::string::npos)
        return false;
    std::optional<std::string> hashed = hashWith(typed, stored);
    if (!hashed)
        return false;  // a stored hash nobody can verify lets nobody in
    return sameText(hashed->c_str(), stored);
}

bool Host::setPassword(const std::string& newPassword)
{
    if (newPassword.find('\0') != std::string::npos)
        return false;
    char setting[CRYPT_GENSALT_OUTPUT_SIZE];
    if (!crypt_gensalt_rn(kNewHashPrefix, 0, nullptr, 0, setting, int(sizeof setting)))
        return false;
    std::optional<std::string> hashed = hashWith(newPassword, setting);
    if (!hashed)
        return false;
    return m_registry.hive(plat::Hive::CurrentUser).setString(kDesktopKey, kPasswordHashValue, *hashed);
}

bool Host::clearPassword()
{
    m_registry.hive(plat::Hive::CurrentUser).deleteValue(kDesktopKey, kPasswordHashValue);
    return !passwordSet();
}

bool Host::saverActive() const
{
    std::string text = m_registry.readString(plat::Hive::CurrentUser, kDesktopKey, kActiveValue);
    if (text.empty())
        return true;  // the idle start is on until someone switches it off
    return leadingNumber(text) != 0;
}

bool Host::setSaverActive(bool active)
{
    return m_registry.hive(plat::Hive::CurrentUser).setString(kDesktopKey, kActiveValue, active ? "1" : "0");
}

int Host::idleTimeoutSeconds() const
{
    std::string text = m_registry.readString(plat::Hive::CurrentUser, kDesktopKey, kTimeoutValue);
    std::optional<int> seconds = wholeNumber(text);
    if (!seconds || *seconds <= 0)
        return kDefaultTimeoutSeconds;
    return *seconds;
}

bool Host::setIdleTimeoutSeconds(int seconds)
{
    if (seconds <= 0)
        return false;
    return m_registry.hive(plat::Hive::CurrentUser).setString(kDesktopKey, kTimeoutValue, std::to_string(seconds));
}

} // namespace host
