#include "BenchLibrary.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "ProgramUnderTest.h"

std::vector<std::string> DefaultLibraryPictures() {
    const std::string library = WinePath(LIBRARY_DIR_UNIX);
    std::vector<std::string> pictures;
    WIN32_FIND_DATAA folder;
    HANDLE folders = FindFirstFileA((library + "\\*").c_str(), &folder);
    if (folders == INVALID_HANDLE_VALUE) return pictures;
    do {
        if (folder.cFileName[0] == '.' || !(folder.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        const std::string category = library + "\\" + folder.cFileName;
        WIN32_FIND_DATAA file;
        HANDLE files = FindFirstFileA((category + "\\*").c_str(), &file);
        if (files == INVALID_HANDLE_VALUE) continue;
        do {
            if (!(file.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) pictures.push_back(category + "\\" + file.cFileName);
        } while (FindNextFileA(files, &file));
        FindClose(files);
    } while (FindNextFileA(folders, &folder));
    FindClose(folders);
    // Wine enumerates a Unix folder in hash order; the runs must not differ.
    std::sort(pictures.begin(), pictures.end());
    return pictures;
}

void MakeCategory(const TempFolder& app, const std::string& name, int count,
                  const std::vector<std::string>& sources) {
    const std::string folder = app.MakeFolder("images\\" + name);
    for (int i = 0; i < count && !sources.empty(); ++i) {
        const std::string& source = sources[static_cast<size_t>(i) % sources.size()];
        char file[16];
        std::snprintf(file, sizeof file, "\\p%03d", i);
        CopyFileA(source.c_str(), (folder + file + source.substr(source.rfind('.'))).c_str(), FALSE);
    }
}

int MakeDefaultLibrary(const TempFolder& app) {
    app.MakeFolder("images");
    int categories = 0;
    for (const std::string& picture : DefaultLibraryPictures()) {
        // <library>\<category>\<file>
        const size_t file = picture.find_last_of('\\');
        const size_t category = picture.find_last_of('\\', file - 1);
        const std::string folder = "images" + picture.substr(category, file - category);
        if (GetFileAttributesA((app / folder).c_str()) == INVALID_FILE_ATTRIBUTES) {
            app.MakeFolder(folder);
            ++categories;
        }
        CopyFileA(picture.c_str(), (app / (folder + picture.substr(file))).c_str(), FALSE);
    }
    return categories;
}

void MakeEmptyLibrary(const TempFolder& app) { app.MakeFolder("images"); }

void MakeLargeLibrary(const TempFolder& app, int categories, int perCategory) {
    app.MakeFolder("images");
    const std::vector<std::string> sources = DefaultLibraryPictures();
    for (int c = 0; c < categories; ++c) {
        char name[16];
        std::snprintf(name, sizeof name, "cat%02d", c);
        MakeCategory(app, name, perCategory, sources);
    }
}
