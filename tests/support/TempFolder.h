// A fresh folder under the temp folder, removed with everything in it.
#pragma once
#include <windows.h>

#include <string>

class TempFolder {
public:
    TempFolder() {
        char base[MAX_PATH];
        GetTempPathA(MAX_PATH, base);
        static int counter = 0;
        path_ = std::string(base) + "tovira-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(++counter);
        // Wine gives a test program the same process id run after run: what
        // an interrupted run left under this name goes first.
        Remove(path_);
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder() { Remove(path_); }

    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

    std::string MakeFolder(const std::string& relative, DWORD attributes = 0) const {
        std::string p = *this / relative;
        CreateDirectoryA(p.c_str(), nullptr);
        if (attributes) SetFileAttributesA(p.c_str(), attributes);
        return p;
    }
    std::string WriteFile(const std::string& relative, const std::string& bytes) const {
        std::string p = *this / relative;
        HANDLE h = CreateFileA(p.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(h);
        return p;
    }
    static std::string ReadFile(const std::string& path) {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               0, nullptr);
        if (h == INVALID_HANDLE_VALUE) return "";
        std::string out;
        char buffer[4096];
        DWORD got = 0;
        while (::ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got) out.append(buffer, got);
        CloseHandle(h);
        return out;
    }

private:
    // Through the wide API and the \\?\ prefix, so that names Win32 would
    // change (a trailing dot or blank) and paths past MAX_PATH go too.
    static void Remove(const std::string& folder) {
        std::wstring wide(folder.size() + 1, L'\0');
        wide.resize(static_cast<size_t>(
            MultiByteToWideChar(CP_ACP, 0, folder.c_str(), -1, wide.data(), static_cast<int>(wide.size())) - 1));
        RemoveTree(L"\\\\?\\" + wide);
    }
    static void RemoveTree(const std::wstring& folder) {
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                std::wstring name = data.cFileName;
                if (name == L"." || name == L"..") continue;
                std::wstring p = folder + L"\\" + name;
                SetFileAttributesW(p.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(p);
                else DeleteFileW(p.c_str());
            } while (FindNextFileW(find, &data));
            FindClose(find);
        }
        SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
        RemoveDirectoryW(folder.c_str());
    }
    std::string path_;
};
