// The version resource of the built Tovira.exe, read through the version
// API that the file's properties (Explorer's Details tab) use.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ProgramUnderTest.h"

namespace {

class VersionResource : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string exe = WinePath(TOVIRA_EXE_UNIX);
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeA(exe.c_str(), &ignored);
        ASSERT_GT(size, 0u) << exe;
        data_.resize(size);
        ASSERT_TRUE(GetFileVersionInfoA(exe.c_str(), 0, size, data_.data()));
    }

    // A string of the block that the translation table names first.
    std::string Text(const char* name) {
        struct Translation {
            WORD language, codePage;
        }* table = nullptr;
        UINT length = 0;
        if (!VerQueryValueA(data_.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&table), &length) ||
            length < sizeof(Translation))
            return "(no translation table)";
        char path[128];
        wsprintfA(path, "\\StringFileInfo\\%04x%04x\\%s", table->language, table->codePage, name);
        char* text = nullptr;
        if (!VerQueryValueA(data_.data(), path, reinterpret_cast<void**>(&text), &length)) return "(missing)";
        return text;
    }

    std::vector<char> data_;
};

}  // namespace

TEST_F(VersionResource, NamesTheProductItsVersionAndTheAboutDialogsRightsNotice) {
    EXPECT_EQ(Text("ProductName"), "Tovira");
    EXPECT_EQ(Text("ProductVersion"), "2.0");
    EXPECT_EQ(Text("FileVersion"), "2.0.0.0");
    EXPECT_EQ(Text("FileDescription"), "Tovira - smileys for your e-mail");
    EXPECT_EQ(Text("LegalCopyright"), "Copyright (C) 2026 Tovira");
    EXPECT_EQ(Text("OriginalFilename"), "Tovira.exe");

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(data_.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(0, 2));  // 2.0
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(0, 2));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
    EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS_NT_WINDOWS32));
}
