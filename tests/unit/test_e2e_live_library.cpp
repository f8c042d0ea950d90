// The real Tovira.exe while its picture library changes under it: pictures
// copied in, written in two halves, deleted; a thousand dropped in at once;
// category folders added and removed; "images" renamed away and back. The
// window shows the changes (the picture view through oleacc, the tab list)
// without a restart. The main window's property "Tovira.Listings" counts
// the folder listings the program made.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EndToEndChecks.h"
#include "UnixCommand.h"

namespace {

[[maybe_unused]] auto* const trayKeeper = ::testing::AddGlobalTestEnvironment(new WineTrayKeeper);

using e2e::ViewAccess;

const std::vector<std::string> kBaseTabs{"   general   ", "   people   ", "   zoo   "};

long Listings(const ProgramUnderTest& program) {
    return static_cast<long>(reinterpret_cast<INT_PTR>(GetPropA(program.Main(), "Tovira.Listings")));
}

// A shell command on the application folder's Unix side.
bool InApp(const TempFolder& app, const std::string& command) {
    return RunUnixCommand("cd '" + e2e::UnixPath(app.Path()) + "' && " + command);
}

class LiveLibrary : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // oleacc
        app = new TempFolder;
        smile = e2e::TestPicture("smile.gif");
        wink = e2e::TestPicture("wink.png");
        app->MakeFolder("images");
        for (const char* name : {"general", "people", "zoo"}) app->MakeFolder(std::string("images\\") + name);
        app->WriteFile("images\\general\\smile.gif", smile);
        app->WriteFile("images\\people\\smile.gif", smile);
        app->WriteFile("images\\zoo\\wink.png", wink);
        program = new ProgramUnderTest(*app);
        started = program->StartShown();
    }
    static void TearDownTestSuite() {
        delete program;
        delete app;
    }
    void SetUp() override {
        ASSERT_TRUE(started);
        ASSERT_TRUE(program->Running());
        ASSERT_TRUE(program->Reveal());
        ASSERT_TRUE(WaitFor([] { return e2e::Tabs(*program) == kBaseTabs; })) << "the library as the suite made it";
    }
    // The view of the general tab, shown, and its pictures.
    static HWND General() { return e2e::ShowTab(*program, 0); }
    static bool Shows(HWND view, long count) {
        return WaitFor([&] { return ViewAccess(view).Count() == count; });
    }

    static inline TempFolder* app = nullptr;
    static inline ProgramUnderTest* program = nullptr;
    static inline bool started = false;
    static inline std::string smile, wink;
};

TEST_F(LiveLibrary, APictureCopiedIntoTheShownTabAppearsAndADeletedOneGoes) {
    HWND view = General();
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(Shows(view, 1));
    CopyFileA((*app / "images\\zoo\\wink.png").c_str(), (*app / "images\\general\\copied.png").c_str(), FALSE);
    ASSERT_TRUE(Shows(view, 2));
    ViewAccess pictures(view);
    ASSERT_EQ(pictures.Name(2), "copied.png");  // gif before png
    EXPECT_TRUE(WaitFor([&] { return pictures.Pickable(2); }));
    ASSERT_TRUE(DeleteFileA((*app / "images\\general\\copied.png").c_str()));
    ASSERT_TRUE(Shows(view, 1));
    EXPECT_EQ(ViewAccess(view).Name(1), "smile.gif");
    EXPECT_TRUE(e2e::Answers(program->Main()));
}

TEST_F(LiveLibrary, APictureWrittenInTwoHalvesShowsThePlaceholderThenThePicture) {
    HWND view = General();
    ASSERT_NE(view, nullptr);
    const std::string path = *app / "images\\general\\half.png";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS,
                              0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const DWORD half = static_cast<DWORD>(wink.size() / 2);
    DWORD written = 0;
    WriteFile(file, wink.data(), half, &written, nullptr);
    FlushFileBuffers(file);
    ASSERT_TRUE(Shows(view, 2));
    ViewAccess pictures(view);
    ASSERT_EQ(pictures.Name(2), "half.png");
    RECT box{};
    ASSERT_TRUE(WaitFor([&] { return PictureOnScreen(view, 2, box); }));
    EXPECT_FALSE(pictures.Pickable(2)) << "half a picture is the placeholder";
    Sleep(500);  // the writer pauses, as a slow copy does (the scenario, not a wait for the program)
    WriteFile(file, wink.data() + half, static_cast<DWORD>(wink.size()) - half, &written, nullptr);
    CloseHandle(file);
    EXPECT_TRUE(WaitFor([&] { return ViewAccess(view).Pickable(2); })) << "the whole picture shows";
    // The program decodes from what it read: it holds no file the user would be kept from deleting.
    ASSERT_TRUE(DeleteFileA(path.c_str())) << GetLastError();
    ASSERT_TRUE(Shows(view, 1));
}

TEST_F(LiveLibrary, AThousandFilesDroppedInAtOnceAreOneRefresh) {
    HWND view = General();
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(Shows(view, 1));
    app->MakeFolder("staging");
    for (int i = 0; i < 1000; ++i) app->WriteFile("staging\\p" + std::to_string(1000 + i) + ".gif", smile);
    const long before = Listings(*program);
    ASSERT_TRUE(InApp(*app, "mv staging/* images/general/"));
    ASSERT_TRUE(Shows(view, 1001));
    EXPECT_EQ(Listings(*program) - before, 1);
    // A change after the burst is the next refresh: no late one of the burst came between.
    app->WriteFile("images\\general\\zz.png", wink);
    ASSERT_TRUE(Shows(view, 1002));
    EXPECT_EQ(Listings(*program) - before, 2);
    ASSERT_TRUE(InApp(*app, "rm -f images/general/p1*.gif images/general/zz.png && rmdir staging"));
    ASSERT_TRUE(Shows(view, 1));
}

TEST_F(LiveLibrary, FoldersAddedGetTheirTabsInTabOrderAndRemovedOnesGo) {
    app->MakeFolder("images\\Birds");
    app->MakeFolder("images\\additional");
    const std::vector<std::string> grown{"   general   ", "   additional   ", "   Birds   ", "   people   ",
                                         "   zoo   "};
    ASSERT_TRUE(WaitFor([&] { return e2e::Tabs(*program) == grown; }));
    ASSERT_TRUE(InApp(*app, "rmdir images/Birds images/additional"));
    EXPECT_TRUE(WaitFor([] { return e2e::Tabs(*program) == kBaseTabs; }));
}

TEST_F(LiveLibrary, TheShownCategoryRemovedTakesItsTabAndTheSelectionMovesToANeighbour) {
    app->MakeFolder("images\\quokka");
    app->WriteFile("images\\quokka\\q.gif", smile);
    ASSERT_TRUE(WaitFor([] { return e2e::Tabs(*program).size() == 4; }));
    HWND view = e2e::ShowTab(*program, 2);  // general, people, quokka, zoo
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(ViewAccess(view).Name(1), "q.gif");
    ASSERT_TRUE(InApp(*app, "rm -r images/quokka"));
    ASSERT_TRUE(WaitFor([] { return e2e::Tabs(*program) == kBaseTabs; }));
    HWND tabs = ProgramUnderTest::FindChild(program->Main(), "SysTabControl32");
    const LRESULT selected = SendMessageA(tabs, TCM_GETCURSEL, 0, 0);
    EXPECT_EQ(selected, 2) << "zoo, the tab after the removed one";
    HWND shown = e2e::ShownView(*program);
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(WaitFor([&] { return ViewAccess(shown).Name(1) == "wink.png"; }));
}

TEST_F(LiveLibrary, TheWatchSurvivesImagesRenamedAwayAndBack) {
    ASSERT_TRUE(InApp(*app, "mv images images.away"));
    EXPECT_TRUE(WaitFor([] { return e2e::Tabs(*program).empty(); }));
    ASSERT_TRUE(InApp(*app, "mv images.away images"));
    ASSERT_TRUE(WaitFor([] { return e2e::Tabs(*program) == kBaseTabs; }));
    HWND view = General();
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(Shows(view, 1));
    app->WriteFile("images\\general\\back.png", wink);
    EXPECT_TRUE(Shows(view, 2));
    ASSERT_TRUE(DeleteFileA((*app / "images\\general\\back.png").c_str())) << GetLastError();
    EXPECT_TRUE(Shows(view, 1));
}

// Start-up lists no folder; showing the window lists the shown tab's only.
TEST(LiveLibraryStart, NothingIsListedBeforeATabIsShown) {
    TempFolder app;
    app.MakeFolder("images");
    for (const char* name : {"general", "people", "zoo"}) {
        app.MakeFolder(std::string("images\\") + name);
        app.WriteFile(std::string("images\\") + name + "\\smile.gif", e2e::TestPicture("smile.gif"));
    }
    ProgramUnderTest program(app);
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(WaitFor([&] { return e2e::Tabs(program).size() == 3; }));
    EXPECT_EQ(Listings(program), 0);
    ASSERT_TRUE(program.Reveal());
    ASSERT_NE(e2e::ShownView(program), nullptr);
    EXPECT_EQ(Listings(program), 1);
    ASSERT_NE(e2e::ShowTab(program, 2), nullptr);
    EXPECT_EQ(Listings(program), 2);
    ASSERT_NE(e2e::ShowTab(program, 0), nullptr);
    EXPECT_EQ(Listings(program), 2) << "a tab shown again is not listed again";
    ASSERT_TRUE(e2e::CloseAndWait(program));
}

}  // namespace
