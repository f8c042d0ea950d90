// The Recent list: order, duplicates, the cap, missing files, stored junk.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "RecentPictures.h"

namespace {

// A file system that holds exactly these files.
RecentPictures::ExistsFn Holding(std::set<std::string> files) {
    return [files](const std::string& path) { return files.count(path) > 0; };
}

std::vector<std::string> Numbered(int from, int to) {
    std::vector<std::string> paths;
    for (int i = from; i >= to; --i) paths.push_back("C:\\p\\" + std::to_string(i) + ".gif");
    return paths;
}

}  // namespace

TEST(RecentPictures, MostRecentFirstWithBackslashes) {
    RecentPictures list;
    list.Picked("C:/x/images/general/smile.gif");
    list.Picked("C:/x/images/general/wink.png");
    list.Picked("C:\\x\\images\\animals\\cat.jpg");
    EXPECT_EQ(list.Paths(), (std::vector<std::string>{"C:\\x\\images\\animals\\cat.jpg",
                                                      "C:\\x\\images\\general\\wink.png",
                                                      "C:\\x\\images\\general\\smile.gif"}));
}

TEST(RecentPictures, PickingAgainMovesToTheFrontOnceWhateverTheCaseOrSlashes) {
    RecentPictures list;
    list.Picked("C:/x/a.gif");
    list.Picked("C:/x/b.gif");
    list.Picked("C:/x/c.gif");
    list.Picked("c:\\X\\B.GIF");
    EXPECT_EQ(list.Paths(), (std::vector<std::string>{"c:\\X\\B.GIF", "C:\\x\\c.gif", "C:\\x\\a.gif"}));
    list.Picked("c:\\X\\B.GIF");  // the front one again: nothing moves
    EXPECT_EQ(list.Paths().size(), 3u);
    EXPECT_EQ(list.Paths().front(), "c:\\X\\B.GIF");
}

TEST(RecentPictures, KeepsTheLast24) {
    RecentPictures list;
    for (int i = 1; i <= 30; ++i) list.Picked("C:\\p\\" + std::to_string(i) + ".gif");
    EXPECT_EQ(list.Paths(), Numbered(30, 7));
    // An old one picked again comes back to the front; the oldest drops.
    list.Picked("C:\\p\\3.gif");
    ASSERT_EQ(list.Paths().size(), 24u);
    EXPECT_EQ(list.Paths().front(), "C:\\p\\3.gif");
    EXPECT_EQ(list.Paths().back(), "C:\\p\\8.gif");
}

TEST(RecentPictures, DropMissingKeepsTheOrderOfTheRest) {
    RecentPictures list;
    for (const char* p : {"C:\\a.gif", "C:\\b.gif", "C:\\c.gif"}) list.Picked(p);
    EXPECT_FALSE(list.DropMissing(Holding({"C:\\a.gif", "C:\\b.gif", "C:\\c.gif"})));
    EXPECT_TRUE(list.DropMissing(Holding({"C:\\a.gif", "C:\\c.gif"})));
    EXPECT_EQ(list.Paths(), (std::vector<std::string>{"C:\\c.gif", "C:\\a.gif"}));
    EXPECT_TRUE(list.DropMissing(Holding({})));
    EXPECT_TRUE(list.Empty());
}

TEST(RecentPictures, LoadKeepsExistingPictureFilesInKeyOrderAndIgnoresJunk) {
    const std::vector<std::string> stored = {
        "C:\\lib\\general\\smile.gif",  // kept
        "",                              // an empty or absent key
        "smile.gif",                     // not a full path
        "C:\\lib\\notes.txt",            // not a picture
        "C:\\lib\\general\\gone.png",    // no such file
        "C:\\lib\\general\\face.JPEG",   // not one of the four extensions
        "C:\\LIB\\GENERAL\\SMILE.GIF",   // the first again
        "C:\\lib\\folder.bmp",           // a folder, which the file system does not count as a file
        "\\\\server\\share\\cat.BMP",    // kept: a network path
        "C:/lib/general/wink.png",       // kept, with backslashes
        "C:\\lib\\general\\a\nb.gif",    // a line break in the name
    };
    RecentPictures list;
    list.Load(stored, Holding({"C:\\lib\\general\\smile.gif", "C:\\lib\\notes.txt", "C:\\lib\\general\\face.JPEG",
                               "C:\\LIB\\GENERAL\\SMILE.GIF", "\\\\server\\share\\cat.BMP",
                               "C:\\lib\\general\\wink.png", "C:\\lib\\general\\a\nb.gif", "smile.gif"}));
    EXPECT_EQ(list.Paths(), (std::vector<std::string>{"C:\\lib\\general\\smile.gif", "\\\\server\\share\\cat.BMP",
                                                      "C:\\lib\\general\\wink.png"}));
}

TEST(RecentPictures, LoadStopsAt24) {
    std::vector<std::string> stored = Numbered(30, 1);
    RecentPictures list;
    list.Load(stored, [](const std::string&) { return true; });
    EXPECT_EQ(list.Paths(), Numbered(30, 7));
}
