// The icon page's HTML lines and the pick's title filter: pure text, no
// window needed.
#pragma once
#include <string>
#include <string_view>
#include <vector>

// Picture files are collected one extension after another, in this order.
inline constexpr const char* PictureExtensions[] = {"gif", "jpg", "bmp", "png"};

// `path` with every backslash turned into a forward slash: the form a page
// click reports and the pick places on the clipboard.
std::string ForwardSlashPath(std::string_view path);

// True when `fileName` ends in "." + `extension`, letters compared without
// case. The directory walk's wildcard also matches short 8.3 aliases (a
// "*.gif" walk finds "x.gifx"); this keeps only what the pattern means.
bool HasExtension(std::string_view fileName, std::string_view extension);

// One line of the page: the picture element with its click script. `path`
// is a full path (backslashes or not). It goes into the src attribute and
// into the script's string; `\` and `'` are escaped for the script (and line
// breaks, as \n and \r), `&` and `"` for both attributes, so every path
// picks itself. A path without these characters appears byte for byte.
std::string PicturePageLine(std::string_view path);

// The whole page for these picture files, in order: the head line, one line
// per picture, the tail line; empty when there are no pictures.
std::vector<std::string> BuildPageLines(const std::vector<std::string>& imageFiles);

// The extension of a page title in lower case, dot included: the text from
// the last ".", "\" or ":" when that character is a dot; empty otherwise.
std::string TitleExtension(std::string_view title);

// True when the title names a picture the pick places (".gif", ".jpg",
// ".png", ".bmp").
bool IsPictureTitle(std::string_view title);
