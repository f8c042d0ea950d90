// The "Hotkey" option's text and the Run value's command: window-free, also
// built natively under the sanitizers.
#include <gtest/gtest.h>

#include <string>

#include "HotkeyText.h"
#include "StartupCommand.h"

namespace {

using hotkey::Combination;
using hotkey::Parse;
using hotkey::Reading;

// Virtual-key codes and modifier bits as the platform numbers them.
constexpr unsigned kVkSpace = 0x20, kVkF1 = 0x70, kVkF9 = 0x78, kVkF12 = 0x7B, kVkF24 = 0x87;
constexpr unsigned kModAlt = 1, kModControl = 2, kModShift = 4, kModWin = 8;

Combination Read(const std::string& text) {
    const hotkey::Parsed parsed = Parse(text);
    EXPECT_EQ(parsed.reading, Reading::Combination) << text;
    return parsed.combination;
}

bool Invalid(const std::string& text) { return Parse(text).reading == Reading::Invalid; }

TEST(HotkeyText, EveryModifierAndEveryKey) {
    EXPECT_EQ(Read("Ctrl+A"), (Combination{kModControl, 'A'}));
    EXPECT_EQ(Read("Alt+Z"), (Combination{kModAlt, 'Z'}));
    EXPECT_EQ(Read("Win+0"), (Combination{kModWin, '0'}));
    EXPECT_EQ(Read("Shift+F9"), (Combination{kModShift, kVkF9}));
    EXPECT_EQ(Read("Ctrl+Alt+Shift+Win+Space"), (Combination{kModControl | kModAlt | kModShift | kModWin, kVkSpace}));
    for (char c = 'A'; c <= 'Z'; ++c) EXPECT_EQ(Read(std::string("Ctrl+") + c).key, static_cast<unsigned>(c));
    for (char c = '0'; c <= '9'; ++c) EXPECT_EQ(Read(std::string("Alt+") + c).key, static_cast<unsigned>(c));
    for (int n = 1; n <= 24; ++n)
        EXPECT_EQ(Read("Ctrl+Shift+F" + std::to_string(n)).key, kVkF1 + static_cast<unsigned>(n - 1));
    EXPECT_EQ(Read("Ctrl+Shift+F12").key, kVkF12);
    EXPECT_EQ(Read("Ctrl+F24").key, kVkF24);
    // The modifiers in any order.
    EXPECT_EQ(Read("Shift+Win+E"), Read("Win+Shift+E"));
    EXPECT_EQ(Read(hotkey::kDefault), (Combination{kModWin | kModShift, 'E'}));
}

TEST(HotkeyText, AnyCaseAndBlanksAroundThePlusesAndEnds) {
    EXPECT_EQ(Read("ctrl+shift+f9"), (Combination{kModControl | kModShift, kVkF9}));
    EXPECT_EQ(Read("CTRL+SHIFT+F9"), Read("Ctrl+Shift+F9"));
    EXPECT_EQ(Read("wIn+ALT+sPaCe"), (Combination{kModWin | kModAlt, kVkSpace}));
    EXPECT_EQ(Read("  Ctrl \t+  Shift+\tF9  "), Read("Ctrl+Shift+F9"));
    EXPECT_EQ(Read("Ctrl+e"), Read("Ctrl+E"));
    EXPECT_EQ(Read("Ctrl+f").key, static_cast<unsigned>('F'));  // the letter, not a function key
}

TEST(HotkeyText, EmptyMeansNoHotkey) {
    EXPECT_EQ(Parse("").reading, Reading::None);
    EXPECT_EQ(Parse("  \t ").reading, Reading::None);
}

TEST(HotkeyText, JunkIsRefused) {
    for (const char* text : {"junk", "Ctrl", "Ctrl+", "+F9", "Ctrl++F9", "Ctrl+Shift", "F9", "A", "Space", "+",
                             "Ctrl+Shift+F9+", "Ctrl+-", "Ctrl+Esc", "Ctrl+Enter", "Ctrl+Tab", "Control+A", "Cmd+A",
                             "Ctrl A", "Ctrl+F 9", "Ctr l+A", "Ctrl+Spacebar", "Ctrl+\xE9", "Ctrl\0+A"})
        EXPECT_TRUE(Invalid(text)) << text;
    EXPECT_TRUE(Invalid(std::string("Ctrl+\0A", 7)));
}

TEST(HotkeyText, KeysTooLongOrOutOfRangeAreRefused) {
    for (const char* text : {"Ctrl+F0", "Ctrl+F25", "Ctrl+F99", "Ctrl+F100", "Ctrl+F01", "Ctrl+F1x", "Ctrl+FF",
                             "Ctrl+AB", "Ctrl+10", "Ctrl+F-1", "Alt+Spaces", "Alt+F240"})
        EXPECT_TRUE(Invalid(text)) << text;
    EXPECT_TRUE(Invalid("Ctrl+" + std::string(5000, 'A')));
}

TEST(HotkeyText, DuplicatesAndTwoKeysAreRefused) {
    for (const char* text : {"Ctrl+Ctrl+A", "Ctrl+Shift+ctrl+A", "Win+Win+E", "Ctrl+A+B", "Ctrl+F9+F10", "A+Ctrl",
                             "Ctrl+A+Shift"})
        EXPECT_TRUE(Invalid(text)) << text;
}

// Shift alone with a typing key would take that character from every program.
TEST(HotkeyText, ShiftAloneWithATypingKeyIsRefused) {
    EXPECT_TRUE(Invalid("Shift+A"));
    EXPECT_TRUE(Invalid("Shift+5"));
    EXPECT_TRUE(Invalid("Shift+Space"));
    EXPECT_EQ(Read("Shift+F5").key, kVkF1 + 4);
    EXPECT_EQ(Read("Shift+Alt+A").modifiers, kModShift | kModAlt);
}

TEST(HotkeyText, TextWritesWhatParseReads) {
    EXPECT_EQ(hotkey::Text({kModShift | kModWin, 'E'}), "Shift+Win+E");
    EXPECT_EQ(hotkey::Text({kModControl | kModAlt | kModShift | kModWin, kVkSpace}), "Ctrl+Alt+Shift+Win+Space");
    EXPECT_EQ(hotkey::Text({kModControl, kVkF24}), "Ctrl+F24");
    EXPECT_EQ(hotkey::Text({kModAlt, '7'}), "Alt+7");
    for (const char* text : {"ctrl + shift + f9", "win+shift+e", "Alt+Win+space", "CTRL+F1"})
        EXPECT_EQ(Read(hotkey::Text(Read(text))), Read(text)) << text;
}

TEST(StartupCommand, QuotedFullPath) {
    EXPECT_EQ(StartupCommandFor("C:\\Program Files\\Tovira\\Tovira.exe"), "\"C:\\Program Files\\Tovira\\Tovira.exe\"");
}

TEST(StartupCommand, NamesTheExecutableQuotedOrNotWithoutCase) {
    const std::string exe = "C:\\Tools\\Tovira\\Tovira.exe";
    EXPECT_TRUE(StartupCommandNames("\"C:\\Tools\\Tovira\\Tovira.exe\"", exe));
    EXPECT_TRUE(StartupCommandNames("  \"c:\\tools\\TOVIRA\\tovira.EXE\"  ", exe));
    EXPECT_TRUE(StartupCommandNames("\"C:\\Tools\\Tovira\\Tovira.exe\" /quiet", exe));
    EXPECT_TRUE(StartupCommandNames("C:\\Tools\\Tovira\\Tovira.exe", exe));
}

TEST(StartupCommand, AnotherProgramOrCopyIsNotThisOne) {
    const std::string exe = "C:\\Tools\\Tovira\\Tovira.exe";
    EXPECT_FALSE(StartupCommandNames("\"D:\\Tovira\\Tovira.exe\"", exe));
    EXPECT_FALSE(StartupCommandNames("\"C:\\Tools\\Tovira\\Tovira.exe", exe));  // no closing quote
    EXPECT_FALSE(StartupCommandNames("\"C:\\Tools\\Tovira\\Tovira.exe\"x", exe));
    EXPECT_FALSE(StartupCommandNames("C:\\Tools\\Tovira\\Tovira.exe /quiet", exe));
    EXPECT_FALSE(StartupCommandNames("\"C:\\Tools\\Tovira\\Tovira.exe2\"", exe));
    EXPECT_FALSE(StartupCommandNames("", exe));
    EXPECT_FALSE(StartupCommandNames("\"\"", ""));
}

}  // namespace
