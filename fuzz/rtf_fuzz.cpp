// Fuzz target for the installer's readers of untrusted bytes: the rich-text reader and the
// inflation of a carried screensaver stream. Neither may crash, hang or read out of bounds.
#include "cbsetup/Payload.h"
#include "cbsetup/RtfReader.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {
// Small enough that a hostile stream cannot make each run slow.
constexpr size_t kFuzzInflateLimit = 65536;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    cbsetup::RtfDocument doc = cbsetup::readRtf(text);
    (void)doc.plainText();
    cbsetup::InflatedPayload p = cbsetup::inflateStream({data, size}, kFuzzInflateLimit);
    if (!p.ok() && !p.bytes.empty())
        __builtin_trap();  // a refused payload must never hand back bytes
    return 0;
}
