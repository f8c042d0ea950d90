// What every end-to-end scenario with awkward input checks on the real
// program from outside: it answers messages, its window still shows through
// the tray, a picture still pastes, and it ends cleanly when closed.
#pragma once
#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "PictureAccess.h"
#include "ProgramUnderTest.h"
#include "clip_peer.h"

namespace e2e {

// The window's thread takes and answers a message within the time limit.
inline bool Answers(HWND wnd, UINT timeoutMs = 5000) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(wnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &result) != 0;
}

// A picture of the tests' own data (tests/data/pictures), as bytes.
inline std::string TestPicture(const std::string& name) {
    return TempFolder::ReadFile(WinePath(std::string(TEST_DATA_DIR) + "/pictures/" + name));
}

// A Windows path as a picture click reports it: forward slashes.
inline std::string Slashed(std::string path) {
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}

// The Unix path of a Windows path of this prefix (for chmod and friends).
inline std::string UnixPath(const std::string& windowsPath) {
    using ToUnix = char*(CDECL*)(LPCWSTR);
    static auto toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix) return "";
    wchar_t wide[1024];
    MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, 1024);
    char* unix = toUnix(wide);
    if (!unix) return "";
    std::string out = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return out;
}

// Milliseconds since `start`, printed with a label (figures, not assertions).
inline DWORD Report(const char* what, DWORD start) {
    const DWORD ms = GetTickCount() - start;
    std::printf("[ measured ] %s: %lu ms\n", what, static_cast<unsigned long>(ms));
    std::fflush(stdout);
    return ms;
}

// The picture view of the tab shown now.
inline HWND ShownView(const ProgramUnderTest& program) {
    HWND view = nullptr;
    WaitFor([&] { return (view = ProgramUnderTest::FindVisibleChild(program.Main(), "Tovira.TPictureView")); });
    return view;
}

// Asks a view's pictures (children from 1) through oleacc.
class ViewAccess {
public:
    explicit ViewAccess(HWND view) {
        // The first request can fail while the view makes its object.
        WaitFor([&] {
            return SUCCEEDED(AccessibleObjectFromWindow(view, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                                        reinterpret_cast<void**>(&acc_))) && acc_;
        }, 5000);
    }
    ViewAccess(const ViewAccess&) = delete;
    ViewAccess& operator=(const ViewAccess&) = delete;
    ~ViewAccess() {
        if (acc_) acc_->Release();
    }
    bool Valid() const { return acc_ != nullptr; }
    long Count() const {
        long n = -1;
        if (acc_) acc_->get_accChildCount(&n);
        return n;
    }
    std::string Name(long id) const {
        BSTR name = nullptr;
        if (!acc_ || acc_->get_accName(Child(id), &name) != S_OK || !name) return "";
        char text[1024] = {};
        WideCharToMultiByte(CP_ACP, 0, name, -1, text, sizeof text, nullptr, nullptr);
        SysFreeString(name);
        return text;
    }
    long State(long id) const {
        VARIANT state;
        VariantInit(&state);
        if (!acc_ || acc_->get_accState(Child(id), &state) != S_OK || state.vt != VT_I4) return -1;
        return state.lVal;
    }
    // Can be picked: not a picture that failed to read.
    bool Pickable(long id) const {
        const long s = State(id);
        return s >= 0 && !(s & STATE_SYSTEM_UNAVAILABLE);
    }
    // The child whose name is `name`, or 0.
    long Find(const std::string& name) const {
        for (long id = 1, n = Count(); id <= n; ++id)
            if (Name(id) == name) return id;
        return 0;
    }

private:
    static VARIANT Child(long id) {
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_I4;
        v.lVal = id;
        return v;
    }
    IAccessible* acc_ = nullptr;
};

// Clicks picture `id` (from 1) of `view` with the real pointer, once the
// view has placed it.
inline bool ClickPicture(HWND view, long id) {
    RECT r{};
    if (!WaitFor([&] { return PictureOnScreen(view, id, r); })) return false;
    return ClickAtScreen(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
}

// Clicks tab `index` of the main window's page control and returns the
// picture view that it shows.
inline HWND ShowTab(const ProgramUnderTest& program, int index) {
    HWND tabs = ProgramUnderTest::FindChild(program.Main(), "SysTabControl32");
    if (!tabs) return nullptr;
    if (SendMessageA(tabs, TCM_GETCURSEL, 0, 0) != index) {
        const RECT tab = program.TabRect(tabs, index);
        if (!ClickAtScreen(POINT{(tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2})) return nullptr;
        if (!WaitFor([&] { return SendMessageA(tabs, TCM_GETCURSEL, 0, 0) == index; })) return nullptr;
    }
    // Hidden tabs hide their views: the one visible view is this tab's.
    HWND view = nullptr;
    WaitFor([&] { return (view = ProgramUnderTest::FindVisibleChild(tabs, "Tovira.TPictureView")) != nullptr; }, 5000);
    return view;
}

// The tab captions of the main window.
inline std::vector<std::string> Tabs(const ProgramUnderTest& program) {
    HWND tabs = ProgramUnderTest::FindChild(program.Main(), "SysTabControl32");
    return tabs ? program.TabTexts(tabs) : std::vector<std::string>{};
}

// Expects the peer's `number`-th paste to be the fragment for `path` (as a
// click reports it) and the window back in the tray (minimise option on).
inline void ExpectPasted(const ProgramUnderTest& program, const clip_test::ComposePeer& peer, size_t number,
                         const std::string& path) {
    ASSERT_TRUE(peer.WaitForPastes(number)) << path;
    const std::string expected = "<!--StartFragment--><IMG src=\"file:///" + path + "\"><!--EndFragment-->";
    EXPECT_EQ(peer.Pastes().back(), expected + '\0');
    EXPECT_EQ(peer.Pastes().size(), number) << "a pick that should have picked nothing pasted";
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(program.Main()); }));
}

// Clicks picture `id` of `view` and expects its path in the peer's
// `number`-th paste.
inline void ExpectPickPastes(const ProgramUnderTest& program, HWND view, long id, const clip_test::ComposePeer& peer,
                             size_t number, const std::string& path) {
    ASSERT_TRUE(program.Reveal());
    ASSERT_TRUE(ClickPicture(view, id)) << path;
    ExpectPasted(program, peer, number, path);
}

// Presses keys on the program's window one after another (each pressed and
// released), as a user at the keyboard does.
inline void Keys(const ProgramUnderTest& program, std::initializer_list<WORD> keys) {
    for (WORD k : keys) program.PressKeys({k});
}

// Closes the main window as its close box does and waits for the process
// to end; false when it did not end in time.
inline bool CloseAndWait(const ProgramUnderTest& program) {
    PostMessageA(program.Main(), WM_CLOSE, 0, 0);
    return program.WaitForExit();
}

}  // namespace e2e
