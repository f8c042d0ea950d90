// The icon page's lines and the pick's title filter, as text.
#include <gtest/gtest.h>

#include "IconPageText.h"

namespace {
const std::string kHead =
    "<html> <head> <script language=\"JavaScript\" type=\"text/JavaScript\"> "
    "function settitle(msg) { document.title=msg; } </script> </head> <body bgcolor=\"#FFFFFF\">";
}

TEST(IconPageLines, TwoPicturesGiveHeadTwoPictureLinesAndTail) {
    const std::vector<std::string> lines =
        BuildPageLines({"C:\\Prog\\images\\general\\a.gif", "C:\\Prog\\images\\general\\b.png"});
    const std::vector<std::string> expected = {
        kHead,
        "<img src=\"C:/Prog/images/general/a.gif\" onClick=\"settitle( 'C:/Prog/images/general/a.gif')\">&nbsp; ",
        "<img src=\"C:/Prog/images/general/b.png\" onClick=\"settitle( 'C:/Prog/images/general/b.png')\">&nbsp; ",
        "</body> </html>",
    };
    EXPECT_EQ(lines, expected);
}

TEST(IconPageLines, NoPicturesGiveAnEmptyPage) { EXPECT_TRUE(BuildPageLines({}).empty()); }

TEST(IconPageLines, ApostropheAndAmpersandAreEscapedWhereTheyWouldBreakTheLine) {
    EXPECT_EQ(PicturePageLine("C:\\p\\Bob's cat.gif"),
              "<img src=\"C:/p/Bob's cat.gif\" onClick=\"settitle( 'C:/p/Bob\\'s cat.gif')\">&nbsp; ");
    EXPECT_EQ(PicturePageLine("C:\\p\\fish & chips.png"),
              "<img src=\"C:/p/fish &amp; chips.png\" onClick=\"settitle( 'C:/p/fish &amp; chips.png')\">&nbsp; ");
    // Both at once: the script escape comes first, the attribute's last.
    EXPECT_EQ(PicturePageLine("C:\\p\\'&'.gif"),
              "<img src=\"C:/p/'&amp;'.gif\" onClick=\"settitle( 'C:/p/\\'&amp;\\'.gif')\">&nbsp; ");
    // Other characters stay as they are.
    EXPECT_EQ(PicturePageLine("C:\\p\\100% fun (1).jpg"),
              "<img src=\"C:/p/100% fun (1).jpg\" onClick=\"settitle( 'C:/p/100% fun (1).jpg')\">&nbsp; ");
}

// Names Windows never gives but a Unix folder seen through Wine does: a
// double quote once ended both attributes early, a line break made the click
// script a syntax error.
TEST(IconPageLines, QuotesAndLineBreaksOfUnixNamesStillPickThePicture) {
    EXPECT_EQ(PicturePageLine("Z:\\p\\say \"hi\".gif"),
              "<img src=\"Z:/p/say &quot;hi&quot;.gif\" onClick=\"settitle( 'Z:/p/say &quot;hi&quot;.gif')\">&nbsp; ");
    EXPECT_EQ(PicturePageLine("Z:\\p\\two\nlines\r.png"),
              "<img src=\"Z:/p/two\nlines\r.png\" onClick=\"settitle( 'Z:/p/two\\nlines\\r.png')\">&nbsp; ");
}

TEST(IconPageLines, ExtensionMatchIgnoresCaseAndNeedsTheWholeExtension) {
    EXPECT_TRUE(HasExtension("x.JPG", "jpg"));
    EXPECT_TRUE(HasExtension("a.b.Gif", "gif"));
    EXPECT_FALSE(HasExtension("x.jpeg", "jpg"));
    EXPECT_FALSE(HasExtension("x.gifx", "gif"));
    EXPECT_FALSE(HasExtension("xgif", "gif"));
    EXPECT_FALSE(HasExtension("gif", "gif"));
    EXPECT_TRUE(HasExtension(".gif", "gif"));  // dot-names are skipped by the walk, not here
}

TEST(PickTitles, OnlyPicturePathsArePicked) {
    EXPECT_TRUE(IsPictureTitle("C:/x/images/general/smile.GIF"));
    EXPECT_TRUE(IsPictureTitle("C:/x/a.jpg"));
    EXPECT_TRUE(IsPictureTitle("C:/x/a.Png"));
    EXPECT_TRUE(IsPictureTitle("C:/x/a.bmp"));
    EXPECT_FALSE(IsPictureTitle("C:/x/images/general/smile.jpeg"));
    EXPECT_FALSE(IsPictureTitle("C:/x/images/general/smile"));
    EXPECT_FALSE(IsPictureTitle(""));
    EXPECT_FALSE(IsPictureTitle("about:blank"));
    // The forward slash is no delimiter: the extension runs on to the end.
    EXPECT_EQ(TitleExtension("C:/a.gif/face"), ".gif/face");
    EXPECT_FALSE(IsPictureTitle("C:/a.gif/face"));
    // A backslash or a colon after the last dot ends the search: no extension.
    EXPECT_EQ(TitleExtension("C:\\a.gif\\face"), "");
    EXPECT_EQ(TitleExtension("a.gif:stream"), "");
    EXPECT_EQ(TitleExtension("C:/a.GIF"), ".gif");
}
