#include "PickBench.h"

#include <windows.h>

#include <sstream>

#include "BenchInput.h"
#include "BenchTiming.h"

using clip_test::ComposePeer;

namespace {

// The peer's key log: the stamps of its V presses, and whether the last
// key it took was the release of Ctrl (every key of a paste is in then).
struct PeerKeys {
    std::vector<double> vStamps;
    bool ctrlReleased = false;
};

PeerKeys ReadPeerKeys(const ComposePeer& peer) {
    PeerKeys keys;
    for (const std::string& line : peer.Log()) {
        std::istringstream in(line);
        std::string tag, direction, kind;
        int vk = 0;
        double stamp = -1;
        if (!(in >> tag >> direction >> kind >> vk) || tag != "key") continue;
        in >> stamp;
        if (direction == "down" && vk == 'V') keys.vStamps.push_back(stamp);
        keys.ctrlReleased = direction == "up" && vk == VK_CONTROL;
    }
    return keys;
}

}  // namespace

void WaitUntilPeerLostFocus(const ComposePeer& peer) {
    const DWORD thread = GetWindowThreadProcessId(peer.Window(), nullptr);
    PollUntil(
        [&] {
            GUITHREADINFO info{};
            info.cbSize = sizeof info;
            return !GetGUIThreadInfo(thread, &info) || info.hwndFocus != peer.Window();
        },
        2000, 5);
}


std::vector<double> CtrlVStamps(const ComposePeer& peer) { return ReadPeerKeys(peer).vStamps; }

double ClickToCtrlV(const ComposePeer& peer, const std::function<bool()>& prepare) {
    if (!prepare()) return -1;
    WaitUntilPeerLostFocus(peer);
    const size_t before = CtrlVStamps(peer).size();
    const double start = NowMs();
    if (!ClickHere()) return -1;
    PeerKeys keys;
    // The peer stamps the arrival itself: this wait's pace only spares the processor.
    if (!PollUntil(
            [&] {
                keys = ReadPeerKeys(peer);
                return keys.vStamps.size() > before && keys.ctrlReleased;
            },
            10000, 20)) {
        const std::vector<std::string> log = peer.Log();
        std::string tail;
        for (size_t i = log.size() > 6 ? log.size() - 6 : 0; i < log.size(); ++i) tail += " | " + log[i];
        Progress("no Ctrl+V arrived at the compose window; its last lines:%s", tail.c_str());
        return -1;
    }
    const double arrived = keys.vStamps[before];
    return arrived < 0 ? -1 : arrived / 1000.0 - start;
}

BarePaste::BarePaste(const std::string& picturePath, const std::string& extraArgs) {
    const std::string ready = folder_ / "bare.ready";
    const std::string exe = WinePath(std::string(PEERS_DIR_UNIX) + "/bare_paste.exe");
    std::string command = "\"" + exe + "\" --path \"" + picturePath + "\" --ready \"" + ready +
                          "\" --bounds 40,420,320,200 " + extraArgs;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    if (!CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &process_))
        return;
    std::string text;
    if (WaitFor([&] { return !(text = TempFolder::ReadFile(ready)).empty(); }, 20000))
        window_ = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::stoul(text)));
}

BarePaste::~BarePaste() {
    if (!process_.hProcess) return;
    if (window_) PostMessageA(window_, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(process_.hProcess, 1);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

bool BarePaste::Prepare(int run) {
    if (!window_) return false;
    RECT client;
    GetClientRect(window_, &client);
    MapWindowPoints(window_, nullptr, reinterpret_cast<POINT*>(&client), 2);
    POINT spot = Centre(client);
    spot.x += run % 2 ? 40 : -40;
    SetForegroundWindow(window_);
    return PollUntil([&] { return GetForegroundWindow() == window_; }, 5000, 5) && PointTo(spot);
}

PickLatencies MeasurePickLatencies(const ProgramUnderTest& program, const ComposePeer& peer,
                                   const POINT spots[2], const BenchConfig& config, const OtherProgramTarget* other) {
    auto toviraReady = [&](int run) {
        if (other && other->beforeTovira && !other->beforeTovira()) return false;
        SetForegroundWindow(program.Main());
        return PollUntil([&] { return GetForegroundWindow() == program.Main(); }, 5000, 5) && PointTo(spots[run % 2]);
    };
    ClickToCtrlV(peer, [&] { return toviraReady(0); });
    // The bare program pastes the fragment of the picture Tovira pasted.
    const std::vector<std::string> pastes = peer.Pastes();
    std::string picture = pastes.empty() ? std::string() : pastes.back();
    const size_t from = picture.find("file:///"), to = picture.find("\">");
    picture = from == std::string::npos || to == std::string::npos ? "C:/p000.gif"
                                                                  : picture.substr(from + 8, to - from - 8);
    BarePaste bare(other ? other->barePicture : picture, other ? other->bareArgs : std::string());
    ClickToCtrlV(peer, [&] { return bare.Prepare(0); });
    PickLatencies result;
    auto record = [](std::vector<double>& ms, int& lost, double latency, const char* who, int run) {
        if (latency >= 0) ms.push_back(latency);
        else ++lost;
        Progress("%s pick %d: click to Ctrl+V %.1f ms", who, run, latency);
    };
    for (int run = 1; run <= 2 * config.runs; ++run) {  // cheap, and noisy: twice the runs
        record(result.tovira, result.toviraLost, ClickToCtrlV(peer, [&] { return toviraReady(run); }), "Tovira",
               run);
        record(result.bare, result.bareLost, ClickToCtrlV(peer, [&] { return bare.Prepare(run); }), "bare paste",
               run);
    }
    return result;
}
