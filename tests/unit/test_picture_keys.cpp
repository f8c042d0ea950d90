// Keyboard moves over a crafted flow of pictures of different sizes: reading
// order across row ends, up and down to the nearest picture, pages, and
// pictures that cannot take the focus; finding a picture by typed letters.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "PictureKeys.h"

namespace {

using flow::Move;

// 120 px wide (text area 10..110). Rows, with the centres of the pictures:
//   row 0: p0 (30x20, centre 25)  p1 (20x30, 58)
//   row 1: p2 (40x10, 30)  p3 (30x30, 73)  p4 (10x10, 101)
//   row 2: p5 (50x40, 35)  p6 (20x20, 78)
//   row 3: p7 (20x20, 20)
flow::Layout Crafted() {
    return flow::LayOut({{30, 20}, {20, 30}, {40, 10}, {30, 30}, {10, 10}, {50, 40}, {20, 20}, {20, 20}}, 120);
}

struct Keys : ::testing::Test {
    flow::Layout layout = Crafted();
    std::set<int> broken;
    int Go(int from, Move move, int page = 0) {
        return flow::NextFocus(layout, from, move, page, [&](int i) { return broken.count(i) == 0; });
    }
};

TEST_F(Keys, TheCraftedLayoutHasTheRowsTheMovesAssume) {
    ASSERT_EQ(layout.Rows().size(), 4u);
    EXPECT_EQ(layout.Rows()[0].last, 2);
    EXPECT_EQ(layout.Rows()[1].last, 5);
    EXPECT_EQ(layout.Rows()[2].last, 7);
    EXPECT_EQ(flow::RowOf(layout, 4), 1);
    EXPECT_EQ(flow::RowOf(layout, 7), 3);
    EXPECT_EQ(flow::RowOf(layout, 8), -1);
}

TEST_F(Keys, LeftAndRightFollowReadingOrderAcrossRowEnds) {
    EXPECT_EQ(Go(1, Move::Right), 2);
    EXPECT_EQ(Go(2, Move::Left), 1);
    EXPECT_EQ(Go(7, Move::Right), 7);  // the end: it stays
    EXPECT_EQ(Go(0, Move::Left), 0);
    EXPECT_EQ(Go(3, Move::Home), 0);
    EXPECT_EQ(Go(3, Move::End), 7);
}

TEST_F(Keys, UpAndDownGoToTheHorizontallyNearestPictureOfTheNextRow) {
    EXPECT_EQ(Go(1, Move::Down), 3);  // 58: p3 at 73 is nearer than p2 at 30
    EXPECT_EQ(Go(0, Move::Down), 2);
    EXPECT_EQ(Go(3, Move::Down), 6);
    EXPECT_EQ(Go(4, Move::Down), 6);  // past the row's end: the last one there
    EXPECT_EQ(Go(6, Move::Down), 7);
    EXPECT_EQ(Go(7, Move::Down), 7);
    EXPECT_EQ(Go(4, Move::Up), 1);
    EXPECT_EQ(Go(2, Move::Up), 0);
    EXPECT_EQ(Go(0, Move::Up), 0);
}

TEST_F(Keys, PicturesThatCannotTakeTheFocusArePassedOver) {
    broken = {0, 3, 5, 6};
    EXPECT_EQ(Go(2, Move::Right), 4);
    EXPECT_EQ(Go(4, Move::Left), 2);
    EXPECT_EQ(Go(1, Move::Down), 2);  // p3 is nearer but broken
    EXPECT_EQ(Go(4, Move::Down), 7);  // row 2 has nothing: on to row 3
    EXPECT_EQ(Go(7, Move::Up), 2);    // nearest to 20 in row 1
    EXPECT_EQ(Go(4, Move::Home), 1);
    EXPECT_EQ(Go(-1, Move::Right), 1);  // no focus yet: the first that can take it
    broken = {7, 6};
    EXPECT_EQ(Go(-1, Move::End), 5);
    broken = {0, 1, 2, 3, 4, 5, 6, 7};
    EXPECT_EQ(Go(-1, Move::Home), -1);
    EXPECT_EQ(Go(3, Move::Down), 3);
}

TEST_F(Keys, PagesMoveByTheViewHeightAndAtLeastOneRow) {
    const auto& rows = layout.Rows();
    const int centre0 = (layout.Box(0).top + layout.Box(0).bottom) / 2;
    // A page that reaches row 2 from p0 skips row 1.
    EXPECT_EQ(Go(0, Move::PageDown, rows[2].top - centre0 + 1), 5);
    EXPECT_EQ(Go(0, Move::PageDown, 1), 2);       // a tiny page still moves a row
    EXPECT_EQ(Go(0, Move::PageDown, 100000), 7);  // past the end: the last row
    EXPECT_EQ(Go(7, Move::PageUp, 100000), 0);
    EXPECT_EQ(Go(7, Move::PageDown, 50), 7);
    EXPECT_EQ(Go(6, Move::PageUp, 1), 3);
    // The target row has nothing that can take the focus: the row before it.
    broken = {5, 6};
    EXPECT_EQ(Go(0, Move::PageDown, rows[2].top - centre0 + 1), 2);
}

TEST(FindByPrefix, LettersWithoutCaseFromTheStartWrappingRound) {
    const std::vector<std::string> names{"smile.gif", "Sad.jpg", "star.png", "sun.jpg", "Smirk.gif"};
    const auto name = [&](int i) -> const std::string& { return names[static_cast<size_t>(i)]; };
    const auto all = [](int) { return true; };
    const auto notStar = [](int i) { return i != 2; };
    EXPECT_EQ(flow::FindByPrefix(5, name, 1, "s", all), 1);
    EXPECT_EQ(flow::FindByPrefix(5, name, 0, "sm", all), 0);
    EXPECT_EQ(flow::FindByPrefix(5, name, 1, "SM", all), 4);
    EXPECT_EQ(flow::FindByPrefix(5, name, 4, "su", all), 3);  // wraps
    EXPECT_EQ(flow::FindByPrefix(5, name, 5, "smi", all), 0);  // past the end starts over
    EXPECT_EQ(flow::FindByPrefix(5, name, 0, "st", notStar), -1);
    EXPECT_EQ(flow::FindByPrefix(5, name, 0, "x", all), -1);
    EXPECT_EQ(flow::FindByPrefix(5, name, 0, "", all), -1);
    EXPECT_EQ(flow::FindByPrefix(0, name, 0, "s", all), -1);
}

}  // namespace
