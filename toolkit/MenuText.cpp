#include "MenuText.h"

namespace {
char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
}  // namespace

char MnemonicOf(const std::string& caption) {
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] == '&') {
            ++i;  // a literal ampersand
            continue;
        }
        return Upper(caption[i + 1]);
    }
    return 0;
}

std::string MenuEntryText(const std::string& caption, TShortCut shortCut) {
    std::string keys = ShortCutToText(shortCut);
    return keys.empty() ? caption : caption + "\t" + keys;
}

std::string StripMnemonic(const std::string& caption) {
    std::string out;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&') {
            if (i + 1 >= caption.size()) break;
            ++i;
        }
        out += caption[i];
    }
    return out;
}
