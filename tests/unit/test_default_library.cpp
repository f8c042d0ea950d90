// The default picture library as shipped (data/images), against what
// scripts/make-default-library.sh says it made (data/library-manifest.txt):
// the folders hold exactly the listed pictures, every picture decodes at its
// listed size through the program's own decoder and shows in the native
// view without a placeholder on every tab, and the animations have their
// frames, loop forever and use more than one disposal kind.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "ComApartment.h"
#include "Forms.h"
#include "PictureDecoder.h"
#include "PictureView.h"
#include "ProgramUnderTest.h"
#include "TempFolder.h"
#include "TestApplication.h"
#include "Wait.h"
#include "WindowCapture.h"

namespace {

struct Listed {
    std::string category, file;  // file: the name inside the category folder
    int width = 0, height = 0, frames = 0;
};

struct Manifest {
    std::vector<Listed> pictures;                  // in the script's order
    std::vector<std::pair<std::string, int>> categories;  // name, count as the script wrote it
    int total = -1;
};

Manifest ReadManifest() {
    Manifest m;
    std::ifstream in(WinePath(std::string(LIBRARY_DIR_UNIX) + "/../library-manifest.txt"));
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string kind;
        words >> kind;
        if (kind == "picture") {
            Listed p;
            std::string path;
            words >> path >> p.width >> p.height >> p.frames;
            p.category = path.substr(0, path.find('/'));
            p.file = path.substr(path.find('/') + 1);
            m.pictures.push_back(p);
        } else if (kind == "category") {
            std::string name;
            int count = -1;
            words >> name >> count;
            m.categories.emplace_back(name, count);
        } else if (kind == "total") {
            words >> m.total;
        }
    }
    return m;
}

std::string LibraryPath(const std::string& category, const std::string& file = "") {
    return WinePath(std::string(LIBRARY_DIR_UNIX) + "/" + category + (file.empty() ? "" : "/" + file));
}

// The names in a folder: its files, or its sub-folders.
std::set<std::string> Entries(const std::string& folder, bool folders) {
    std::set<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (found.cFileName[0] != '.' && isFolder == folders) names.insert(found.cFileName);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return names;
}

// The disposal codes of a GIF's graphic control extensions, walking its
// blocks (so that no byte inside image data is taken for one).
std::vector<int> GifDisposals(const std::string& bytes) {
    std::vector<int> codes;
    const auto* d = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const size_t n = bytes.size();
    if (n < 13 || bytes.compare(0, 3, "GIF") != 0) return codes;
    size_t at = 13;
    if (d[10] & 0x80) at += 3u << ((d[10] & 7) + 1);  // global colour table
    auto skipSubBlocks = [&] {
        while (at < n && d[at] != 0) at += d[at] + 1u;
        ++at;
    };
    while (at < n) {
        if (d[at] == 0x3B) break;  // trailer
        if (d[at] == 0x21 && at + 1 < n) {
            if (d[at + 1] == 0xF9 && at + 3 < n) codes.push_back((d[at + 3] >> 2) & 7);
            at += 2;
            skipSubBlocks();
        } else if (d[at] == 0x2C && at + 10 < n) {
            const std::uint8_t packed = d[at + 9];
            at += 10;
            if (packed & 0x80) at += 3u << ((packed & 7) + 1);  // local colour table
            ++at;                                               // LZW minimum code size
            skipSubBlocks();
        } else {
            break;
        }
    }
    return codes;
}

TEST(DefaultLibrary, TheFoldersHoldExactlyWhatTheScriptListed) {
    const Manifest m = ReadManifest();
    ASSERT_FALSE(m.pictures.empty()) << "no data/library-manifest.txt";
    EXPECT_EQ(static_cast<int>(m.pictures.size()), m.total);
    EXPECT_GE(m.total, 250);
    ASSERT_GE(m.categories.size(), 10u);
    EXPECT_EQ("general", m.categories[0].first);
    EXPECT_EQ("additional", m.categories[1].first);

    std::set<std::string> categoryNames;
    for (const auto& [name, count] : m.categories) {
        categoryNames.insert(name);
        std::set<std::string> listed;
        for (const Listed& p : m.pictures)
            if (p.category == name) listed.insert(p.file);
        EXPECT_EQ(count, static_cast<int>(listed.size())) << name;
        EXPECT_EQ(listed, Entries(LibraryPath(name), false)) << name;
        EXPECT_TRUE(Entries(LibraryPath(name), true).empty()) << name;
    }
    EXPECT_EQ(categoryNames, Entries(WinePath(LIBRARY_DIR_UNIX), true));

    // Every format the program lists, names as Unicode names are written.
    std::map<std::string, int> formats;
    for (const Listed& p : m.pictures) {
        formats[p.file.substr(p.file.rfind('.') + 1)]++;
        const std::string stem = p.file.substr(0, p.file.rfind('.'));
        EXPECT_EQ(std::string::npos, stem.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789-")) << p.file;
    }
    for (const char* format : {"png", "gif", "jpg", "bmp"}) EXPECT_GT(formats[format], 0) << format;
    EXPECT_GE(formats["gif"], 16);
}

TEST(DefaultLibrary, EveryPictureDecodesAtItsSizeAndEveryAnimationLoopsForever) {
    const Manifest m = ReadManifest();
    ASSERT_FALSE(m.pictures.empty());
    PictureDecoder decoder;
    std::set<int> disposals;
    int animations = 0;
    for (const Listed& p : m.pictures) {
        const std::string path = LibraryPath(p.category, p.file);
        PictureFile file;
        PixelBuffer pixels;
        ASSERT_TRUE(decoder.Open(path, file)) << path;
        EXPECT_EQ(p.width, file.Width()) << path;
        EXPECT_EQ(p.height, file.Height()) << path;
        ASSERT_TRUE(file.Decode(pixels)) << path;
        EXPECT_EQ(p.frames, pixels.frames) << path;
        // Something is drawn: not every pixel is the white page.
        const std::uint32_t* first = pixels.Frame(0);
        EXPECT_TRUE(std::any_of(first, first + p.width * p.height,
                                [](std::uint32_t v) { return (v & 0xFFFFFF) != 0xFFFFFF; }))
            << path;
        if (p.frames > 1) {
            ++animations;
            EXPECT_EQ(0, pixels.plays) << path << " does not loop forever";
            // The frames differ: it moves.
            const size_t frameSize = static_cast<size_t>(p.width * p.height);
            EXPECT_FALSE(std::equal(first, first + frameSize, pixels.Frame(1))) << path;
            for (int code : GifDisposals(TempFolder::ReadFile(path))) disposals.insert(code);
        }
    }
    EXPECT_GE(animations, 16);
    // Kept (0 or 1), cleared to the background (2), restored (3).
    EXPECT_TRUE(disposals.count(2)) << "no frame cleared to the background";
    EXPECT_TRUE(disposals.count(3)) << "no frame restoring the previous screen";
    EXPECT_TRUE(disposals.count(0) || disposals.count(1)) << "no frame kept";
}

// Every tab's page in the native view, scrolled from top to bottom: each
// picture comes into sight decoded, none shows the broken-picture
// placeholder, and its box on the screen is not blank.
TEST(DefaultLibrary, EveryTabShowsEveryPictureWithoutAPlaceholder) {
    const Manifest m = ReadManifest();
    ASSERT_FALSE(m.categories.empty());
    TestApplication();
    TForm form(nullptr);
    form.SetBounds(40, 40, 420, 320);
    form.SetCaption("Default library");
    form.Show();
    for (const auto& [category, count] : m.categories) {
        std::vector<std::string> files;
        for (const Listed& p : m.pictures)
            if (p.category == category) files.push_back(LibraryPath(category, p.file));
        auto* view = new TPictureView(&form);
        view->SetBounds(5, 5, 400, 280);
        view->SetFiles(files);
        view->SetParent(&form);
        ASSERT_TRUE(WaitFor([&] { return view->MeasuredCount() == view->Count() && !view->Busy(); })) << category;
        std::vector<bool> seen(files.size());
        for (int pos = 0;; pos += view->ClientHeight() / 2) {
            view->SetScrollPos(pos);
            ASSERT_TRUE(WaitFor([&] { return !view->Busy(); })) << category;
            view->Repaint();
            const Capture shot(view->Handle());
            for (int i = 0; i < view->Count(); ++i) {
                const RECT box = view->PictureRect(i);
                if (!view->IsInSight(i) || box.top < 0 || box.bottom > view->ClientHeight()) continue;
                EXPECT_FALSE(view->IsBroken(i)) << view->File(i);
                EXPECT_TRUE(view->IsDecoded(i)) << view->File(i);
                const int area = (box.right - box.left) * (box.bottom - box.top);
                EXPECT_LT(shot.Count(RGB(255, 255, 255), box), area) << view->File(i) << " is blank on screen";
                seen[static_cast<size_t>(i)] = true;
            }
            if (view->ScrollPos() < pos || pos + view->ClientHeight() >= view->PageHeight()) break;
        }
        for (size_t i = 0; i < seen.size(); ++i) EXPECT_TRUE(seen[i]) << files[i] << " never came into sight";
        delete view;
    }
}

}  // namespace
