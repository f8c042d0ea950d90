// The text of the "Hotkey" option: modifiers joined with "+", then one key,
// e.g. "Ctrl+Shift+F9". Pure logic: no windows.h here.
#pragma once
#include <string>
#include <string_view>

namespace hotkey {

// Modifier bits as RegisterHotKey takes them (MOD_ALT, MOD_CONTROL,
// MOD_SHIFT, MOD_WIN).
constexpr unsigned kAlt = 0x1, kControl = 0x2, kShift = 0x4, kWin = 0x8;

// What the option holds when Tovira.ini has no "Hotkey" key. The Windows
// key is left to the system by every program and types nothing on any
// keyboard layout; Win+Shift+E is not one of the system's own combinations.
constexpr char kDefault[] = "Win+Shift+E";

struct Combination {
    unsigned modifiers = 0;  // kAlt | kControl | kShift | kWin
    unsigned key = 0;        // virtual-key code: 'A'-'Z', '0'-'9', F1-F24, Space
    bool operator==(const Combination&) const = default;
};

enum class Reading {
    Combination,  // a hotkey
    None,         // an empty value: no hotkey
    Invalid,      // not a combination of this form
};

struct Parsed {
    Reading reading = Reading::None;
    Combination combination;
};

// Reads an option value. Names are matched without case; blanks (spaces,
// tabs) are allowed around every "+" and at both ends. At least one
// modifier, each at most once; exactly one key, last. Shift alone with a
// letter, digit or Space is refused: it would take a typed character from
// every program.
Parsed Parse(std::string_view text);

// The combination written the way Parse reads it: "Ctrl+Alt+Shift+Win+Key".
std::string Text(const Combination& combination);

}  // namespace hotkey
