// The real Tovira.exe with file and folder names that break naive code:
// apostrophes, ampersands, percent signs, blanks, dots at either end (made
// through \\?\, as Win32 strips them), letters of the ANSI code page beyond
// ASCII, a letter outside it, and picture paths just below and past
// MAX_PATH. A pick pastes exactly the path of the picture clicked, or the
// picture cannot be picked at all; never a cut or changed path.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "EndToEndChecks.h"

namespace {

// Wine's tray comes and goes with its first and last icon, seconds each;
// one icon of ours keeps it up, so programs start and end quickly.
[[maybe_unused]] auto* const trayKeeper = ::testing::AddGlobalTestEnvironment(new WineTrayKeeper);

using clip_test::ComposePeer;
using e2e::ViewAccess;

const std::string kOdd = "it's & 100% odd";
// "café crème" in code page 1252, where the tests run (checked below).
const std::string kCafe = "caf\xE9";
const std::string kCreme = "caf\xE9 cr\xE8me.gif";

// Names a click must paste as they are.
const std::vector<std::string> kOddNames = {
    "Bob's smile.gif", "a&b;c=d.gif", "100% sure.gif", "%41%20.gif", " lead space.gif",
    "dots..gif",       "[x] (y) {z} #1 ~2.gif", kCreme,
};

// A file written through the wide API with the \\?\ prefix: no name
// changes, no length limit.
void WriteVerbatim(const std::string& path, const std::string& bytes) {
    std::wstring wide(path.size() + 1, L'\0');
    wide.resize(static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(),
                                                        static_cast<int>(wide.size())) - 1));
    HANDLE h = CreateFileW((L"\\\\?\\" + wide).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
}

class BadNames : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // oleacc
        // The byte 0xE9 must be a letter of this code page for the names above.
        wchar_t e = 0;
        MultiByteToWideChar(CP_ACP, 0, "\xE9", 1, &e, 1);
        ansiLetters = e == L'\x00E9';
        smile = e2e::TestPicture("smile.gif");
        app = new TempFolder;
        // The window stays up after a pick, so picks follow one another.
        app->WriteFile("Tovira.ini", "[Options]\r\nDoMinimize=0\r\n");
        app->MakeFolder("images");
        app->MakeFolder("images\\general");
        app->WriteFile("images\\general\\smile.gif", smile);

        const std::string odd = app->MakeFolder("images\\" + kOdd);
        for (const std::string& name : kOddNames)
            if (name != kCreme || ansiLetters) app->WriteFile("images\\" + kOdd + "\\" + name, smile);
        app->WriteFile("images\\" + kOdd + "\\.hidden.gif", smile);  // dot names are skipped
        WriteVerbatim(odd + "\\trail.gif.", smile);                 // no picture extension
        WriteVerbatim(odd + "\\trailspace.gif ", smile);
        // A letter outside the ANSI code page: the program sees "zh?.gif".
        HANDLE h = CreateFileW((L"\\\\?\\" + Wide(odd) + L"\\zh\x0436.gif").c_str(), GENERIC_WRITE, 0, nullptr,
                               CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(h, smile.data(), static_cast<DWORD>(smile.size()), &written, nullptr);
        CloseHandle(h);

        if (ansiLetters) {
            app->MakeFolder("images\\" + kCafe);
            app->WriteFile("images\\" + kCafe + "\\smile.gif", smile);
        }
        app->MakeFolder("images\\.dotcat");  // not a category
        // Folder names Win32 would strip: a trailing dot and a trailing blank.
        CreateDirectoryA(("\\\\?\\" + *app / "images\\dotted.").c_str(), nullptr);
        WriteVerbatim(*app / "images\\dotted.\\a.gif", smile);
        CreateDirectoryA(("\\\\?\\" + *app / "images\\spaced ").c_str(), nullptr);
        WriteVerbatim(*app / "images\\spaced \\b.gif", smile);

        // Picture paths of 250 to 259 characters, and two past MAX_PATH.
        const std::string longFolder = app->MakeFolder("images\\long");
        for (size_t length : {250, 251, 252, 253, 254, 255, 256, 257, 258, 259, 260, 280}) {
            std::string name = "p" + std::to_string(length) + "_";
            name += std::string(length - (longFolder.size() + 1) - name.size() - 4, 'x') + ".gif";
            WriteVerbatim(longFolder + "\\" + name, smile);
            longNames.push_back(name);
        }

        peer = new ComposePeer("ATH_Note", "Compose");
        program = new ProgramUnderTest(*app);
        started = program->StartShown();
    }
    static void TearDownTestSuite() {
        delete program;
        delete peer;
        delete app;
    }
    void SetUp() override {
        // A case that closed the program leaves the next one a new program.
        if (started && !program->Running()) {
            delete program;
            program = new ProgramUnderTest(*app);
            started = program->StartShown();
        }
        ASSERT_TRUE(started);
        ASSERT_TRUE(program->Running());
        ASSERT_TRUE(e2e::Answers(program->Main()));
    }

    static std::wstring Wide(const std::string& text) {
        std::wstring out(text.size() + 1, L'\0');
        out.resize(static_cast<size_t>(
            MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, out.data(), static_cast<int>(out.size())) - 1));
        return out;
    }
    // The tab whose caption holds `name`, shown; its view.
    static HWND Category(const std::string& name) {
        const std::vector<std::string> tabs = e2e::Tabs(*program);
        const auto it = std::find(tabs.begin(), tabs.end(), "   " + name + "   ");
        if (it == tabs.end()) return nullptr;
        if (!program->Reveal()) return nullptr;
        return e2e::ShowTab(*program, static_cast<int>(it - tabs.begin()));
    }
    // Clicks the picture named `name` of `view` and expects its full path
    // pasted, the window staying up.
    static void ExpectPick(HWND view, const std::string& folder, const std::string& name) {
        ViewAccess pictures(view);
        const long id = pictures.Find(name);
        ASSERT_GT(id, 0) << name;
        // Counted from the peer: a case that failed half-way leaves no
        // count behind for the next.
        const size_t pastes = peer->Pastes().size() + 1;
        ASSERT_TRUE(e2e::ClickPicture(view, id)) << name;
        ASSERT_TRUE(peer->WaitForPastes(pastes)) << name;
        const std::string path = e2e::Slashed(*app / folder) + "/" + name;
        const std::string fragment = "<!--StartFragment--><IMG src=\"file:///" + path + "\"><!--EndFragment-->";
        EXPECT_EQ(peer->Pastes().back(), fragment + '\0');
        EXPECT_EQ(peer->Pastes().size(), pastes);
    }

    static inline TempFolder* app = nullptr;
    static inline ComposePeer* peer = nullptr;
    static inline ProgramUnderTest* program = nullptr;
    static inline bool started = false;
    static inline bool ansiLetters = false;
    static inline std::string smile;
    static inline std::vector<std::string> longNames;
};

TEST_F(BadNames, OddFolderNamesAreCategoriesAndDotNamesAreNot) {
    ASSERT_TRUE(ansiLetters) << "code page " << GetACP() << " has no \\xE9";
    std::vector<std::string> tabs = e2e::Tabs(*program);
    ASSERT_FALSE(tabs.empty());
    EXPECT_EQ(tabs.front(), "   general   ");
    std::sort(tabs.begin(), tabs.end());
    std::vector<std::string> expected;
    for (const std::string& name : {std::string("general"), kOdd, kCafe, std::string("dotted."),
                                    std::string("spaced "), std::string("long")})
        expected.push_back("   " + name + "   ");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(tabs, expected);
}

TEST_F(BadNames, EveryOddPictureNamePastesItsOwnPath) {
    HWND view = Category(kOdd);
    ASSERT_NE(view, nullptr);
    ViewAccess pictures(view);
    std::vector<std::string> shown;
    for (long id = 1, n = pictures.Count(); id <= n; ++id) shown.push_back(pictures.Name(id));
    std::printf("[ observed ] listed:");
    for (const std::string& s : shown) std::printf(" \"%s\"", s.c_str());
    std::printf("\n");
    // Dot names and names that only look like pictures are not listed.
    for (const char* hidden : {".hidden.gif", "trail.gif.", "trailspace.gif "})
        EXPECT_EQ(std::count(shown.begin(), shown.end(), hidden), 0) << hidden;
    // The name the program cannot spell shows as a picture it cannot read.
    const long unspellable = pictures.Find("zh?.gif");
    ASSERT_GT(unspellable, 0);
    RECT r{};
    ASSERT_TRUE(WaitFor([&] { return PictureOnScreen(view, pictures.Count(), r); }));
    EXPECT_FALSE(pictures.Pickable(unspellable));
    ASSERT_TRUE(e2e::ClickPicture(view, unspellable));  // picks nothing: the next paste is the next pick

    for (const std::string& name : kOddNames) ExpectPick(view, "images\\" + kOdd, name);
    EXPECT_TRUE(IsWindowVisible(program->Main()));
}

TEST_F(BadNames, ANonAsciiCategoryPastesItsPath) {
    HWND view = Category(kCafe);
    ASSERT_NE(view, nullptr);
    ExpectPick(view, "images\\" + kCafe, "smile.gif");
}

TEST_F(BadNames, AFolderWithATrailingDotIsEmptyAndOneWithATrailingBlankWorks) {
    // Win32 drops a trailing dot inside a path, so "dotted.\a.gif" names a
    // file that is not there: the tab shows nothing rather than a wrong file.
    HWND dotted = Category("dotted.");
    ASSERT_NE(dotted, nullptr);
    EXPECT_EQ(ViewAccess(dotted).Count(), 0);
    // A trailing blank inside a path stays: the picture is reachable and pastes.
    HWND spaced = Category("spaced ");
    ASSERT_NE(spaced, nullptr);
    ExpectPick(spaced, "images\\spaced ", "b.gif");
}

TEST_F(BadNames, PathsNearMaxPathPasteWholeOrCannotBePicked) {
    HWND view = Category("long");
    ASSERT_NE(view, nullptr);
    ViewAccess pictures(view);
    ASSERT_EQ(pictures.Count(), static_cast<long>(longNames.size()));
    RECT r{};
    ASSERT_TRUE(WaitFor([&] { return PictureOnScreen(view, pictures.Count(), r); }));
    for (const std::string& name : longNames) {
        const long id = pictures.Find(name);
        ASSERT_GT(id, 0) << name.size();
        const size_t length = (*app / "images\\long").size() + 1 + name.size();
        const bool pickable = pictures.Pickable(id);
        std::printf("[ observed ] picture path of %zu characters: %s\n", length, pickable ? "shown" : "broken");
        // Below MAX_PATH every picture shows.
        if (length < MAX_PATH) {
            EXPECT_TRUE(pickable) << length;
        }
    }
    // The longest that Win32 takes, and the ones past it if they show.
    for (const std::string& name : longNames) {
        const size_t length = (*app / "images\\long").size() + 1 + name.size();
        if (length == 250 || length == 259 || (length >= MAX_PATH && pictures.Pickable(pictures.Find(name))))
            ExpectPick(view, "images\\long", name);
    }
}

TEST_F(BadNames, ClosingWritesTheOptionsAndEnds) {
    ASSERT_TRUE(e2e::CloseAndWait(*program));
    // The pictures picked so far follow in the section Recent.
    const std::string ini = TempFolder::ReadFile(*app / "Tovira.ini");
    EXPECT_EQ(ini.rfind("[Options]\r\nDoMinimize=0\r\nDoSetHtml=1\r\nSound On=1\r\nHotkey=Win+Shift+E\r\nPasteAnywhere=1\r\n", 0), 0u) << ini;
}

std::wstring WideOf(const std::string& text) {
    std::wstring out(text.size() + 1, L'\0');
    out.resize(static_cast<size_t>(
        MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, out.data(), static_cast<int>(out.size())) - 1));
    return out;
}

// A program folder whose path leaves no room for the names of the program's
// own files. Cut at MAX_PATH, the executable's path would name the folder
// above it: the program must not take that folder's options file (or
// write there), but say where to move it, and stop.
TEST(LongProgramFolder, StopsWithAMessageAndTouchesNoOtherFolder) {
    TempFolder base;
    const std::string outer = base / std::string(200 - base.Path().size() - 1, 'o');
    const std::string folder = outer + "\\" + std::string(80, 'a');  // Tovira.exe at 291 characters
    ASSERT_TRUE(CreateDirectoryA(outer.c_str(), nullptr));
    const std::string decoy = "[Options]\r\nDoSetHtml=0\r\n";
    base.WriteFile(outer.substr(base.Path().size() + 1) + "\\Tovira.ini", decoy);
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + WideOf(folder)).c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(WideOf(WinePath(TOVIRA_EXE_UNIX)).c_str(),
                          (L"\\\\?\\" + WideOf(folder) + L"\\Tovira.exe").c_str(), FALSE));

    // Wine's CreateProcess takes no path past MAX_PATH; its loader, given the
    // Unix path, does.
    const std::string unixExe = e2e::UnixPath(base.Path()) + "/" + outer.substr(base.Path().size() + 1) + "/" +
                                folder.substr(outer.size() + 1) + "/Tovira.exe";
    const std::string loader = sizeof(void*) == 8 ? "/usr/lib/wine/wine64" : "wine";  // this program's kind
    ASSERT_TRUE(RunUnixCommand("cd /tmp && (" + loader + " '" + unixExe + "' >/dev/null 2>&1 &)"));
    // The report, or (where the path was cut) the program's main window.
    HWND box = nullptr, main = nullptr;
    WaitFor([&] {
        box = FindWindowA("#32770", "Tovira 1.0");
        main = FindWindowA("Tovira.TfrmMain", nullptr);
        return box || main;
    });
    DWORD pid = 0;
    GetWindowThreadProcessId(box ? box : main, &pid);
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION, FALSE, pid);
    ASSERT_NE(process, nullptr) << "the program did not start";
    const bool reported = box != nullptr;
    DWORD exitCode = STILL_ACTIVE;
    if (reported) {
        EXPECT_EQ(MessageBoxText(box), "The folder path of Tovira is too long: " + folder +
                                           "\n\nMove the Tovira folder to a folder with a shorter path, for "
                                           "example C:\\Tovira, and start it again.");
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(WaitForSingleObject(process, 20000), WAIT_OBJECT_0);
        GetExitCodeProcess(process, &exitCode);
        EXPECT_EQ(exitCode, 1u);
        EXPECT_EQ(FindWindowA("Tovira.TfrmMain", nullptr), nullptr);
    }
    if (exitCode == STILL_ACTIVE) {
        // Started in the wrong folder: ended so that its close cannot write either.
        TerminateProcess(process, 1);
        WaitForSingleObject(process, 10000);
    }
    CloseHandle(process);
    EXPECT_TRUE(reported) << "no message about the folder path";
    EXPECT_EQ(TempFolder::ReadFile(outer + "\\Tovira.ini"), decoy);
    EXPECT_EQ(GetFileAttributesW((L"\\\\?\\" + WideOf(folder) + L"\\Tovira.ini").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
