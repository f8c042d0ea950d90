// "Start with Windows": the value "Tovira" under the user's Run key, the
// only registry value the program writes of its own accord.
#pragma once
#include <string>

// Where the value lives, under HKEY_CURRENT_USER.
constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kRunValueName[] = "Tovira";

// Whether the Run value names the executable `exePath`.
bool StartsWithWindows(const std::string& exePath);

// Writes (on) or removes (off) the Run value for `exePath`. Raises Exception
// when the registry refuses: "Failed to set data for 'Tovira'" or "Failed to
// delete data for 'Tovira'".
void SetStartWithWindows(const std::string& exePath, bool on);
