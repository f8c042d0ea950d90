// The texts of menu items: mnemonics and the caption/short-cut line.
// Pure; no windows.h.
#pragma once
#include <string>

#include "ShortCuts.h"

// The character after the single "&" of a caption, upper-cased (ASCII
// letters); 0 when there is none. "&&" is a literal ampersand.
char MnemonicOf(const std::string& caption);
// The text of a menu entry: the caption, then a tab and the short-cut's
// display text when there is one (shown right-aligned by the system).
std::string MenuEntryText(const std::string& caption, TShortCut shortCut);
// The caption as shown: "&&" becomes "&", a single "&" disappears.
std::string StripMnemonic(const std::string& caption);
