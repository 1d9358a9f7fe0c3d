// The shell's helper operations: list-box transfers, message boxes, Split and the text and
// arithmetic helpers.
#include "shell/seLibrary.h"

#include "tests/support/TempFolder.h"

#include "platform/MessageBox.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <ostream>
#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;

struct SplitCase {
    std::string text;
    char separator;
    Names pieces;
};

std::ostream& operator<<(std::ostream& out, const SplitCase& c)
{
    return out << '"' << c.text << "\" by '" << c.separator << "'";
}

class LibrarySplit : public testing::TestWithParam<SplitCase> {};

TEST_P(LibrarySplit, PiecesBetweenSeparators)
{
    const SplitCase& c = GetParam();
    Names out{"earlier"};
    EXPECT_EQ(seLibrary::Split(c.text, c.separator, out), int(c.pieces.size()));
    Names expected{"earlier"};
    expected.insert(expected.end(), c.pieces.begin(), c.pieces.end());
    EXPECT_EQ(out, expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, LibrarySplit,
    testing::Values(SplitCase{"a**b*", '*', {"a", "", "b"}}, SplitCase{"", '*', {}},
                    SplitCase{"abc", '*', {"abc"}}, SplitCase{"*a", '*', {"", "a"}},
                    SplitCase{"**", '*', {"", ""}}, SplitCase{"*.jpg *.bmp", ' ', {"*.jpg", "*.bmp"}},
                    SplitCase{"x\\15\\30\\1", '\\', {"x", "15", "30", "1"}}));

TEST(Library, MoveAllKeepsOrderAndEmptiesTheSource)
{
    MemoryListBox from({"a", "b", "c"});
    MemoryListBox to({"x"});
    EXPECT_EQ(seLibrary::MoveAll(from, to), 3);
    EXPECT_EQ(from.count(), 0);
    EXPECT_EQ(to.items(), (Names{"x", "a", "b", "c"}));
    EXPECT_EQ(seLibrary::MoveAll(from, to), 0);
}

struct MoveCase {
    const char* label;
    Names source;
    std::vector<int> selected;  // selected source items
    Names target;
    int targetSelection;  // -1: none
    int moved;
    Names sourceAfter;
    Names targetAfter;
    int selectionAfter;
};

class LibraryMoveSelected : public testing::TestWithParam<MoveCase> {};

TEST_P(LibraryMoveSelected, MovesSelectedItemsAfterTheTargetSelection)
{
    const MoveCase& c = GetParam();
    MemoryListBox from(c.source);
    for (int i : c.selected)
        from.setSelected(i, true);
    MemoryListBox to(c.target);
    to.setSelection(c.targetSelection);

    EXPECT_EQ(seLibrary::MoveSelected(from, to), c.moved);
    EXPECT_EQ(from.items(), c.sourceAfter);
    EXPECT_EQ(to.items(), c.targetAfter);
    EXPECT_EQ(to.currentSelection(), c.selectionAfter);
}

INSTANTIATE_TEST_SUITE_P(Rules, LibraryMoveSelected,
    testing::Values(
        MoveCase{"OneIntoEmptyBecomesSelection", {"a", "b"}, {1}, {}, -1, 1, {"a"}, {"b"}, 0},
        MoveCase{"OneAfterSelection", {"a", "b"}, {1}, {"x", "y"}, 0, 1, {"a"}, {"x", "b", "y"}, 1},
        MoveCase{"OneAfterLastSelected", {"a"}, {0}, {"x", "y"}, 1, 1, {}, {"x", "y", "a"}, 2},
        MoveCase{"NoTargetSelectionAppends", {"a", "b", "c"}, {0, 2}, {"x", "y"}, -1, 2, {"b"},
                 {"x", "y", "a", "c"}, -1},
        MoveCase{"SeveralKeepOrderAfterSelection", {"a", "b", "c"}, {0, 2}, {"x", "y"}, 0, 2, {"b"},
                 {"x", "a", "c", "y"}, 0},
        MoveCase{"AdjacentSelectedItems", {"a", "b", "c", "d"}, {1, 2}, {}, -1, 2, {"a", "d"}, {"b", "c"}, -1},
        MoveCase{"NothingSelected", {"a", "b"}, {}, {"x"}, 0, 0, {"a", "b"}, {"x"}, 0}),
    [](const testing::TestParamInfo<MoveCase>& info) { return std::string(info.param.label); });

class LibraryBoxes : public testing::Test {
protected:
    void SetUp() override
    {
        plat::setBoxPresenter([this](const plat::BoxRequest& request) {
            shown.push_back(request);
            return plat::BoxAnswer::Ok;
        });
    }
    void TearDown() override { plat::setBoxPresenter(nullptr); }
    std::vector<plat::BoxRequest> shown;
};

TEST_F(LibraryBoxes, ErrorAndNoteUseTheirTitlesAndIcons)
{
    seLibrary::ShowError(0x4200007, "Cannot open the folder.");
    seLibrary::ShowNote("No images were found.");
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].title, "Error");
    EXPECT_EQ(shown[0].icon, plat::BoxIcon::Error);
    EXPECT_EQ(shown[0].text, "Cannot open the folder.");
    EXPECT_EQ(shown[0].ownerXid, 0x4200007u);
    EXPECT_EQ(shown[0].buttons, plat::BoxButtons::Ok);
    EXPECT_EQ(shown[1].title, "Note");
    EXPECT_EQ(shown[1].icon, plat::BoxIcon::Information);
    EXPECT_EQ(shown[1].text, "No images were found.");
    EXPECT_EQ(shown[1].ownerXid, 0u);
}

TEST(Library, FileExistsForFilesAndFolders)
{
    testsupport::TempFolder dir;
    dir.write("file.txt", "x");
    dir.makeFolder("sub");
    EXPECT_TRUE(seLibrary::FileExists(dir.file("file.txt")));
    EXPECT_TRUE(seLibrary::FileExists(dir.file("sub")));
    EXPECT_FALSE(seLibrary::FileExists(dir.file("missing.txt")));
    EXPECT_FALSE(seLibrary::FileExists(""));
}

struct EditCase {
    std::string text;
    std::string from;
    std::string to;
    std::string erased;
    int erasedCount;
    std::string replaced;
    int replacedCount;
};

std::ostream& operator<<(std::ostream& out, const EditCase& c)
{
    return out << '"' << c.text << "\" from \"" << c.from << "\" to \"" << c.to << '"';
}

class LibraryTextEdit : public testing::TestWithParam<EditCase> {};

TEST_P(LibraryTextEdit, EraseAndReplaceEveryOccurrence)
{
    const EditCase& c = GetParam();
    std::string erased = c.text;
    EXPECT_EQ(seLibrary::EraseAll(erased, c.from), c.erasedCount);
    EXPECT_EQ(erased, c.erased);
    std::string replaced = c.text;
    EXPECT_EQ(seLibrary::ReplaceAll(replaced, c.from, c.to), c.replacedCount);
    EXPECT_EQ(replaced, c.replaced);
    EXPECT_EQ(seLibrary::Contains(c.text, c.from), c.erasedCount > 0 || c.from.empty());
}

INSTANTIATE_TEST_SUITE_P(Texts, LibraryTextEdit,
    testing::Values(EditCase{"a-b-c", "-", "+", "abc", 2, "a+b+c", 2},
                    EditCase{"aaa", "a", "b", "", 3, "bbb", 3},
                    // The replacement contains the pattern: scanning goes on after it.
                    EditCase{"a.b.c", ".", "..", "abc", 2, "a..b..c", 2},
                    EditCase{"<br><br>x", "<br>", "", "x", 2, "x", 2},
                    EditCase{"abc", "z", "y", "abc", 0, "abc", 0},
                    EditCase{"abc", "", "y", "abc", 0, "abc", 0},
                    EditCase{"", "a", "b", "", 0, "", 0}));

TEST(Library, ContainsIsAPlainSubstringTest)
{
    EXPECT_TRUE(seLibrary::Contains("http://host/pic.jpg", ".jpg"));
    EXPECT_FALSE(seLibrary::Contains("http://host/pic.JPG", ".jpg"));
    EXPECT_FALSE(seLibrary::Contains("", "a"));
}

struct SmoothCase {
    double x, low, high, expected;
};

class LibrarySmoothStep : public testing::TestWithParam<SmoothCase> {};

TEST_P(LibrarySmoothStep, Value)
{
    const SmoothCase& c = GetParam();
    EXPECT_DOUBLE_EQ(seLibrary::SmoothStep(c.x, c.low, c.high), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Points, LibrarySmoothStep,
    testing::Values(SmoothCase{-0.1, 0, 1, 0}, SmoothCase{0, 0, 1, 0}, SmoothCase{0.25, 0, 1, 0.15625},
                    SmoothCase{0.5, 0, 1, 0.5}, SmoothCase{0.75, 0, 1, 0.84375}, SmoothCase{1, 0, 1, 1},
                    SmoothCase{5, 0, 1, 1}, SmoothCase{3, 2, 4, 0.5}, SmoothCase{2, 2, 2, 0},
                    SmoothCase{7, 2, 2, 0}));

struct RotateCase {
    double angle, x, y, ex, ey;
};

class LibraryRotate : public testing::TestWithParam<RotateCase> {};

TEST_P(LibraryRotate, CounterClockwiseInRadians)
{
    const RotateCase& c = GetParam();
    double x = c.x, y = c.y;
    seLibrary::Rotate2D(c.angle, x, y);
    EXPECT_NEAR(x, c.ex, 1e-12);
    EXPECT_NEAR(y, c.ey, 1e-12);
    float fx = float(c.x), fy = float(c.y);
    seLibrary::Rotate2D(float(c.angle), fx, fy);
    EXPECT_NEAR(fx, c.ex, 1e-5);
    EXPECT_NEAR(fy, c.ey, 1e-5);
}

INSTANTIATE_TEST_SUITE_P(Angles, LibraryRotate,
    testing::Values(RotateCase{std::numbers::pi / 2, 1, 0, 0, 1}, RotateCase{std::numbers::pi, 1, 2, -1, -2},
                    RotateCase{-std::numbers::pi / 2, 0, 3, 3, 0}, RotateCase{0, 4, 5, 4, 5},
                    RotateCase{std::numbers::pi / 4, 1, 1, 0, std::sqrt(2.0)}));

} // namespace
