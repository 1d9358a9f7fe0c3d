// Temporary folders for tests (a fresh folder below the test framework's temporary folder,
// either kept or removed with everything in it at the end) and whole-file reads and writes.
#pragma once

#include "platform/LockedFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace testsupport {

// Makes a fresh folder named after `tag` below testing::TempDir() and returns its path; the
// folder stays. On failure the test fails and "" is returned.
inline std::string makeTempFolder(const std::string& tag)
{
    std::string pattern = testing::TempDir() + tag + "-XXXXXX";
    const char* made = ::mkdtemp(pattern.data());
    if (!made) {
        ADD_FAILURE() << "mkdtemp failed for " << pattern;
        return {};
    }
    return made;
}

// The whole content of a file; "" when it is missing or unreadable.
inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The whole content of a file that must be there: the test fails when it cannot be read.
inline std::string readExistingFile(const std::string& path)
{
    std::string out;
    EXPECT_EQ(plat::readWholeFile(path, out), plat::ReadStatus::Ok) << path;
    return out;
}

// Replaces the file's content by `content`, byte for byte.
inline void writeFile(const std::string& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

// A fresh temporary folder that is removed with everything in it when this object ends.
class TempFolder {
public:
    explicit TempFolder(const std::string& tag = "orvane") : m_path(makeTempFolder(tag)) {}
    ~TempFolder()
    {
        std::error_code ec;
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }

    void write(const std::string& name, const std::string& content) const { writeFile(file(name), content); }
    std::string read(const std::string& name) const { return readFile(file(name)); }
    void makeFolder(const std::string& name) const { std::filesystem::create_directories(file(name)); }

private:
    std::string m_path;
};

// A test fixture with a fresh temporary folder per test in m_dir, removed after the test.
class FolderTest : public testing::Test {
protected:
    explicit FolderTest(const std::string& tag = "orvane") : m_folder(tag) {}
    void SetUp() override { ASSERT_FALSE(m_dir.empty()); }
    std::string file(const std::string& name) const { return m_folder.file(name); }

    TempFolder m_folder;
    std::string m_dir = m_folder.path();
};

} // namespace testsupport
