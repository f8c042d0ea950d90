#include "HotkeyText.h"

#include <vector>

namespace hotkey {

namespace {

constexpr unsigned kVkSpace = 0x20, kVkF1 = 0x70;
constexpr int kFunctionKeys = 24;

struct ModifierName {
    const char* name;
    unsigned bit;
};
// In the order Text writes them.
constexpr ModifierName kModifiers[] = {{"ctrl", kControl}, {"alt", kAlt}, {"shift", kShift}, {"win", kWin}};

bool Blank(char c) { return c == ' ' || c == '\t'; }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameWord(std::string_view word, std::string_view lowerName) {
    if (word.size() != lowerName.size()) return false;
    for (size_t i = 0; i < word.size(); ++i)
        if (Lower(word[i]) != lowerName[i]) return false;
    return true;
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && Blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && Blank(text.back())) text.remove_suffix(1);
    return text;
}

// The virtual-key code of a key name, or 0.
unsigned KeyCode(std::string_view word) {
    if (word.size() == 1) {
        const char c = Lower(word[0]);
        if (c >= 'a' && c <= 'z') return static_cast<unsigned>(c - 'a' + 'A');
        if (c >= '0' && c <= '9') return static_cast<unsigned>(c);
        return 0;
    }
    if (SameWord(word, "space")) return kVkSpace;
    // F1 to F24: no leading zero, nothing after the number.
    if (Lower(word[0]) != 'f' || word.size() > 3 || word[1] < '1' || word[1] > '9') return 0;
    int number = word[1] - '0';
    if (word.size() == 3) {
        if (word[2] < '0' || word[2] > '9') return 0;
        number = number * 10 + (word[2] - '0');
    }
    return number <= kFunctionKeys ? kVkF1 + static_cast<unsigned>(number - 1) : 0;
}

bool TypesACharacter(unsigned key) {
    return key == kVkSpace || (key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z');
}

}  // namespace

Parsed Parse(std::string_view text) {
    Parsed result;
    text = Trimmed(text);
    if (text.empty()) return result;
    result.reading = Reading::Invalid;
    std::vector<std::string_view> words;
    for (size_t start = 0;;) {
        const size_t plus = text.find('+', start);
        const size_t length = plus == std::string_view::npos ? std::string_view::npos : plus - start;
        words.push_back(Trimmed(text.substr(start, length)));
        if (plus == std::string_view::npos) break;
        start = plus + 1;
    }
    if (words.size() < 2) return result;
    Combination combination;
    for (size_t i = 0; i + 1 < words.size(); ++i) {
        unsigned bit = 0;
        for (const ModifierName& m : kModifiers)
            if (SameWord(words[i], m.name)) bit = m.bit;
        if (bit == 0 || (combination.modifiers & bit)) return result;
        combination.modifiers |= bit;
    }
    combination.key = KeyCode(words.back());
    if (combination.key == 0) return result;
    if (combination.modifiers == kShift && TypesACharacter(combination.key)) return result;
    result.reading = Reading::Combination;
    result.combination = combination;
    return result;
}

std::string Text(const Combination& combination) {
    std::string out;
    for (const ModifierName& m : kModifiers)
        if (combination.modifiers & m.bit) {
            out += static_cast<char>(m.name[0] - 'a' + 'A');
            out += m.name + 1;
            out += '+';
        }
    const unsigned key = combination.key;
    if (key == kVkSpace) out += "Space";
    else if (key >= kVkF1 && key < kVkF1 + kFunctionKeys) out += "F" + std::to_string(key - kVkF1 + 1);
    else out += static_cast<char>(key);
    return out;
}

}  // namespace hotkey
