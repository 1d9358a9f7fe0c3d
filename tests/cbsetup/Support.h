// Helpers shared by the installer's tests: a private root folder per test, a message-box
// recorder that answers as told, file reads and zlib streams.
#pragma once

#include "platform/MessageBox.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace cbtest {

using Bytes = std::vector<std::uint8_t>;

// A fresh folder below the test temp folder, removed afterwards.
class TempRoot : public testsupport::TempFolder {
public:
    TempRoot() : TempFolder("cbsetup") {}
};

inline std::optional<Bytes> readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

using testsupport::readFile;

inline void writeBytes(const std::string& path, const Bytes& bytes)
{
    testsupport::writeFile(path, std::string(bytes.begin(), bytes.end()));
}

inline Bytes compressed(const Bytes& raw, int level = 9)
{
    uLongf size = compressBound(raw.size());
    Bytes out(size);
    EXPECT_EQ(compress2(out.data(), &size, raw.data(), raw.size(), level), Z_OK);
    out.resize(size);
    return out;
}

// Single-bit flips of a stream of the given size: every bit of its first and last edge
// bytes (zlib header, final block, Adler-32 trailer) and one bit, cycling, at evenly spaced
// places between them. (Each full check costs a whole inflation, so not every bit.)
inline std::vector<std::pair<size_t, int>> sampledFlips(size_t size, size_t edge = 64, size_t inner = 1000)
{
    std::vector<std::pair<size_t, int>> flips;
    for (size_t i = 0; i < size; ++i) {
        bool atEdge = i < edge || i + edge >= size;
        if (atEdge) {
            for (int bit = 0; bit < 8; ++bit)
                flips.emplace_back(i, bit);
        }
    }
    if (size > 2 * edge) {
        size_t span = size - 2 * edge;
        size_t step = std::max<size_t>(1, span / inner);
        for (size_t i = edge; i + edge < size; i += step)
            flips.emplace_back(i, static_cast<int>((i / step) % 8));
    }
    return flips;
}

// Truncation lengths: all near both ends and evenly spaced ones between.
inline std::vector<size_t> sampledLengths(size_t size, size_t edge = 256, size_t inner = 1000)
{
    std::vector<size_t> lengths;
    for (size_t len = 0; len < size; ++len) {
        if (len < edge || len + edge >= size)
            lengths.push_back(len);
    }
    if (size > 2 * edge) {
        size_t step = std::max<size_t>(1, (size - 2 * edge) / inner);
        for (size_t len = edge; len + edge < size; len += step)
            lengths.push_back(len);
    }
    return lengths;
}

// Records every box shown and answers from a queue (Ok when the queue is empty).
class BoxRecorder {
public:
    BoxRecorder()
    {
        plat::setBoxPresenter([this](const plat::BoxRequest& r) {
            boxes.push_back(r);
            if (onBox)
                onBox(r);
            if (answers.empty())
                return plat::BoxAnswer::Ok;
            plat::BoxAnswer a = answers.front();
            answers.pop_front();
            return a;
        });
    }
    ~BoxRecorder() { plat::setBoxPresenter(plat::stderrBoxPresenter()); }
    BoxRecorder(const BoxRecorder&) = delete;
    BoxRecorder& operator=(const BoxRecorder&) = delete;

    std::vector<std::string> titles() const
    {
        std::vector<std::string> t;
        for (const auto& b : boxes)
            t.push_back(b.title);
        return t;
    }

    std::vector<plat::BoxRequest> boxes;
    std::deque<plat::BoxAnswer> answers;
    std::function<void(const plat::BoxRequest&)> onBox;  // called for each box, before answering
};

} // namespace cbtest
