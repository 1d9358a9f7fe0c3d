// The carried screensaver's checks: only a complete zlib stream that uses all its bytes,
// carries the recorded checksum and fits 1 MiB is accepted; everything else yields nothing.
#include "Support.h"

#include "cbsetup/Carried.h"
#include "cbsetup/Payload.h"

#include <random>

using namespace cbsetup;
using cbtest::Bytes;

namespace {

Bytes patterned(size_t size, unsigned seed)
{
    std::mt19937 rng(seed);
    Bytes b(size);
    // Half random, half repetitive, so that the stream has real Huffman blocks.
    for (size_t i = 0; i < size; ++i)
        b[i] = (i / 512) % 2 ? static_cast<std::uint8_t>(rng()) : static_cast<std::uint8_t>(i % 7);
    return b;
}

} // namespace

TEST(CarriedPayload, InflatesToTheProgramTheBuildPacked)
{
    const Resource* scr = carriedResources().find(kScreensaverResource);
    ASSERT_NE(scr, nullptr);
    InflatedPayload p = inflateScreensaver(scr);
    ASSERT_TRUE(p.ok()) << describe(p);
    auto packed = cbtest::readBytes(CBSETUP_CARRIED_PROGRAM);
    ASSERT_TRUE(packed.has_value());
    EXPECT_EQ(p.bytes, *packed);
    EXPECT_LE(p.bytes.size(), kInflateBufferSize);
    // An ELF program, not some other file.
    ASSERT_GE(p.bytes.size(), 4u);
    EXPECT_EQ(std::string(p.bytes.begin(), p.bytes.begin() + 4), "\x7f" "ELF");
}

TEST(CarriedPayload, AllThreeResourcesArePresentAndIntact)
{
    for (std::string_view name : {kScreensaverResource, kHelpResource, kDescriptionResource}) {
        const Resource* r = carriedResources().find(name);
        ASSERT_NE(r, nullptr) << name;
        EXPECT_FALSE(r->bytes.empty()) << name;
        EXPECT_TRUE(intact(*r)) << name;
        EXPECT_EQ(findResource(name).data(), r->bytes.data()) << name;
    }
    EXPECT_EQ(findResource("RES_NONE").data(), nullptr);
    // Names compare without regard to case, as resource names do.
    EXPECT_EQ(findResource("res_hlp").data(), findResource("RES_HLP").data());
}

TEST(InflateStream, SizesAroundTheBufferLimit)
{
    struct Case {
        size_t size;
        PayloadStatus expected;
    };
    const Case cases[] = {
        {0, PayloadStatus::Ok},
        {1, PayloadStatus::Ok},
        {kInflateBufferSize - 1, PayloadStatus::Ok},
        {kInflateBufferSize, PayloadStatus::Ok},
        {kInflateBufferSize + 1, PayloadStatus::TooLarge},
        {3 * kInflateBufferSize, PayloadStatus::TooLarge},
    };
    for (const Case& c : cases) {
        Bytes raw = patterned(c.size, static_cast<unsigned>(c.size));
        InflatedPayload p = inflateStream(cbtest::compressed(raw));
        EXPECT_EQ(p.status, c.expected) << c.size;
        if (c.expected == PayloadStatus::Ok)
            EXPECT_EQ(p.bytes, raw) << c.size;
        else
            EXPECT_TRUE(p.bytes.empty()) << "a refused payload leaves no prefix behind, size " << c.size;
    }
}

TEST(InflateStream, MalformedStreamsAreRefused)
{
    Bytes raw = patterned(20000, 3);
    Bytes good = cbtest::compressed(raw);
    Bytes trailing = good;
    trailing.push_back(0);
    Bytes twoStreams = good;
    twoStreams.insert(twoStreams.end(), good.begin(), good.end());
    Bytes rawDeflateHeader = good;
    rawDeflateHeader[0] = 0x00;

    struct Case {
        const char* what;
        Bytes stream;
        PayloadStatus expected;
    };
    const Case cases[] = {
        {"empty", {}, PayloadStatus::Damaged},
        {"not zlib", Bytes{'h', 'e', 'l', 'l', 'o'}, PayloadStatus::Damaged},
        {"bad header", rawDeflateHeader, PayloadStatus::Damaged},
        {"a stray byte after the stream", trailing, PayloadStatus::TrailingBytes},
        {"two streams", twoStreams, PayloadStatus::TrailingBytes},
        {"header only", Bytes(good.begin(), good.begin() + 2), PayloadStatus::Damaged},
    };
    for (const Case& c : cases) {
        InflatedPayload p = inflateStream(c.stream);
        EXPECT_EQ(p.status, c.expected) << c.what;
        EXPECT_TRUE(p.bytes.empty()) << c.what;
        EXPECT_FALSE(describe(p).empty()) << c.what;
    }
}

TEST(InflateStream, NoTruncationOfTheCarriedStreamEndsTheStream)
{
    // Fed one byte at a time, zlib may reach the end of the stream only with the last byte:
    // so no strict prefix of the carried stream is ever a complete stream.
    std::span<const std::uint8_t> stream = findResource(kScreensaverResource);
    ASSERT_FALSE(stream.empty());
    std::vector<std::uint8_t> out(kInflateBufferSize);
    z_stream z {};
    ASSERT_EQ(inflateInit(&z), Z_OK);
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    int rc = Z_OK;
    size_t fed = 0;
    while (fed < stream.size()) {
        z.next_in = const_cast<Bytef*>(stream.data() + fed);
        z.avail_in = 1;
        rc = inflate(&z, Z_NO_FLUSH);
        ++fed;
        if (rc == Z_STREAM_END)
            break;
        ASSERT_TRUE(rc == Z_OK || rc == Z_BUF_ERROR) << "at " << fed;
    }
    inflateEnd(&z);
    EXPECT_EQ(rc, Z_STREAM_END);
    EXPECT_EQ(fed, stream.size()) << "the stream ended early";

    // And the check itself refuses them, leaving no bytes behind.
    for (size_t len : cbtest::sampledLengths(stream.size())) {
        InflatedPayload p = inflateStream(stream.first(len));
        ASSERT_FALSE(p.ok()) << "truncated to " << len << " of " << stream.size();
        ASSERT_TRUE(p.bytes.empty());
    }
}

TEST(InflateStream, BitFlipsEitherFailOrInflateToTheSameProgram)
{
    // zlib checks the header and an Adler-32 of the output, but some bits of a stream are
    // never used (padding after the last block, code lengths of symbols that never occur):
    // a flip there inflates to the same program. zlib alone must never hand back a
    // different program; the checksum of the stored bytes (next test) catches the rest.
    std::span<const std::uint8_t> stream = findResource(kScreensaverResource);
    ASSERT_GT(stream.size(), 6u);
    InflatedPayload original = inflateStream(stream);
    ASSERT_TRUE(original.ok());
    Bytes copy(stream.begin(), stream.end());
    const auto flips = cbtest::sampledFlips(copy.size());
    size_t refused = 0;
    for (auto [i, bit] : flips) {
        copy[i] ^= static_cast<std::uint8_t>(1u << bit);
        InflatedPayload p = inflateStream(copy);
        copy[i] ^= static_cast<std::uint8_t>(1u << bit);
        if (p.ok()) {
            ASSERT_EQ(p.bytes, original.bytes) << "flip of bit " << bit << " at " << i;
        } else {
            ++refused;
            ASSERT_TRUE(p.bytes.empty());
        }
        if (i < 2 || i + 4 >= copy.size()) {
            ASSERT_FALSE(p.ok()) << "header and trailer are fully checked: bit " << bit << " at " << i;
        }
    }
    EXPECT_GT(refused, flips.size() * 9 / 10);
}

TEST(InflateScreensaver, ChecksumCatchesSingleBitFlips)
{
    const Resource* scr = carriedResources().find(kScreensaverResource);
    ASSERT_NE(scr, nullptr);
    Bytes copy(scr->bytes.begin(), scr->bytes.end());
    for (auto [i, bit] : cbtest::sampledFlips(copy.size())) {
        copy[i] ^= static_cast<std::uint8_t>(1u << bit);
        Resource damaged {kScreensaverResource, copy, scr->crc32};
        ASSERT_FALSE(intact(damaged)) << "bit " << bit << " of byte " << i;
        ASSERT_EQ(inflateScreensaver(&damaged).status, PayloadStatus::ChecksumWrong);
        copy[i] ^= static_cast<std::uint8_t>(1u << bit);
    }
    Resource missing {kScreensaverResource, {}, 0};
    EXPECT_EQ(inflateScreensaver(&missing).status, PayloadStatus::Missing);
    EXPECT_EQ(inflateScreensaver(nullptr).status, PayloadStatus::Missing);
    Resource wrongSum {kScreensaverResource, scr->bytes, scr->crc32 ^ 1u};
    EXPECT_EQ(inflateScreensaver(&wrongSum).status, PayloadStatus::ChecksumWrong);
}

TEST(ResourceTable, LooksUpByNameWithoutRegardToCase)
{
    const std::uint8_t a[] = {1, 2, 3};
    ResourceTable t({Resource {"RES_A", a, checksum(a)}});
    ASSERT_NE(t.find("res_a"), nullptr);
    EXPECT_EQ(t.bytes("Res_A").size(), 3u);
    EXPECT_EQ(t.find("RES_B"), nullptr);
    EXPECT_EQ(t.bytes("RES_B").data(), nullptr);
    EXPECT_EQ(t.find("RES_A "), nullptr);
    // The zlib polynomial: CRC-32 of "123456789" is cbf43926.
    const std::uint8_t digits[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(checksum(digits), 0xCBF43926u);
}
