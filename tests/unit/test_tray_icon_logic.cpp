// The tray icon's window-free rules: tooltip bytes and icon indices.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "TrayIconLogic.h"

using namespace trayicon;

TEST(TrayIconLogic, TipIsTheFirst127BytesOrNothing) {
    EXPECT_EQ(TipText(std::string(200, 'h'), true), std::string(127, 'h'));
    EXPECT_EQ(TipText(std::string(127, 'h'), true), std::string(127, 'h'));
    EXPECT_EQ(TipText("hint", false), "");
    EXPECT_EQ(TipText("", true), "");
}

TEST(TrayIconLogic, StoredIndexStaysInsideTheList) {
    EXPECT_EQ(StoredIconIndex(7, 3, true), 2);
    EXPECT_EQ(StoredIconIndex(-4, 3, true), 0);
    EXPECT_EQ(StoredIconIndex(1, 3, true), 1);
    EXPECT_EQ(StoredIconIndex(5, 0, true), 0);
    EXPECT_EQ(StoredIconIndex(5, 3, false), 0);
}

TEST(TrayIconLogic, CyclingWrapsAfterTheLastImage) {
    EXPECT_EQ(NextCycleIndex(0, 3, true), 1);
    EXPECT_EQ(NextCycleIndex(2, 3, true), 0);
    EXPECT_EQ(NextCycleIndex(9, 3, true), 0);  // past the end: back to the start
    EXPECT_EQ(NextCycleIndex(1, 3, false), 0);
    EXPECT_EQ(NextCycleIndex(0, 0, true), 0);
    // A count of INT_MIN once overflowed working out the last index.
    EXPECT_EQ(NextCycleIndex(0, INT_MIN, true), 0);
    EXPECT_EQ(NextCycleIndex(INT_MIN, -1, true), 0);
}
