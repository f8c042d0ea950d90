// The picture view from the keyboard and through assistive technology: the
// focus frame, moves that scroll the focused picture into view, broken
// pictures passed over, type-to-find, Enter and Space picks, the form's
// short-cuts still reaching the form; the MSAA children read in this process
// and by a client in another process (build/peers/msaa_peer.exe), and the
// focus events a screen reader hears.
#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ActnList.h"
#include "Forms.h"
#include "GifWriter.h"
#include "PictureView.h"
#include "ProgramUnderTest.h"
#include "TempFolder.h"
#include "TestApplication.h"
#include "Wait.h"

namespace {

int helps = 0;
struct HelpSink {
    void Run(TObject*) { ++helps; }
} helpSink;

class ComEnvironment : public ::testing::Environment {
public:
    void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override { CoUninitialize(); }
};
const auto* const comEnvironment = ::testing::AddGlobalTestEnvironment(new ComEnvironment);

std::string SolidGif(int width, int height) {
    gif_test::Animation a;
    a.width = width;
    a.height = height;
    a.palette = {0x3060C0, 0};
    a.frames = {gif_test::Filled(0, 0, width, height, 0)};
    return gif_test::Write(a);
}

std::vector<std::string> Lines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class KeysTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        TestApplication();
        form_ = new TForm(nullptr);
        form_->SetBounds(80, 80, 340, 260);
        form_->SetCaption("Keys");
        // The form's own short-cut, as the main window has F1 for help.
        auto* actions = new TActionList(form_);
        help_ = new TAction(form_);
        help_->SetActionList(actions);
        help_->ShortCut = VK_F1;
        help_->OnExecute = TNotifyEvent::Bind<HelpSink, &HelpSink::Run>(&helpSink);
        form_->Show();
        // Named pictures of different sizes, one broken, then enough to scroll.
        folder_ = new TempFolder();
        const struct {
            const char* name;
            int w, h;
        } named[] = {{"apple.gif", 30, 20}, {"bad.gif", 0, 0},   {"banana.gif", 20, 30},
                     {"blue.gif", 40, 10},  {"cherry.gif", 30, 30}, {"Bob's smile.gif", 24, 24}};
        for (const auto& n : named)
            files_.push_back(folder_->WriteFile(n.name, n.w ? SolidGif(n.w, n.h) : std::string()));
        const std::string filler = SolidGif(24, 24);
        for (int i = 0; i < 150; ++i) {
            char name[32];
            wsprintfA(name, "z%03d.gif", i);
            files_.push_back(folder_->WriteFile(name, filler));
        }
    }
    static void TearDownTestSuite() {
        delete form_;
        form_ = nullptr;
        delete folder_;
        folder_ = nullptr;
        files_.clear();
    }
    void SetUp() override {
        view = new TPictureView(form_);
        view->SetBounds(5, 5, 300, 200);
        view->OnPictureClick = TEvent<TObject*, int>::Bind<KeysTest, &KeysTest::Picked>(this);
        view->SetFiles(files_);
        view->SetParent(form_);
        SetForegroundWindow(form_->Handle());
        view->SetFocus();
        ASSERT_TRUE(WaitFor([&] { return view->FocusIndex() == 0 && !view->Busy(); }));
        helps = 0;
    }
    void TearDown() override { delete view; }

    void Picked(TObject*, int index) { picks.push_back(index); }

    // A key as the message loop gets it: routed, translated, dispatched.
    void Press(WORD key) {
        PostMessageA(view->Handle(), WM_KEYDOWN, key, 1);
        Application->ProcessMessages();
    }
    void Type(char c) { SendMessageA(view->Handle(), WM_CHAR, static_cast<unsigned char>(c), 1); }
    bool FocusInSight() const {
        RECT r = view->PictureRect(view->FocusIndex());
        return r.top >= 0 && r.bottom <= view->ClientHeight() && r.left >= 0 && r.right <= view->ClientWidth();
    }
    // Pixels of the focus frame's top edge that are not white.
    int FrameDots() {
        RECT r = view->PictureRect(view->FocusIndex());
        UpdateWindow(view->Handle());
        HDC dc = GetDC(view->Handle());
        int dots = 0;
        for (int x = r.left - 2; x < r.right + 2; ++x)
            if ((GetPixel(dc, x, r.top - 2) & 0xFFFFFF) != 0xFFFFFF) ++dots;
        ReleaseDC(view->Handle(), dc);
        return dots;
    }

    static TForm* form_;
    static TAction* help_;
    static TempFolder* folder_;
    static std::vector<std::string> files_;
    TPictureView* view = nullptr;
    std::vector<int> picks;
};
TForm* KeysTest::form_ = nullptr;
TAction* KeysTest::help_ = nullptr;
TempFolder* KeysTest::folder_ = nullptr;
std::vector<std::string> KeysTest::files_;

TEST_F(KeysTest, FocusFrameArrowsAndTheBrokenPicturePassedOver) {
    EXPECT_GT(FrameDots(), 3);
    Press(VK_RIGHT);
    EXPECT_EQ(view->FocusIndex(), 2);  // 1 is broken
    Press(VK_LEFT);
    EXPECT_EQ(view->FocusIndex(), 0);
    const RECT first = view->PictureRect(0);
    Press(VK_DOWN);
    EXPECT_GE(view->PictureRect(view->FocusIndex()).top, first.bottom);
    Press(VK_UP);
    EXPECT_EQ(view->FocusIndex(), 0);
    // Without the focus the frame goes; with it again it comes back.
    SetFocus(form_->Handle());
    EXPECT_EQ(FrameDots(), 0);
    view->SetFocus();
    EXPECT_GT(FrameDots(), 3);
}

TEST_F(KeysTest, MovesScrollTheFocusedPictureIntoView) {
    for (int i = 0; i < 30; ++i) {
        const int before = view->FocusIndex();
        Press(VK_DOWN);
        ASSERT_TRUE(FocusInSight()) << i;
        if (view->FocusIndex() == before) break;
    }
    EXPECT_GT(view->ScrollPos(), 0);
    Press(VK_END);
    EXPECT_EQ(view->FocusIndex(), view->Count() - 1);
    EXPECT_EQ(view->ScrollPos(), view->PageHeight() - view->ClientHeight());
    EXPECT_TRUE(FocusInSight());
    Press(VK_HOME);
    EXPECT_EQ(view->FocusIndex(), 0);
    EXPECT_EQ(view->ScrollPos(), 0);

    // A page down moves the focus about a view height and keeps it in sight.
    const int top = view->PictureRect(0).top + view->ScrollPos();
    Press(VK_NEXT);
    const int moved = view->PictureRect(view->FocusIndex()).top + view->ScrollPos() - top;
    EXPECT_GT(moved, view->ClientHeight() - 40);
    EXPECT_LT(moved, view->ClientHeight() + 40);
    EXPECT_TRUE(FocusInSight());
    Press(VK_PRIOR);
    EXPECT_EQ(view->FocusIndex(), 0);
    EXPECT_TRUE(FocusInSight());
}

TEST_F(KeysTest, TypedLettersFindPicturesAndEnterOrSpacePick) {
    Type('c');
    EXPECT_EQ(view->FocusIndex(), 4);  // cherry
    Type('B');  // a new name: "cb" matches nothing, so the focus stays
    EXPECT_EQ(view->FocusIndex(), 4);

    Press(VK_RIGHT);  // a move ends the name being typed
    Type('z');
    const int z = view->FocusIndex();
    EXPECT_EQ(view->File(z).substr(view->File(z).find_last_of('\\') + 1), "z000.gif");
    EXPECT_TRUE(FocusInSight());

    Press(VK_RETURN);
    ASSERT_EQ(picks, std::vector<int>{z});
    // Space picks too, and its character finds nothing.
    Press(VK_SPACE);
    EXPECT_EQ(picks, (std::vector<int>{z, z}));
    EXPECT_EQ(view->FocusIndex(), z);
}

TEST_F(KeysTest, SameLetterAgainGoesToTheNextAndMoreLettersRefine) {
    Type('b');
    EXPECT_EQ(view->FocusIndex(), 2);  // banana (bad.gif is broken)
    Type('b');
    EXPECT_EQ(view->FocusIndex(), 3);  // blue
    Type('b');
    EXPECT_EQ(view->FocusIndex(), 5);  // Bob's smile
    Type('o');
    EXPECT_EQ(view->FocusIndex(), 5);  // "bbbo" is no name: stays
    view->SetFocusIndex(0);
    Press(VK_RIGHT);  // a key between ends the name
    Type('b');
    Type('o');
    Type('b');
    Type('\'');
    Type('s');
    Type(' ');  // a blank inside a name being typed is part of it, not a pick
    EXPECT_EQ(view->FocusIndex(), 5);
    EXPECT_TRUE(picks.empty());
}

TEST_F(KeysTest, TheFormsShortCutsStillWork) {
    Press(VK_F1);
    EXPECT_EQ(helps, 1);
    EXPECT_EQ(view->FocusIndex(), 0);
}

// ---------------------------------------------------------------- MSAA

class AccessibleTest : public KeysTest {};

TEST_F(AccessibleTest, ChildrenAreThePicturesWithNamesRolesPlacesAndFocus) {
    IAccessible* acc = nullptr;
    ASSERT_EQ(S_OK, AccessibleObjectFromWindow(view->Handle(), static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                               reinterpret_cast<void**>(&acc)));
    long count = 0;
    ASSERT_EQ(S_OK, acc->get_accChildCount(&count));
    EXPECT_EQ(count, view->Count());
    VARIANT child;
    VariantInit(&child);
    child.vt = VT_I4;
    for (long id : {1L, 3L, 6L, 40L}) {
        child.lVal = id;
        BSTR name = nullptr;
        ASSERT_EQ(S_OK, acc->get_accName(child, &name));
        const std::string& path = view->File(id - 1);
        const std::string file = path.substr(path.find_last_of('\\') + 1);
        EXPECT_EQ(std::wstring(name), std::wstring(file.begin(), file.end()));
        SysFreeString(name);
        VARIANT role;
        ASSERT_EQ(S_OK, acc->get_accRole(child, &role));
        EXPECT_EQ(role.lVal, ROLE_SYSTEM_GRAPHIC);
        long l, t, w, h;
        ASSERT_EQ(S_OK, acc->accLocation(&l, &t, &w, &h, child));
        RECT r = view->PictureRect(id - 1);
        MapWindowPoints(view->Handle(), nullptr, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(l, r.left) << id;
        EXPECT_EQ(t, r.top) << id;
        EXPECT_EQ(w, r.right - r.left) << id;
        EXPECT_EQ(h, r.bottom - r.top) << id;
    }
    VARIANT state;
    child.lVal = 1;
    ASSERT_EQ(S_OK, acc->get_accState(child, &state));
    EXPECT_TRUE(state.lVal & STATE_SYSTEM_FOCUSED);
    EXPECT_TRUE(state.lVal & STATE_SYSTEM_SELECTED);
    child.lVal = 2;  // broken
    ASSERT_EQ(S_OK, acc->get_accState(child, &state));
    EXPECT_TRUE(state.lVal & STATE_SYSTEM_UNAVAILABLE);
    EXPECT_FALSE(state.lVal & STATE_SYSTEM_FOCUSABLE);
    child.lVal = 150;  // scrolled away
    ASSERT_EQ(S_OK, acc->get_accState(child, &state));
    EXPECT_TRUE(state.lVal & STATE_SYSTEM_OFFSCREEN);

    VARIANT focus;
    ASSERT_EQ(S_OK, acc->get_accFocus(&focus));
    EXPECT_EQ(focus.lVal, 1);
    Press(VK_RIGHT);
    ASSERT_EQ(S_OK, acc->get_accFocus(&focus));
    EXPECT_EQ(focus.lVal, 3);

    // Hit test at a picture's middle; the default action picks it.
    RECT r = view->PictureRect(3);
    POINT middle{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(view->Handle(), &middle);
    VARIANT hit;
    ASSERT_EQ(S_OK, acc->accHitTest(middle.x, middle.y, &hit));
    EXPECT_EQ(hit.vt, VT_I4);
    EXPECT_EQ(hit.lVal, 4);
    child.lVal = 4;
    ASSERT_EQ(S_OK, acc->accDoDefaultAction(child));
    ASSERT_TRUE(WaitFor([&] { return !picks.empty(); }));
    EXPECT_EQ(picks, std::vector<int>{3});
    child.lVal = 2;
    EXPECT_NE(S_OK, acc->accDoDefaultAction(child));
    child.lVal = count + 1;
    BSTR none = nullptr;
    EXPECT_EQ(E_INVALIDARG, acc->get_accName(child, &none));

    // Once the view is gone its object answers nothing.
    delete view;
    view = nullptr;
    EXPECT_NE(S_OK, acc->get_accChildCount(&count));
    acc->Release();
    view = new TPictureView(form_);
}

std::string PeerExe() { return WinePath(std::string(PEERS_DIR_UNIX) + "/msaa_peer.exe"); }

// One msaa_peer process; waits for its end (answering its calls meanwhile).
class Peer {
public:
    explicit Peer(const std::string& args) {
        std::string command = "\"" + PeerExe() + "\" " + args;
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
            CloseHandle(pi.hThread);
            process_ = pi.hProcess;
        }
    }
    ~Peer() {
        if (!process_) return;
        if (!Ended()) TerminateProcess(process_, 1);
        CloseHandle(process_);
    }
    bool Started() const { return process_ != nullptr; }
    bool Ended() const { return WaitForSingleObject(process_, 0) == WAIT_OBJECT_0; }
    bool WaitForEnd() const { return WaitFor([&] { return Ended(); }, 20000); }

private:
    HANDLE process_ = nullptr;
};

// Another process walks the children through oleacc while this one answers
// from its message loop.
TEST_F(AccessibleTest, AClientInAnotherProcessWalksTheChildren) {
    TempFolder out;
    const std::string report = out / "walk.txt";
    Peer peer("walk " + std::to_string(reinterpret_cast<UINT_PTR>(view->Handle())) + " \"" + report + "\" 4");
    ASSERT_TRUE(peer.Started());
    ASSERT_TRUE(WaitFor([&] { return GetFileAttributesA(report.c_str()) != INVALID_FILE_ATTRIBUTES; }, 60000));
    EXPECT_TRUE(peer.WaitForEnd());
    const std::vector<std::string> lines = Lines(report);
    for (const std::string& line : lines) std::printf("peer: %s\n", line.substr(0, 120).c_str());
    ASSERT_GE(lines.size(), 3u);
    ASSERT_EQ(lines[0], "object 00000000");
    EXPECT_EQ(lines[1], "self 33 ");  // ROLE_SYSTEM_LIST; no caption
    EXPECT_EQ(lines[2], "count " + std::to_string(view->Count()));
    ASSERT_EQ(lines.size(), 3u + view->Count() + 4u);
    for (int i : {0, 1, 2, 5, 100}) {
        std::istringstream in(lines[3 + static_cast<size_t>(i)]);
        std::string word, hr, name;
        long id, role, l, t, w, h;
        unsigned long state;
        in >> word >> id >> role >> std::hex >> state >> hr >> std::dec >> l >> t >> w >> h;
        std::getline(in >> std::ws, name);
        EXPECT_EQ(id, i + 1);
        EXPECT_EQ(role, ROLE_SYSTEM_GRAPHIC);
        EXPECT_EQ(hr, "00000000");
        const std::string& path = view->File(i);
        EXPECT_EQ(name, path.substr(path.find_last_of('\\') + 1));
        RECT r = view->PictureRect(i);
        MapWindowPoints(view->Handle(), nullptr, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(l, r.left);
        EXPECT_EQ(t, r.top);
        EXPECT_EQ(w, r.right - r.left);
        EXPECT_EQ(h, r.bottom - r.top);
        EXPECT_EQ((state & STATE_SYSTEM_UNAVAILABLE) != 0, i == 1);
    }
    // The peer selected child 4 first: the focus frame went there.
    EXPECT_EQ(view->FocusIndex(), 3);
    EXPECT_EQ(lines[lines.size() - 3], "selection 3 4");
    EXPECT_EQ(lines[lines.size() - 2], "hit 3 1");
    EXPECT_EQ(lines.back(), "done");
}

// What a screen reader hears: a focus event naming the focused picture.
std::vector<std::string> heardEvents;
void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD event, HWND wnd, LONG object, LONG child, DWORD, DWORD) {
    IAccessible* acc = nullptr;
    VARIANT id;
    VariantInit(&id);
    std::wstring name;
    if (SUCCEEDED(AccessibleObjectFromEvent(wnd, static_cast<DWORD>(object), static_cast<DWORD>(child), &acc, &id)) &&
        acc) {
        BSTR text = nullptr;
        if (SUCCEEDED(acc->get_accName(id, &text)) && text) name = text;
        SysFreeString(text);
        acc->Release();
    }
    heardEvents.push_back((event == EVENT_OBJECT_FOCUS ? "focus " : "selection ") + std::to_string(child) + " " +
                          std::string(name.begin(), name.end()));
}

TEST_F(AccessibleTest, FocusAndSelectionEventsNameTheFocusedPicture) {
    heardEvents.clear();
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_SELECTION, nullptr, OnWinEvent,
                                         GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    // A client in another process listens too (a screen reader runs apart).
    TempFolder out;
    const std::string log = out / "events.txt";
    Peer peer("events " + std::to_string(GetCurrentProcessId()) + " \"" + log + "\"");
    ASSERT_TRUE(peer.Started());
    ASSERT_TRUE(WaitFor([&] { return !Lines(log).empty(); }, 30000));
    ASSERT_EQ(Lines(log)[0], "ready");

    Press(VK_RIGHT);
    Press(VK_RIGHT);
    const auto heard = [&](const std::string& line) {
        return std::find(heardEvents.begin(), heardEvents.end(), line) != heardEvents.end();
    };
    EXPECT_TRUE(WaitFor([&] { return heard("focus 4 blue.gif") && heard("selection 4 blue.gif"); }, 10000));
    EXPECT_TRUE(heard("focus 3 banana.gif"));
    UnhookWinEvent(hook);

    // Wine here calls no out-of-context hook of another process; on Windows
    // the peer hears the same events.
    const bool peerHeard = WaitFor(
        [&] {
            const std::vector<std::string> lines = Lines(log);
            return std::find(lines.begin(), lines.end(), "event focus 4 blue.gif") != lines.end();
        },
        3000);
    std::ofstream(log + ".stop") << "stop";
    EXPECT_TRUE(peer.WaitForEnd());
    std::printf("events heard in another process: %s\n", peerHeard ? "yes" : "none (not delivered across processes)");
}

}  // namespace
