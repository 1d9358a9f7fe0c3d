// A fresh folder under the test temporary folder, removed with everything in it at the end.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

class ScratchFolder {
public:
    ScratchFolder()
    {
        std::string pattern = testing::TempDir() + "/shell_scratch_XXXXXX";
        char* made = ::mkdtemp(pattern.data());
        if (!made)
            ADD_FAILURE() << "mkdtemp failed for " << pattern;
        else
            m_path = made;
    }
    ~ScratchFolder()
    {
        std::error_code ec;
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }

    void write(const std::string& name, const std::string& content) const
    {
        std::ofstream out(file(name), std::ios::binary);
        out << content;
    }
    std::string read(const std::string& name) const
    {
        std::ifstream in(file(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    void makeFolder(const std::string& name) const { std::filesystem::create_directories(file(name)); }

private:
    std::string m_path;
};
