// Registers a peer program as the shell's "open" command of URL protocols in
// the test prefix (under HKEY_CLASSES_ROOT: Wine's shell does not look at the
// user's own classes) and reads back what the shell handed it. The previous
// commands are put back when the object goes.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "TempFolder.h"

class ShellHandler {
public:
    // `peerExe` is a Windows path; each started peer appends its URL to the log.
    ShellHandler(const std::string& peerExe, std::initializer_list<const char*> protocols)
        : log_(folder_ / "urls.log") {
        for (const char* protocol : protocols) {
            Entry e{std::string(protocol) + "\\shell\\open\\command", false, ""};
            HKEY key = nullptr;
            if (RegOpenKeyExA(HKEY_CLASSES_ROOT, e.key.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
                char value[1024] = {};
                DWORD size = sizeof value - 1;
                e.existed = RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size) ==
                            ERROR_SUCCESS;
                e.previous = value;
                RegCloseKey(key);
            }
            std::string command = "\"" + peerExe + "\" \"" + log_ + "\" \"%1\"";
            Set(e.key, command);
            entries_.push_back(e);
        }
    }
    ~ShellHandler() {
        for (const auto& e : entries_) {
            if (e.existed) Set(e.key, e.previous);
            else RegDeleteTreeA(HKEY_CLASSES_ROOT, e.key.substr(0, e.key.find("\\shell")).c_str());
        }
    }
    // The URLs handed over so far, one per line.
    std::string Log() const { return TempFolder::ReadFile(log_); }

private:
    static void Set(const std::string& key, const std::string& value) {
        HKEY k = nullptr;
        RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
        RegSetValueExA(k, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
        RegCloseKey(k);
    }
    struct Entry {
        std::string key;
        bool existed;
        std::string previous;
    };
    TempFolder folder_;
    std::string log_;
    std::vector<Entry> entries_;
};
