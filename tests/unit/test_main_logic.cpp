#include <gtest/gtest.h>

#include "MainLogic.h"

TEST(AppFolders, ExecutableInASubFolder) {
    EXPECT_EQ(AppDirOf("C:\\Programs\\Tovira\\Tovira.exe"), "C:\\Programs\\Tovira\\");
    EXPECT_EQ(ImagesDirOf("C:\\Programs\\Tovira\\Tovira.exe"), "C:\\Programs\\Tovira\\images");
}

TEST(AppFolders, ExecutableAtADriveRootGetsNoDoubledBackslash) {
    EXPECT_EQ(AppDirOf("C:\\Tovira.exe"), "C:\\");
    EXPECT_EQ(ImagesDirOf("C:\\Tovira.exe"), "C:\\images");
}

TEST(OptionValues, ReadAsTheOptionsFileIntends) {
    struct Case {
        const char* text;
        bool expected;
    } cases[] = {
        {"1", true},    {"2", true},      {"-1", true},  {"0x10", true}, {"0X10", true},
        {"0", false},   {"0x0", false},   {"-0", false}, {"yes", true},  {"abc", true},
        {"", true},     {"0x", true},     {"0xG1", true}, {"1 ", true},  {"12a", true},
        {"99999999999", true},  // out of range: does not convert, default
        {"0xFFFFFFFF", true}, {"0x00000000", false},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseOptionFlag(c.text, true), c.expected) << '"' << c.text << '"';
    // A value that does not convert takes the default, whatever it is.
    EXPECT_FALSE(ParseOptionFlag("abc", false));
    EXPECT_FALSE(ParseOptionFlag("", false));
    EXPECT_TRUE(ParseOptionFlag("7", false));
}

TEST(CategoryNames, TrimmedAndLowerCasedForComparison) {
    EXPECT_EQ(CategoryCaption("General"), "   General   ");
    EXPECT_EQ(CategoryKey(CategoryCaption("General")), "general");
    EXPECT_EQ(CategoryKey(CategoryCaption("GENERAL")), "general");
    EXPECT_EQ(CategoryKey(CategoryCaption("general2")), "general2");
    EXPECT_EQ(CategoryKey(CategoryCaption(" additional ")), "additional");
    EXPECT_EQ(LastPathComponent("C:\\app\\images\\zoo"), "zoo");
}

// The program's own files ("Tovira.chm" and "Tovira.ini" are the longest
// names) must be nameable within MAX_PATH, 259 characters and the zero.
TEST(AppFolder, FitsWhileItsLongestOwnFileNameStaysWithinMaxPath) {
    const std::string fits = "C:\\" + std::string(245, 'f') + "\\";  // 249 characters
    const std::string tooLong = "C:\\" + std::string(246, 'f') + "\\";
    EXPECT_TRUE(AppFolderFits(fits + "Tovira.exe"));
    EXPECT_FALSE(AppFolderFits(tooLong + "Tovira.exe"));
    EXPECT_TRUE(AppFolderFits("C:\\Tovira.exe"));
    EXPECT_FALSE(AppFolderFits(""));  // no path could be had
    EXPECT_EQ(AppFolderTooLongMessage("C:\\deep\\Tovira\\Tovira.exe"),
              "The folder path of Tovira is too long: C:\\deep\\Tovira\n\nMove the Tovira folder to a folder with a "
              "shorter path, for example C:\\Tovira, and start it again");
}
