// Keyboard short-cuts as one word: virtual-key code plus modifier bits.
// Pure; no windows.h.
#pragma once
#include <string>

using TShortCut = unsigned short;
constexpr TShortCut scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000, scNone = 0;

constexpr TShortCut ShortCut(unsigned short key, unsigned short modifiers) { return static_cast<TShortCut>(key | modifiers); }
// "Ctrl+X", "F1", "Shift+Del", ...; empty for none.
std::string ShortCutToText(TShortCut shortCut);
