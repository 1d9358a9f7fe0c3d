// Replacing files atomically, the existence query and the short-path query.
#include "Support.h"

#include "cbsetup/FileOps.h"

#include <sys/stat.h>
#include <unistd.h>

using namespace cbsetup;
using cbtest::Bytes;

namespace {

std::vector<std::string> names(const std::string& folder)
{
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace

TEST(ReplaceFile, WritesNewAndReplacesOldWithTheGivenMode)
{
    cbtest::TempRoot root;
    const std::string path = root.path() + "/Cobblix.scr";
    const Bytes first(70000, 0x41);
    const Bytes second {1, 2, 3};
    std::string why;
    ASSERT_TRUE(replaceFileAtomically(path, first, 0755, &why)) << why;
    EXPECT_EQ(cbtest::readBytes(path), first);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0755u);

    // Someone still reading the old file keeps the old content: the name is swapped, the
    // old file is not rewritten in place.
    std::ifstream reader(path, std::ios::binary);
    ASSERT_TRUE(replaceFileAtomically(path, second, 0644, &why)) << why;
    EXPECT_EQ(cbtest::readBytes(path), second);
    Bytes seen((std::istreambuf_iterator<char>(reader)), std::istreambuf_iterator<char>());
    EXPECT_EQ(seen, first);
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
    EXPECT_EQ(names(root.path()), std::vector<std::string> {"Cobblix.scr"});

    ASSERT_TRUE(replaceFileAtomically(path, {}, 0644, &why)) << why;
    EXPECT_EQ(cbtest::readBytes(path), Bytes {});
}

TEST(ReplaceFile, FailuresLeaveTheOldStateAndNoTemporaryFile)
{
    cbtest::TempRoot root;
    std::string why;
    // No such folder.
    EXPECT_FALSE(replaceFileAtomically(root.path() + "/none/Cobblix.scr", Bytes {1}, 0644, &why));
    EXPECT_FALSE(why.empty());
    // The name is a non-empty folder: it stays, and no temporary file is left beside it.
    ASSERT_TRUE(std::filesystem::create_directories(root.path() + "/Cobblix.scr/sub"));
    why.clear();
    EXPECT_FALSE(replaceFileAtomically(root.path() + "/Cobblix.scr", Bytes {1}, 0644, &why));
    EXPECT_NE(why.find("Cobblix.scr"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_directory(root.path() + "/Cobblix.scr/sub"));
    EXPECT_EQ(names(root.path()), std::vector<std::string> {"Cobblix.scr"});
}

TEST(PathExists, SeesFilesFoldersAndDanglingLinks)
{
    cbtest::TempRoot root;
    cbtest::writeBytes(root.path() + "/f", Bytes {1});
    ASSERT_EQ(::symlink("/nonexistent/target", (root.path() + "/dangling").c_str()), 0);
    EXPECT_TRUE(pathExists(root.path() + "/f"));
    EXPECT_TRUE(pathExists(root.path()));
    EXPECT_TRUE(pathExists(root.path() + "/dangling"));
    EXPECT_FALSE(pathExists(root.path() + "/missing"));
    EXPECT_FALSE(pathExists(""));
}

TEST(ShortPathName, IsThePathItselfWhenItExistsAndFitsTheBuffer)
{
    cbtest::TempRoot root;
    const std::string file = root.path() + "/Cobblix.scr";
    cbtest::writeBytes(file, Bytes {1});
    EXPECT_EQ(shortPathName(file), file);
    EXPECT_EQ(shortPathName(root.path() + "/missing.scr"), std::nullopt);
    EXPECT_EQ(shortPathName(""), std::nullopt);
    // The buffer holds the path and its terminating NUL.
    EXPECT_EQ(shortPathName(file, file.size() + 1), file);
    EXPECT_EQ(shortPathName(file, file.size()), std::nullopt);

    std::string deep = root.path();
    while (deep.size() < 260)
        deep += "/" + std::string(50, 'x');
    ASSERT_TRUE(std::filesystem::create_directories(deep));
    cbtest::writeBytes(deep + "/Cobblix.scr", Bytes {1});
    EXPECT_EQ(shortPathName(deep + "/Cobblix.scr"), std::nullopt);
}
