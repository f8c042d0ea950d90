// Keyboard moves over a flow of pictures: where the focus goes for an arrow,
// Home, End, Page Up or Page Down, and which picture a typed name prefix
// finds. Pictures that cannot take the focus (broken ones) are passed over.
// Pure; no windows.h here.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "PictureFlow.h"

namespace flow {

enum class Move { Left, Right, Up, Down, Home, End, PageUp, PageDown };

// Whether picture `index` can take the focus.
using Focusable = std::function<bool(int index)>;

// The picture the focus goes to from `from` (-1: none has it yet; then any
// move but End goes to the first picture that can take it, End to the last).
// Left and Right go to the previous and next picture in reading order; Up
// and Down to the picture of the nearest row above or below whose centre is
// nearest horizontally; Page Up and Page Down to the row `pageHeight`
// pixels above or below (at least one row). Returns `from` when the focus
// stays, -1 when no picture of `layout` can take it.
int NextFocus(const Layout& layout, int from, Move move, int pageHeight, const Focusable& focusable);

// The first picture from `start` on (wrapping round) whose name starts with
// `prefix`, letters compared without case; -1 when none.
int FindByPrefix(int count, const std::function<const std::string&(int index)>& name, int start,
                 const std::string& prefix, const Focusable& focusable);

// The row that holds picture `index` (a row of `layout`), or -1.
int RowOf(const Layout& layout, int index);

}  // namespace flow
