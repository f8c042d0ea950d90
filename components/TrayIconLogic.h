// Window-free decisions of the tray icon: the tooltip bytes, the icon index
// that is stored, and the index a cycling tick moves to.
#pragma once
#include <cstddef>
#include <string>

namespace trayicon {

// The tooltip field holds this many bytes, its closing NUL included.
constexpr std::size_t kTipBytes = 128;

// The tooltip text: the first 127 characters of `hint`, or empty (no
// tooltip) when `hint` is empty or hints are off.
std::string TipText(const std::string& hint, bool showHint);

// The index kept when `requested` is set with an image list of `count`
// images: at most the last image, never negative; 0 without a list or with
// an empty one.
int StoredIconIndex(int requested, int count, bool hasList);

// The index after `index` when cycling through `count` images: the next
// one, back to 0 after the last; 0 without a list or with an empty one.
int NextCycleIndex(int index, int count, bool hasList);

}  // namespace trayicon
