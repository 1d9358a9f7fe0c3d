// Lookup of the installer's named resources and their checksums.
#include "cbsetup/Resources.h"

#include <zlib.h>

#include <algorithm>

namespace cbsetup {

namespace {

constexpr size_t kCrcChunk = 1u << 30;  // crc32 takes an unsigned int length

char lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool sameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lower(x) == lower(y); });
}

} // namespace

std::uint32_t checksum(std::span<const std::uint8_t> bytes)
{
    uLong crc = crc32(0L, Z_NULL, 0);
    while (!bytes.empty()) {
        size_t n = std::min(bytes.size(), kCrcChunk);
        crc = crc32(crc, bytes.data(), static_cast<uInt>(n));
        bytes = bytes.subspan(n);
    }
    return static_cast<std::uint32_t>(crc);
}

bool intact(const Resource& resource)
{
    return checksum(resource.bytes) == resource.crc32;
}

const Resource* ResourceTable::find(std::string_view name) const
{
    for (const Resource& r : m_entries)
        if (sameName(r.name, name))
            return &r;
    return nullptr;
}

std::span<const std::uint8_t> ResourceTable::bytes(std::string_view name) const
{
    const Resource* r = find(name);
    return r ? r->bytes : std::span<const std::uint8_t>();
}

} // namespace cbsetup
