// The "Hotkey" option's text and the Run value's command. The input is the
// option value; after a NUL byte, the rest is a command and an exe path.
#include <cstdint>
#include <string>

#include "FuzzInput.h"
#include "HotkeyText.h"
#include "StartupCommand.h"

namespace {

bool Blank(char c) { return c == ' ' || c == '\t'; }

bool ValidKey(unsigned key) {
    return key == 0x20 || (key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z') || (key >= 0x70 && key <= 0x87);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const std::string value = in.Until('\0');
    const hotkey::Parsed parsed = hotkey::Parse(value);
    size_t pluses = 0;
    for (char c : value) pluses += c == '+';
    bool allBlank = true;
    for (char c : value) allBlank = allBlank && Blank(c);
    FUZZ_CHECK((parsed.reading == hotkey::Reading::None) == allBlank);
    if (parsed.reading == hotkey::Reading::Combination) {
        const hotkey::Combination c = parsed.combination;
        FUZZ_CHECK(c.modifiers != 0 && (c.modifiers & ~0xFu) == 0);
        FUZZ_CHECK(ValidKey(c.key));
        // One "+" after each modifier, no more.
        unsigned bits = c.modifiers, count = 0;
        for (; bits; bits &= bits - 1) ++count;
        FUZZ_CHECK(pluses == count);
        const std::string text = hotkey::Text(c);
        const hotkey::Parsed again = hotkey::Parse(text);
        FUZZ_CHECK(again.reading == hotkey::Reading::Combination && again.combination == c);
    }

    const std::string command = in.Until('\0');
    const std::string exe = in.Rest();
    if (!exe.empty()) {
        const bool unquoted = exe.find('"') == std::string::npos;
        FUZZ_CHECK(StartupCommandNames(StartupCommandFor(exe), exe) == unquoted);
    }
    StartupCommandNames(command, exe);
    return 0;
}
