// The decisions behind the live library: which categories a change touches,
// when a burst is refreshed, where a new tab goes, what to add and remove.
#include <gtest/gtest.h>

#include "LibraryChanges.h"

using library::Change;
using library::PendingRefresh;

TEST(LibraryChanges, APathNamesItsCategoryAndOnlyATopLevelEntryChangesTheList) {
    EXPECT_EQ(library::CategoryOfChange({"General\\smile.gif"}), "General");
    EXPECT_EQ(library::CategoryOfChange({"zoo/sub/x.gif"}), "zoo");
    EXPECT_EQ(library::CategoryOfChange({"zoo"}), "zoo");
    EXPECT_EQ(library::CategoryOfChange({"", true}), "");
    EXPECT_TRUE(library::ChangesCategoryList({"zoo"}));
    EXPECT_TRUE(library::ChangesCategoryList({"", true}));
    EXPECT_FALSE(library::ChangesCategoryList({"zoo\\a.gif"}));
    // A file lying in the library folder itself looks like a category to the
    // watch: the list is read again and finds nothing new.
    EXPECT_TRUE(library::ChangesCategoryList({"readme.txt"}));
}

TEST(LibraryChanges, ABurstIsOneRefreshOfEachCategoryItTouched) {
    PendingRefresh pending(300, 1500);
    EXPECT_FALSE(pending.Pending());
    for (int i = 0; i < 1000; ++i)
        pending.Note({"General\\p" + std::to_string(i) + ".gif"}, 1000 + static_cast<std::uint32_t>(i % 100));
    pending.Note({"zoo\\a.png"}, 1100);
    ASSERT_TRUE(pending.Pending());
    EXPECT_EQ(pending.WaitMs(1100), 300u);  // quiet time counts from the last change
    EXPECT_EQ(pending.WaitMs(1350), 50u);
    EXPECT_EQ(pending.WaitMs(1400), 0u);
    const PendingRefresh::Work work = pending.Take();
    EXPECT_FALSE(work.categoryList);
    EXPECT_FALSE(work.everyCategory);
    EXPECT_EQ(work.categories, (std::set<std::string>{"general", "zoo"}));
    EXPECT_FALSE(pending.Pending());
    EXPECT_TRUE(pending.Take().categories.empty());
}

TEST(LibraryChanges, AStreamThatNeverPausesIsStillRefreshedInTime) {
    PendingRefresh pending(300, 1500);
    std::uint32_t now = 5000;
    pending.Note({"a\\1.gif"}, now);
    for (; now < 5000 + 1500; now += 100) {
        pending.Note({"a\\x.gif"}, now);
        EXPECT_GT(pending.WaitMs(now), 0u) << now;
        EXPECT_LE(pending.WaitMs(now), 5000 + 1500 - now) << now;
    }
    EXPECT_EQ(pending.WaitMs(now), 0u);
}

TEST(LibraryChanges, TheTickCountWrappingDoesNotDelayARefresh) {
    PendingRefresh pending(300, 1500);
    pending.Note({"a\\1.gif"}, 0xFFFFFF00u);
    EXPECT_EQ(pending.WaitMs(0xFFFFFF00u), 300u);
    EXPECT_EQ(pending.WaitMs(0x00000100u), 0u);  // 512 ms later, across the wrap
}

TEST(LibraryChanges, TheLibraryComingOrGoingRefreshesEverything) {
    PendingRefresh pending(300, 1500);
    pending.Note({"zoo"}, 10);
    EXPECT_TRUE(pending.Take().categoryList);
    pending.Note({"", true}, 20);
    const PendingRefresh::Work work = pending.Take();
    EXPECT_TRUE(work.categoryList);
    EXPECT_TRUE(work.everyCategory);
}

TEST(LibraryChanges, ANewTabGoesWhereTheTabOrderPutsIt) {
    const std::vector<std::string> tabs = {"general", "additional", "Animals", "people"};
    EXPECT_EQ(library::TabInsertIndex(tabs, "zoo"), 4);
    EXPECT_EQ(library::TabInsertIndex(tabs, "Birds"), 3);
    EXPECT_EQ(library::TabInsertIndex(tabs, "aardvark"), 2);
    EXPECT_EQ(library::TabInsertIndex({"additional", "zoo"}, "General"), 0);
    EXPECT_EQ(library::TabInsertIndex({"general", "zoo"}, "ADDITIONAL"), 1);
    EXPECT_EQ(library::TabInsertIndex({"general", "additional"}, "additional2"), 2);
    EXPECT_EQ(library::TabInsertIndex({}, "zoo"), 0);
}

TEST(LibraryChanges, TheFoldersOnDiskAgainstTheTabsGiveWhatToAddAndRemove) {
    const library::CategoryDiff diff =
        library::DiffCategories({"general", "Zoo", "old"}, {"ZOO", "general", "new", "another"});
    EXPECT_EQ(diff.added, (std::vector<std::string>{"new", "another"}));
    EXPECT_EQ(diff.removed, (std::vector<std::string>{"old"}));
    const library::CategoryDiff gone = library::DiffCategories({"a", "b"}, {});
    EXPECT_TRUE(gone.added.empty());
    EXPECT_EQ(gone.removed, (std::vector<std::string>{"a", "b"}));
}
