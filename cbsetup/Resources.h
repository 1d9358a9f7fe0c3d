// Named data resources of the installer: the carried payloads (or a test's stand-ins),
// each with the CRC-32 of its stored bytes recorded when the build packed it.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace cbsetup {

inline constexpr std::string_view kScreensaverResource = "RES_SCR";  // one zlib stream
inline constexpr std::string_view kHelpResource = "RES_HLP";         // raw bytes
inline constexpr std::string_view kDescriptionResource = "RES_RTF";  // raw rich text

struct Resource {
    std::string_view name;
    std::span<const std::uint8_t> bytes;
    std::uint32_t crc32 = 0;  // of bytes, as packed
};

// CRC-32 (the zlib polynomial) of a byte run.
std::uint32_t checksum(std::span<const std::uint8_t> bytes);

// True when the resource's bytes still have the checksum recorded for them.
bool intact(const Resource& resource);

// A set of resources looked up by name; names compare without regard to case, as the
// platform's resource names do. The table refers to bytes it does not own.
class ResourceTable {
public:
    ResourceTable() = default;
    explicit ResourceTable(std::vector<Resource> entries) : m_entries(std::move(entries)) {}

    // The resource, or null when the table has none of that name.
    const Resource* find(std::string_view name) const;
    // Its bytes, or an empty span with a null data pointer when missing.
    std::span<const std::uint8_t> bytes(std::string_view name) const;

private:
    std::vector<Resource> m_entries;
};

} // namespace cbsetup
