// Replays the fuzzers' corpora of malformed hives and profile files: no input may crash the
// parsers, and whatever parses writes back to text that parses to the same data.
#include "platform/LockedFile.h"
#include "platform/Profile.h"
#include "platform/Registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

constexpr const char* kRoot = "HKEY_CURRENT_USER";

std::vector<std::pair<std::string, std::string>> corpus(const std::string& name)
{
    std::vector<std::pair<std::string, std::string>> files;
    const fs::path dir = fs::path(ORVANE_SOURCE_DIR) / "fuzz" / "corpus" / name;
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (!entry.is_regular_file())
            continue;
        std::string text;
        EXPECT_EQ(plat::readWholeFile(entry.path().string(), text), plat::ReadStatus::Ok) << entry.path();
        files.emplace_back(entry.path().filename().string(), std::move(text));
    }
    std::sort(files.begin(), files.end());
    return files;
}

TEST(FuzzCorpus, RegeditInputs)
{
    const auto files = corpus("regedit");
    ASSERT_FALSE(files.empty());
    size_t parsed = 0;
    for (const auto& [name, text] : files) {
        std::string error;
        const auto data = plat::HiveData::parse(text, kRoot, &error);
        if (!data) {
            EXPECT_FALSE(error.empty()) << name;
            continue;
        }
        ++parsed;
        const std::string written = data->serialize(kRoot);
        const auto again = plat::HiveData::parse(written, kRoot, &error);
        ASSERT_TRUE(again) << name << ": " << error;
        EXPECT_EQ(*again, *data) << name;
        EXPECT_EQ(again->serialize(kRoot), written) << name;
    }
    // The corpus holds both kinds, so both paths are exercised.
    EXPECT_GT(parsed, 0u);
    EXPECT_LT(parsed, files.size());
}

TEST(FuzzCorpus, IniInputs)
{
    const auto files = corpus("ini");
    ASSERT_FALSE(files.empty());
    for (const auto& [name, text] : files) {
        const plat::IniData data = plat::IniData::parse(text);
        const std::string written = data.serialize();
        const plat::IniData again = plat::IniData::parse(written);
        EXPECT_EQ(again, data) << name;
        EXPECT_EQ(again.serialize(), written) << name;
    }
}

} // namespace
