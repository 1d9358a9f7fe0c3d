// The folder scanner on real temporary folders: the stored path, pattern and sub-folder
// scans, the walk over full paths and the list-box fill and removal.
#include "shell/seFolder.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;

struct FolderCase {
    std::string given;
    std::string stored;
};

std::ostream& operator<<(std::ostream& out, const FolderCase& c)
{
    return out << '"' << c.given << '"';
}

class FolderPath : public testing::TestWithParam<FolderCase> {};

TEST_P(FolderPath, OneTrailingSeparatorIsRemoved)
{
    seFolder byConstructor(GetParam().given);
    EXPECT_EQ(byConstructor.Folder(), GetParam().stored);
    seFolder bySetter;
    bySetter.SetFolder(GetParam().given);
    EXPECT_EQ(bySetter.Folder(), GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(Paths, FolderPath,
    testing::Values(FolderCase{"/pics/", "/pics"}, FolderCase{"/pics", "/pics"},
                    FolderCase{"/pics//", "/pics/"}, FolderCase{"C:\\Pictures\\", "C:\\Pictures"},
                    FolderCase{"", ""}, FolderCase{"/", ""}));

class FolderScan : public testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"b.jpg", "a.jpg", "C.JPG", "d.jpeg", "e.bmp", "f.txt", "x.bmp", "noext"})
            dir.write(name, "data");
        dir.makeFolder("sub");
        dir.makeFolder("album.jpg");
        dir.makeFolder(".hidden");
    }
    testsupport::TempFolder dir;
};

TEST_F(FolderScan, PatternsAppendMatchesInPatternOrder)
{
    seFolder folder(dir.path() + "/");
    EXPECT_EQ(folder.Scan("*.jpg *.bmp"), 6);
    // Each pattern's matches sorted by name; letter case ignored; folders match too.
    EXPECT_EQ(folder.Names(), (Names{"C.JPG", "a.jpg", "album.jpg", "b.jpg", "e.bmp", "x.bmp"}));
    EXPECT_EQ(folder.Scan("?.txt"), 1);
    EXPECT_EQ(folder.size(), 7);
    EXPECT_EQ(folder.Names().back(), "f.txt");
}

TEST_F(FolderScan, QuestionMarkAndAllNamesPatterns)
{
    seFolder single(dir.path());
    EXPECT_EQ(single.Scan("?.jp?"), 3);
    EXPECT_EQ(single.Names(), (Names{"C.JPG", "a.jpg", "b.jpg"}));

    seFolder all(dir.path());
    EXPECT_EQ(all.Scan("*.*"), 11);  // every entry but "." and "..", also names without a dot
    EXPECT_EQ(all.FindName("NOEXT"), "noext");
}

TEST_F(FolderScan, BlankPatternsAndUnlistableFolderAddNothing)
{
    seFolder folder(dir.path());
    EXPECT_EQ(folder.Scan(""), 0);
    EXPECT_EQ(folder.Scan("  *.none  "), 0);
    EXPECT_EQ(folder.size(), 0);

    seFolder missing(dir.file("does-not-exist"));
    EXPECT_EQ(missing.Scan("*"), 0);
    EXPECT_EQ(missing.ScanFolders(), 0);
    EXPECT_EQ(missing.NextPath(false), "");
}

TEST_F(FolderScan, SubFoldersSkipDotNamesAndFiles)
{
    seFolder folder(dir.path());
    EXPECT_EQ(folder.ScanFolders(), 2);
    EXPECT_EQ(folder.Names(), (Names{"album.jpg", "sub"}));
}

TEST_F(FolderScan, NextPathWalksAndStopsOrWraps)
{
    seFolder folder(dir.path() + "/");
    ASSERT_EQ(folder.Scan("*.bmp"), 2);
    std::string name;
    EXPECT_EQ(folder.NextPath(true, name), dir.path() + "/e.bmp");
    EXPECT_EQ(name, "e.bmp");
    EXPECT_EQ(folder.NextPath(true, name), dir.path() + "/x.bmp");
    EXPECT_EQ(name, "x.bmp");
    EXPECT_EQ(folder.NextPath(true), "");
    EXPECT_EQ(folder.NextPath(true), "");
    EXPECT_EQ(folder.NextPath(false, name), dir.path() + "/e.bmp");
    EXPECT_EQ(name, "e.bmp");
}

TEST_F(FolderScan, ScanningAgainRestartsTheWalk)
{
    seFolder folder(dir.path());
    folder.Scan("e.bmp");
    EXPECT_EQ(folder.NextPath(true), dir.path() + "/e.bmp");
    EXPECT_EQ(folder.NextPath(true), "");
    folder.Scan("x.bmp");
    EXPECT_EQ(folder.NextPath(true), dir.path() + "/e.bmp");
}

TEST_F(FolderScan, AllPathsAppendsEveryFullPath)
{
    seFolder folder(dir.path());
    folder.Scan("*.bmp");
    std::vector<std::string> paths{"kept"};
    folder.AllPaths(paths);
    EXPECT_EQ(paths, (Names{"kept", dir.path() + "/e.bmp", dir.path() + "/x.bmp"}));
}

TEST(Folder, EmptyListGivesNoPath)
{
    seFolder folder("/nowhere");
    std::string name = "unchanged";
    EXPECT_EQ(folder.NextPath(false, name), "");
    EXPECT_EQ(name, "unchanged");
    EXPECT_EQ(folder.NextPath(true), "");
}

struct FindCase {
    std::string asked;
    std::string found;
};

std::ostream& operator<<(std::ostream& out, const FindCase& c)
{
    return out << '"' << c.asked << '"';
}

class FolderFindName : public testing::TestWithParam<FindCase> {};

TEST_P(FolderFindName, MatchesWithoutLetterCase)
{
    testsupport::TempFolder dir;
    dir.write("Sunset.JPG", "x");
    dir.write("beach.jpg", "x");
    seFolder folder(dir.path());
    ASSERT_EQ(folder.Scan("*.jpg"), 2);
    EXPECT_EQ(folder.FindName(GetParam().asked), GetParam().found);
}

INSTANTIATE_TEST_SUITE_P(Names, FolderFindName,
    testing::Values(FindCase{"sunset.jpg", "Sunset.JPG"}, FindCase{"SUNSET.JPG", "Sunset.JPG"},
                    FindCase{"BEACH.JPG", "beach.jpg"}, FindCase{"other.jpg", "other.jpg"},
                    FindCase{"sunset", "sunset"}));

class FolderListBox : public testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"Blank.scr", "Waves.scr", "ab"})
            dir.write(name, "x");
        ASSERT_EQ(folder.Scan("*"), 3);  // sorted: Blank.scr, Waves.scr, ab
    }
    testsupport::TempFolder dir;
    seFolder folder{dir.path()};
};

TEST_F(FolderListBox, FillStripsExtensionsAndSkipsDuplicates)
{
    MemoryListBox box({"Waves"});
    EXPECT_EQ(folder.FillListBox(box, false, false), 3);
    EXPECT_EQ(box.items(), (Names{"Waves", "Blank", "ab"}));
}

TEST_F(FolderListBox, FillKeepsExtensionsAndDuplicatesWhenAsked)
{
    MemoryListBox box({"Waves.scr"});
    EXPECT_EQ(folder.FillListBox(box, true, true), 3);
    EXPECT_EQ(box.items(), (Names{"Waves.scr", "Blank.scr", "Waves.scr", "ab"}));
}

TEST_F(FolderListBox, RemoveDeletesTheShownTexts)
{
    MemoryListBox box({"keep", "Blank", "Waves", "Waves.scr", "ab"});
    folder.RemoveFromListBox(box, false);
    EXPECT_EQ(box.items(), (Names{"keep", "Waves.scr"}));
    folder.RemoveFromListBox(box, true);
    EXPECT_EQ(box.items(), (Names{"keep"}));
}

} // namespace
