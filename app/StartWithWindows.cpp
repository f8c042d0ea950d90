#include "StartWithWindows.h"

#include <windows.h>

#include "Exceptions.h"
#include "StartupCommand.h"
#include "setreg.h"

namespace {

// The Run value's text (expanded, when it holds variables); false when there
// is none or it is no text.
bool ReadRunValue(std::string& command) {
    char text[2048];
    DWORD size = sizeof text;
    if (RegGetValueA(HKEY_CURRENT_USER, kRunKey, kRunValueName, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return false;
    command = text;
    return true;
}

}  // namespace

bool StartsWithWindows(const std::string& exePath) {
    std::string command;
    return ReadRunValue(command) && StartupCommandNames(command, exePath);
}

void SetStartWithWindows(const std::string& exePath, bool on) {
    if (on) {
        WriteRegValue(HKEY_CURRENT_USER, kRunKey, kRunValueName, StartupCommandFor(exePath), rvString);
        return;
    }
    std::string command;
    // A value that is not there needs no removing; one that stays was refused.
    if (!DeleteRegValue(HKEY_CURRENT_USER, kRunKey, kRunValueName) && ReadRunValue(command))
        throw Exception(std::string("Failed to delete data for '") + kRunValueName + "'");
}
