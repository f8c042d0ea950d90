#include <gtest/gtest.h>

#include <stdexcept>

#include "StringList.h"

namespace {

std::vector<std::string> Lines(const TStringList& list) { return {list.begin(), list.end()}; }

}  // namespace

TEST(StringList, AddInsertDeleteKeepOrder) {
    TStringList list;
    EXPECT_EQ(list.Add("b"), 0);
    EXPECT_EQ(list.Add("d"), 1);
    list.Insert(0, "a");
    list.Insert(2, "c");
    list.Insert(4, "e");  // at Count(): appends
    EXPECT_EQ(Lines(list), (std::vector<std::string>{"a", "b", "c", "d", "e"}));
    list.Delete(0);
    list.Delete(3);
    EXPECT_EQ(Lines(list), (std::vector<std::string>{"b", "c", "d"}));
    list[1] = "x";
    EXPECT_EQ(list.Strings(1), "x");
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST(StringList, IndexOutsideTheListThrows) {
    TStringList list;
    EXPECT_THROW(list.Delete(0), std::out_of_range);
    EXPECT_THROW((void)list[0], std::out_of_range);
    list.Add("a");
    EXPECT_THROW(list.Insert(2, "z"), std::out_of_range);
    EXPECT_THROW(list.Insert(-1, "z"), std::out_of_range);
    EXPECT_THROW((void)list.Strings(1), std::out_of_range);
    EXPECT_THROW(list.Delete(-1), std::out_of_range);
    EXPECT_EQ(list.Count(), 1);
}

TEST(StringList, IndexOfFoldsOnlyAsciiLettersByDefault) {
    TStringList list;
    list.Add("General");
    list.Add("\xC4pfel");
    list.Add("general");
    EXPECT_EQ(list.IndexOf("GENERAL"), 0);
    EXPECT_EQ(list.IndexOf("\xC4PFEL"), 1);
    EXPECT_EQ(list.IndexOf("\xE4pfel"), -1);  // bytes above 127 compare exactly
    EXPECT_EQ(list.IndexOf("gen"), -1);
    list.CaseSensitive = true;
    EXPECT_EQ(list.IndexOf("general"), 2);
    EXPECT_EQ(list.IndexOf("GENERAL"), -1);
}

TEST(StringList, TextEndsEveryLineWithCrLf) {
    TStringList list;
    EXPECT_EQ(list.Text(), "");
    list.Add("<html>");
    list.Add("");
    list.Add("</html>");
    EXPECT_EQ(list.Text(), "<html>\r\n\r\n</html>\r\n");
}

TEST(StringList, SetTextSplitsAtAnyLineBreak) {
    struct Case {
        std::string text;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},
        {"a\r\nb", {"a", "b"}},
        {"a\nb\n", {"a", "b"}},
        {"a\rb", {"a", "b"}},
        {"a\n\r\nb", {"a", "", "b"}},
        {"\r\n", {""}},
        {"a\r\n\r\n", {"a", ""}},
        {std::string("x\0y\r\n", 5), {std::string("x\0y", 3)}},
    };
    for (const Case& c : cases) {
        TStringList list;
        list.Add("old");
        list.SetText(c.text);
        EXPECT_EQ(Lines(list), c.lines) << "text: " << c.text;
    }
    TStringList round;
    round.SetText("one\ntwo\r\n\r\nthree");
    TStringList again;
    again.SetText(round.Text());
    EXPECT_EQ(Lines(again), Lines(round));
}
