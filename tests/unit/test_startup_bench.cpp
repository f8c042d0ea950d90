// Start-up of the real program against the size of its picture library:
// from CreateProcess until the program sits in the tray (main window made,
// tabs and icon pages built, tray icon shown). Prints, does not assert: the
// figures depend on the machine's load.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ProgramUnderTest.h"

// Wine's tray window stays up between the starts: its showing would cost
// about two seconds a start and hide what the program itself costs.
[[maybe_unused]] auto* const trayKeeper = ::testing::AddGlobalTestEnvironment(new WineTrayKeeper);

namespace {

std::string FixturePicture(const std::string& name) {
    return TempFolder::ReadFile(WinePath(std::string(TEST_DATA_DIR) + "/pictures/" + name));
}

// Copies every picture of the default library into `app`'s images folder.
void CopyDefaultLibrary(const TempFolder& app) {
    const std::string source = WinePath(LIBRARY_DIR_UNIX);
    app.MakeFolder("images");
    WIN32_FIND_DATAA folder;
    HANDLE folders = FindFirstFileA((source + "\\*").c_str(), &folder);
    if (folders == INVALID_HANDLE_VALUE) return;
    do {
        if (folder.cFileName[0] == '.' || !(folder.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        const std::string category = folder.cFileName;
        app.MakeFolder("images\\" + category);
        WIN32_FIND_DATAA file;
        HANDLE files = FindFirstFileA((source + "\\" + category + "\\*").c_str(), &file);
        if (files == INVALID_HANDLE_VALUE) continue;
        do {
            if (file.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            CopyFileA((source + "\\" + category + "\\" + file.cFileName).c_str(),
                      (app / ("images\\" + category + "\\" + file.cFileName)).c_str(), FALSE);
        } while (FindNextFileA(files, &file));
        FindClose(files);
    } while (FindNextFileA(folders, &folder));
    FindClose(folders);
}

// Median of three starts, in milliseconds.
DWORD StartUpMs(const TempFolder& app) {
    std::vector<DWORD> runs;
    for (int i = 0; i < 3; ++i) {
        ProgramUnderTest program(app);
        const DWORD start = GetTickCount();
        EXPECT_TRUE(program.Start());
        EXPECT_TRUE(WaitFor([] { return WineTrayIcons().size() >= 2; }));  // ours beside the keeper's
        runs.push_back(GetTickCount() - start);
    }
    std::sort(runs.begin(), runs.end());
    return runs[1];
}

}  // namespace

TEST(StartUpBenchmark, EmptyDefaultAndLargeLibraries) {
    TempFolder empty;
    empty.MakeFolder("images");
    TempFolder standard;
    CopyDefaultLibrary(standard);
    TempFolder large;
    large.MakeFolder("images");
    const std::string smile = FixturePicture("smile.gif");
    constexpr int kCategories = 40, kPerCategory = 100;
    for (int c = 0; c < kCategories; ++c) {
        const std::string category = "images\\category" + std::to_string(c);
        large.MakeFolder(category);
        for (int p = 0; p < kPerCategory; ++p) large.WriteFile(category + "\\p" + std::to_string(p) + ".gif", smile);
    }
    const DWORD emptyMs = StartUpMs(empty);
    const DWORD standardMs = StartUpMs(standard);
    const DWORD largeMs = StartUpMs(large);
    std::printf("[ measured ] start-up to the tray icon (median of 3): empty library %lu ms, default library %lu ms, "
                "%d x %d pictures %lu ms\n",
                static_cast<unsigned long>(emptyMs), static_cast<unsigned long>(standardMs), kCategories,
                kPerCategory, static_cast<unsigned long>(largeMs));
}
