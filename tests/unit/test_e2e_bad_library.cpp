// The real Tovira.exe with picture libraries no user meant to make: a
// thousand files that are no pictures, damaged and renamed pictures, a
// folder named like a picture, a category it may not read, "images" as a
// file, two thousand categories. Every case: the program starts, answers,
// shows through the tray, still pastes a good picture, and writes its
// options when closed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EndToEndChecks.h"

namespace {

// Wine's tray comes and goes with its first and last icon, seconds each;
// one icon of ours keeps it up, so programs start and end quickly.
[[maybe_unused]] auto* const trayKeeper = ::testing::AddGlobalTestEnvironment(new WineTrayKeeper);

using clip_test::ComposePeer;
using e2e::ViewAccess;

constexpr int kCorruptFiles = 1000;
const char kDefaultOptions[] = "[Options]\r\nDoMinimize=1\r\nDoSetHtml=1\r\nSound On=1\r\nHotkey=Win+Shift+E\r\nPasteAnywhere=1\r\n";

// File `i` of the corrupt category: no picture, in one of several ways,
// under each of the four picture extensions.
std::pair<std::string, std::string> CorruptFile(int i) {
    static const char* const extensions[] = {"gif", "jpg", "bmp", "png"};
    std::string bytes;
    switch (i % 6) {
        case 0: break;  // empty
        case 1: bytes = "this is no picture at all"; break;
        case 2: bytes = std::string("GIF89a") + std::string(40, '\xff'); break;
        case 3: bytes = std::string("\x89PNG\r\n\x1a\n", 8) + std::string(60, '\x07'); break;
        case 4: bytes = std::string("\xff\xd8\xff\xe0", 4) + std::string(100, '\x13'); break;
        case 5: bytes = "BM" + std::string(52, '\xee'); break;  // header fields all huge
    }
    char name[32];
    wsprintfA(name, "bad%04d.%s", i, extensions[i % 4]);
    return {name, bytes};
}

class BadLibrary : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // oleacc
        app = new TempFolder;
        const std::string smile = e2e::TestPicture("smile.gif");
        const std::string wink = e2e::TestPicture("wink.png");
        const std::string pizza = e2e::TestPicture("pizza.jpg");
        app->MakeFolder("images");
        app->MakeFolder("images\\general");
        app->WriteFile("images\\general\\smile.gif", smile);

        app->MakeFolder("images\\corrupt");
        for (int i = 0; i < kCorruptFiles; ++i) {
            auto [name, bytes] = CorruptFile(i);
            app->WriteFile("images\\corrupt\\" + name, bytes);
        }

        app->MakeFolder("images\\damaged");
        app->WriteFile("images\\damaged\\empty.gif", "");
        app->WriteFile("images\\damaged\\half.gif", smile.substr(0, smile.size() / 2));
        app->WriteFile("images\\damaged\\half.png", wink.substr(0, wink.size() / 2));
        app->WriteFile("images\\damaged\\head.jpg", pizza.substr(0, 20));
        app->WriteFile("images\\damaged\\png inside.gif", wink);  // renamed: the bytes decide
        app->MakeFolder("images\\damaged\\x.gif");                 // a folder, not a picture
        app->WriteFile("images\\damaged\\x.gif\\inner.gif", smile);

        // A category it cannot read: held open by another program without
        // sharing; also mode 000 on the Unix side (which root reads anyway).
        lockedFolder = app->MakeFolder("images\\locked");
        app->WriteFile("images\\locked\\hidden.gif", smile);
        lock = CreateFileA(lockedFolder.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                           nullptr);
        RunUnixCommand("chmod 000 '" + e2e::UnixPath(lockedFolder) + "'");

        peer = new ComposePeer("ATH_Note", "Compose");
        program = new ProgramUnderTest(*app);
        const DWORD start = GetTickCount();
        started = program->Start();
        e2e::Report("start with 1,000 corrupt files and a locked category", start);
    }
    static void TearDownTestSuite() {
        delete program;
        delete peer;
        if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);
        RunUnixCommand("chmod 755 '" + e2e::UnixPath(lockedFolder) + "'");
        delete app;
    }
    void SetUp() override {
        // A case that closed the program leaves the next one a new program.
        if (started && !program->Running()) {
            delete program;
            program = new ProgramUnderTest(*app);
            started = program->Start();
        }
        ASSERT_TRUE(started);
        ASSERT_TRUE(program->Running());
        ASSERT_TRUE(e2e::Answers(program->Main()));
    }

    static inline TempFolder* app = nullptr;
    static inline ComposePeer* peer = nullptr;
    static inline ProgramUnderTest* program = nullptr;
    static inline bool started = false;
    static inline std::string lockedFolder;
    static inline HANDLE lock = INVALID_HANDLE_VALUE;
};

TEST_F(BadLibrary, EveryCategoryGetsItsTab) {
    ASSERT_TRUE(program->Reveal());
    const std::vector<std::string> expected{"   general   ", "   corrupt   ", "   damaged   ", "   locked   "};
    EXPECT_EQ(e2e::Tabs(*program), expected);
}

TEST_F(BadLibrary, AThousandFilesThatAreNoPicturesShowAsBrokenAndPickNothing) {
    ASSERT_TRUE(program->Reveal());
    const DWORD start = GetTickCount();
    HWND view = e2e::ShowTab(*program, 1);
    ASSERT_NE(view, nullptr);
    ViewAccess pictures(view);
    ASSERT_TRUE(pictures.Valid());
    ASSERT_EQ(pictures.Count(), kCorruptFiles);
    // Asking where the last one is makes the view read every file up to it.
    RECT last{};
    EXPECT_TRUE(WaitFor([&] { return PictureOnScreen(view, kCorruptFiles, last); }));
    e2e::Report("tab of 1,000 corrupt files shown and every file read", start);
    EXPECT_TRUE(e2e::Answers(program->Main()));
    int pickable = 0;
    for (long id = 1; id <= kCorruptFiles; ++id) pickable += pictures.Pickable(id);
    EXPECT_EQ(pickable, 0);

    // A click on one does nothing; the next good pick is the next paste.
    const size_t pastes = peer->Pastes().size();
    ASSERT_TRUE(e2e::ClickPicture(view, 2));
    EXPECT_TRUE(IsWindowVisible(program->Main()));
    HWND general = e2e::ShowTab(*program, 0);
    ASSERT_NE(general, nullptr);
    e2e::ExpectPickPastes(*program, general, 1, *peer, pastes + 1,
                          e2e::Slashed(app->Path()) + "/images/general/smile.gif");
}

TEST_F(BadLibrary, DamagedPicturesAreBrokenAndRenamedOnesShowByTheirBytes) {
    ASSERT_TRUE(program->Reveal());
    HWND view = e2e::ShowTab(*program, 2);
    ASSERT_NE(view, nullptr);
    ViewAccess pictures(view);
    // The folder x.gif is not a picture; the pictures come extension by extension.
    std::vector<std::string> names;
    for (long id = 1, n = pictures.Count(); id <= n; ++id) names.push_back(pictures.Name(id));
    const std::vector<std::string> expected{"empty.gif", "half.gif", "png inside.gif", "head.jpg", "half.png"};
    ASSERT_EQ(names, expected);

    RECT r{};
    ASSERT_TRUE(WaitFor([&] { return PictureOnScreen(view, 5, r); }));
    EXPECT_FALSE(pictures.Pickable(1));  // empty
    EXPECT_FALSE(pictures.Pickable(4));  // a header and nothing else
    for (long id : {2L, 5L})
        std::printf("[ observed ] %s: %s\n", names[id - 1].c_str(), pictures.Pickable(id) ? "shown" : "broken");
    ASSERT_TRUE(pictures.Pickable(3));
    e2e::ExpectPickPastes(*program, view, 3, *peer, peer->Pastes().size() + 1,
                          e2e::Slashed(app->Path()) + "/images/damaged/png inside.gif");
}

TEST_F(BadLibrary, ACategoryItCannotReadIsAnEmptyTab) {
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(program->Reveal());
    HWND view = e2e::ShowTab(*program, 3);
    ASSERT_NE(view, nullptr);
    ViewAccess pictures(view);
    EXPECT_EQ(pictures.Count(), 0);
    EXPECT_TRUE(e2e::Answers(program->Main()));
}

TEST_F(BadLibrary, ClosingWritesTheOptionsAndEnds) {
    ASSERT_TRUE(e2e::CloseAndWait(*program));
    // The pictures picked so far follow in the section Recent.
    const std::string ini = TempFolder::ReadFile(*app / "Tovira.ini");
    EXPECT_EQ(ini.rfind(kDefaultOptions, 0), 0u) << ini;
}

// "images" is a file: no tabs, everything else works.
TEST(BadLibraryFolder, ImagesAsAFileGivesNoTabsAndTheRestWorks) {
    TempFolder app;
    app.WriteFile("images", "not a folder");
    ProgramUnderTest program(app);
    ASSERT_TRUE(program.StartShown());
    EXPECT_TRUE(e2e::Tabs(program).empty());
    EXPECT_TRUE(e2e::Answers(program.Main()));
    HWND minimize = ProgramUnderTest::FindChild(program.Main(), "Button", "Minimize to tray");
    ASSERT_NE(minimize, nullptr);
    PostMessageA(minimize, BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(program.Main()); }));
    ASSERT_TRUE(program.Reveal());
    ASSERT_TRUE(e2e::CloseAndWait(program));
    EXPECT_EQ(TempFolder::ReadFile(app / "Tovira.ini"), kDefaultOptions);
    EXPECT_EQ(TempFolder::ReadFile(app / "images"), "not a folder");
}

// Two thousand categories: it starts, shows them all and still picks.
TEST(BadLibraryFolder, TwoThousandCategoriesStartShowAndPick) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    constexpr int kCategories = 2000;
    TempFolder app;
    app.MakeFolder("images");
    for (int i = 0; i < kCategories - 1; ++i) {
        char name[32];
        wsprintfA(name, "images\\c%04d", i);
        app.MakeFolder(name);
    }
    app.MakeFolder("images\\general");
    app.WriteFile("images\\general\\smile.gif", e2e::TestPicture("smile.gif"));
    ComposePeer peer("ATH_Note", "Compose");
    ProgramUnderTest program(app);
    DWORD start = GetTickCount();
    ASSERT_TRUE(program.Start());
    // The icon comes before the tabs are built: ready is when the window answers.
    ASSERT_TRUE(WaitFor([&] { return e2e::Answers(program.Main(), 1000); }, 60000));
    e2e::Report("start with 2,000 categories, until the window answers", start);
    start = GetTickCount();
    ASSERT_TRUE(program.Reveal());
    e2e::Report("first reveal with 2,000 categories", start);
    const std::vector<std::string> tabs = e2e::Tabs(program);
    ASSERT_EQ(tabs.size(), static_cast<size_t>(kCategories));
    EXPECT_EQ(tabs.front(), "   general   ");
    EXPECT_EQ(tabs.back(), "   c1998   ");
    EXPECT_TRUE(e2e::Answers(program.Main()));

    // The tab rows cover the pages now: the keyboard picks.
    e2e::Keys(program, {VK_HOME, VK_RETURN});
    e2e::ExpectPasted(program, peer, 1, e2e::Slashed(app.Path()) + "/images/general/smile.gif");
    start = GetTickCount();
    ASSERT_TRUE(e2e::CloseAndWait(program));
    e2e::Report("close with 2,000 categories", start);
    EXPECT_EQ(TempFolder::ReadFile(app / "Tovira.ini"),
              std::string(kDefaultOptions) + "[Recent]\r\n1=" + app.Path() + "\\images\\general\\smile.gif\r\n");
}

}  // namespace
