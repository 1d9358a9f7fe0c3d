// Checking and inflating the carried screensaver: the whole stored stream must be one
// complete zlib stream whose inflated program fits the installer's 1 MiB buffer.
#pragma once

#include "cbsetup/Resources.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace cbsetup {

// The output buffer the installer inflates into; a larger program is refused.
inline constexpr size_t kInflateBufferSize = 1048576;

enum class PayloadStatus {
    Ok,
    Missing,         // the resource is not there
    ChecksumWrong,   // the stored bytes are not the bytes the build packed
    Damaged,         // zlib does not read it as one complete stream
    TooLarge,        // it inflates to more than the buffer holds
    TrailingBytes,   // bytes follow the end of the stream
};

struct InflatedPayload {
    PayloadStatus status = PayloadStatus::Missing;
    int zlibCode = 0;                 // uncompress's result, for the message
    std::vector<std::uint8_t> bytes;  // the program; empty unless status is Ok

    bool ok() const { return status == PayloadStatus::Ok; }
};

// Inflates one zlib stream into at most limit bytes. Anything but a complete stream that
// uses all of the input and fits is refused, and then no bytes are returned.
InflatedPayload inflateStream(std::span<const std::uint8_t> stream, size_t limit = kInflateBufferSize);

// The carried screensaver: missing, checksum, then the stream itself.
InflatedPayload inflateScreensaver(const Resource* resource, size_t limit = kInflateBufferSize);

// The text for the "Error" box that tells why the screensaver could not be written.
std::string describe(const InflatedPayload& payload);

} // namespace cbsetup
