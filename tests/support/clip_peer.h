// Drives the stand-in compose window (build/peers/compose_peer.exe) from a
// test: starts it in its own process, reads its log, closes it.
#pragma once
#include <windows.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "Wait.h"

namespace clip_test {


// The folder of this test program, with a trailing backslash.
inline std::string ProgramFolder() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, n);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

inline std::vector<std::string> ReadLines(const std::string& file) {
    std::vector<std::string> lines;
    std::ifstream in(file, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

// One compose_peer process (or another peer that takes the same arguments,
// e.g. editor_peer.exe) with its own window, log and ready file.
class ComposePeer {
public:
    ComposePeer(const std::string& className, const std::string& title, const std::string& extraArgs = "",
                const std::string& peerExe = "compose_peer.exe") {
        static int counter = 0;
        const std::string stem = folder_.Path() + "\\peer" + std::to_string(++counter);
        log_ = stem + ".log";
        const std::string ready = stem + ".ready";
        const std::string exe = ProgramFolder() + "..\\peers\\" + peerExe;
        if (GetFileAttributesA(exe.c_str()) == INVALID_FILE_ATTRIBUTES)
            throw std::runtime_error(peerExe + " not built: " + exe);
        // Ended by Close; the lifetime only ends one that a crashed test left
        // behind, after the longest suite's time limit (extraArgs may set another).
        std::string command = "\"" + exe + "\" --class \"" + className + "\" --title \"" + title + "\" --log \"" +
                              log_ + "\" --ready \"" + ready + "\" --lifetime " + std::to_string(kLifetimeSeconds) +
                              " " + extraArgs;
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
            throw std::runtime_error("cannot start " + exe);
        CloseHandle(pi.hThread);
        process_ = pi.hProcess;
        std::string text;
        const bool started = WaitFor([&] {
            std::ifstream in(ready);
            return static_cast<bool>(in >> text) || WaitForSingleObject(process_, 0) == WAIT_OBJECT_0;
        });
        if (!started || text.empty()) {
            Close();
            throw std::runtime_error("compose_peer did not come up (" + className + ")");
        }
        wnd_ = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::stoul(text)));
    }
    ComposePeer(const ComposePeer&) = delete;
    ComposePeer& operator=(const ComposePeer&) = delete;
    ~ComposePeer() { Close(); }

    HWND Window() const { return wnd_; }

    // Makes the peer the foreground window and waits until its thread has
    // taken the activation and focus: under Wine key strokes that arrive in
    // between are dropped.
    bool BringToFront() const {
        SetForegroundWindow(wnd_);
        const DWORD thread = GetWindowThreadProcessId(wnd_, nullptr);
        return WaitFor([&] {
            GUITHREADINFO info{};
            info.cbSize = sizeof info;
            return GetGUIThreadInfo(thread, &info) && info.hwndFocus == wnd_ && GetForegroundWindow() == wnd_;
        });
    }

    // Ends the peer (WM_CLOSE) and waits for its process to end.
    void Close() {
        if (!process_) return;
        if (wnd_) PostMessageA(wnd_, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process_, 10000) != WAIT_OBJECT_0) TerminateProcess(process_, 1);
        CloseHandle(process_);
        process_ = nullptr;
    }

    std::vector<std::string> Log() const { return ReadLines(log_); }

    // Key lines as "down 18" / "up 86" (the sys/plain distinction dropped).
    std::vector<std::string> Keys() const {
        std::vector<std::string> keys;
        for (const std::string& line : Log()) {
            std::istringstream in(line);
            std::string tag, direction, kind, vk;
            if (in >> tag >> direction >> kind >> vk && tag == "key") keys.push_back(direction + " " + vk);
        }
        return keys;
    }

    // The "HTML Format" bytes logged at each Ctrl+V (terminating zero included).
    std::vector<std::string> Pastes() const {
        std::vector<std::string> pastes;
        for (const std::string& line : Log()) {
            if (line.rfind("html ", 0) != 0) continue;
            std::istringstream in(line.substr(5));
            std::string size, hex, bytes;
            in >> size >> hex;
            for (size_t i = 0; i + 1 < hex.size(); i += 2)
                bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
            pastes.push_back(bytes);
        }
        return pastes;
    }

    // Waits until the peer has taken its `count`-th Ctrl+V and released Ctrl,
    // so every key of that paste is in its log.
    bool WaitForPastes(size_t count) const {
        return WaitFor([&] {
            const std::vector<std::string> keys = Keys();
            return Pastes().size() >= count && !keys.empty() && keys.back() == "up 17";
        });
    }

    // The log lines that start with `head`, in order.
    std::vector<std::string> LinesStartingWith(const std::string& head) const {
        std::vector<std::string> lines;
        for (std::string line : Log()) {
            if (!line.empty() && line.back() == '\r') line.pop_back();  // logs written in text mode
            if (line.rfind(head, 0) == 0) lines.push_back(line);
        }
        return lines;
    }

    size_t CountLinesStartingWith(const std::string& head) const {
        size_t n = 0;
        for (const std::string& line : Log()) n += line.rfind(head, 0) == 0;
        return n;
    }

private:
    static constexpr unsigned kLifetimeSeconds = 900;
    TempFolder folder_;
    std::string log_;
    HANDLE process_ = nullptr;
    HWND wnd_ = nullptr;
};

}  // namespace clip_test
