// The command Tovira leaves under the user's Run key, and whether a stored
// command names a given executable. Pure logic: no windows.h here.
#pragma once
#include <string>
#include <string_view>

// The value written for `exePath`: the full path in double quotes.
std::string StartupCommandFor(std::string_view exePath);

// Whether `command` starts `exePath`: the path in double quotes (anything
// after the closing quote is taken as arguments) or the whole command
// unquoted; blanks at both ends ignored, letters compared without case as
// the file system does.
bool StartupCommandNames(std::string_view command, std::string_view exePath);
