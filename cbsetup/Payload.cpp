// Inflation of the carried screensaver with zlib, refusing every incomplete result.
#include "cbsetup/Payload.h"

#include <zlib.h>

#include <memory>

namespace cbsetup {

InflatedPayload inflateStream(std::span<const std::uint8_t> stream, size_t limit)
{
    InflatedPayload out;
    // The buffer is not cleared first: only the inflated length of it is ever read.
    std::unique_ptr<std::uint8_t[]> buffer = std::make_unique_for_overwrite<std::uint8_t[]>(limit ? limit : 1);
    uLongf destLen = static_cast<uLongf>(limit);
    uLong sourceLen = static_cast<uLong>(stream.size());
    // uncompress2 reports how much input it used, so a stream followed by other bytes
    // is told apart from a clean one.
    const Bytef* src = stream.empty() ? reinterpret_cast<const Bytef*>("") : stream.data();
    int code = uncompress2(buffer.get(), &destLen, src, &sourceLen);
    out.zlibCode = code;
    if (code == Z_OK) {
        if (sourceLen != stream.size()) {
            out.status = PayloadStatus::TrailingBytes;
            return out;
        }
        out.bytes.assign(buffer.get(), buffer.get() + destLen);
        out.status = PayloadStatus::Ok;
        return out;
    }
    // A full buffer with input left over: the program is larger than the buffer. zlib
    // has left a truncated prefix in the buffer; it is dropped here.
    if (code == Z_BUF_ERROR && destLen == limit && sourceLen < stream.size())
        out.status = PayloadStatus::TooLarge;
    else
        out.status = PayloadStatus::Damaged;
    return out;
}

InflatedPayload inflateScreensaver(const Resource* resource, size_t limit)
{
    InflatedPayload out;
    if (!resource || resource->bytes.data() == nullptr) {
        out.status = PayloadStatus::Missing;
        return out;
    }
    if (!intact(*resource)) {
        out.status = PayloadStatus::ChecksumWrong;
        return out;
    }
    return inflateStream(resource->bytes, limit);
}

std::string describe(const InflatedPayload& payload)
{
    switch (payload.status) {
    case PayloadStatus::Ok:
        return "";
    case PayloadStatus::Missing:
        return "Error: This installer does not carry the Cobblix screen saver.  Aborting installation.";
    case PayloadStatus::ChecksumWrong:
        return "Error: The Cobblix screen saver carried by this installer is damaged (checksum "
               "mismatch).  Nothing was written.  Aborting installation.";
    case PayloadStatus::Damaged:
        return "Error: The Cobblix screen saver carried by this installer is damaged (zlib error " +
               std::to_string(payload.zlibCode) + ").  Nothing was written.  Aborting installation.";
    case PayloadStatus::TooLarge:
        return "Error: The Cobblix screen saver carried by this installer is larger than " +
               std::to_string(kInflateBufferSize) + " bytes.  Nothing was written.  Aborting installation.";
    case PayloadStatus::TrailingBytes:
        return "Error: The Cobblix screen saver carried by this installer is followed by unexpected "
               "data.  Nothing was written.  Aborting installation.";
    }
    return "Error: Aborting installation.";
}

} // namespace cbsetup
