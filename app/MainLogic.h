// Decisions of the main window that need no window: folder names, option
// values, category names. No windows.h here.
#pragma once
#include <string>

// The executable's folder with exactly one trailing backslash.
std::string AppDirOf(const std::string& exePath);
// The executable's folder (with its trailing backslash) followed by "images".
std::string ImagesDirOf(const std::string& exePath);

// Whether the files next to an executable at `exePath` ("Tovira.ini",
// "Tovira.chm", "sound.wav", "images") can be named within MAX_PATH, the
// limit of the file calls the program makes. False for an empty path.
bool AppFolderFits(const std::string& exePath);
// What the program says when its folder does not fit, and stops.
std::string AppFolderTooLongMessage(const std::string& exePath);

// An option value as read from Tovira.ini: "0x"/"0X" + hex digits, or a
// decimal integer; anything that does not convert gives `defaultValue`.
// Non-zero is true.
bool ParseOptionFlag(const std::string& text, bool defaultValue);

// A tab caption's category name: blanks trimmed, lower case.
std::string CategoryKey(const std::string& caption);
// "   " + name + "   ".
std::string CategoryCaption(const std::string& folderName);
// The last component of a path.
std::string LastPathComponent(const std::string& path);
