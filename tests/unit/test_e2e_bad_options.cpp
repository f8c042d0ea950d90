// The real Tovira.exe with options files no user meant to write: binary
// garbage, values of 100 KB, keys and sections twice, keys without a
// section, a file and a folder it may not write (read-only attribute and,
// as root ignores modes, the Unix immutable flag). Every case: the program
// starts, answers, shows through the tray and ends when closed; what it
// read is what it writes back, and what it may not write stays byte for byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EndToEndChecks.h"

namespace {

// Wine's tray comes and goes with its first and last icon, seconds each;
// one icon of ours keeps it up, so programs start and end quickly.
[[maybe_unused]] auto* const trayKeeper = ::testing::AddGlobalTestEnvironment(new WineTrayKeeper);

const char* const kKeys[] = {"DoMinimize", "DoSetHtml", "Sound On"};

// A key of the options as the platform reads it (the program's reading).
std::string ReadKey(const std::string& file, const char* key) {
    std::string value(300000, '\0');
    const DWORD n = GetPrivateProfileStringA("Options", key, "", value.data(), static_cast<DWORD>(value.size()),
                                             file.c_str());
    value.resize(n);
    return value;
}

// The three flags the program reads from `file`, as it writes them: "0"
// for a value that is zero (the values here are plain digits or none), "1"
// otherwise, absent and unreadable values included.
std::vector<std::string> FlagsIn(const std::string& file) {
    std::vector<std::string> flags;
    for (const char* key : kKeys) {
        const std::string v = ReadKey(file, key).substr(0, 2047);  // the program's buffer
        const bool zero = !v.empty() && v.find_first_not_of('0') == std::string::npos;
        flags.push_back(zero ? "0" : "1");
    }
    return flags;
}

std::vector<std::string> WrittenFlags(const std::string& file) {
    std::vector<std::string> flags;
    for (const char* key : kKeys) flags.push_back(ReadKey(file, key));
    return flags;
}

// The Unix immutable flag for as long as it lives: not even root creates,
// renames or writes there (a folder's files can still be written in place).
class Immutable {
public:
    explicit Immutable(const std::string& path) : unixPath_(e2e::UnixPath(path)) {
        set_ = RunUnixCommand("chattr +i '" + unixPath_ + "'");
    }
    ~Immutable() { Clear(); }
    bool Set() const { return set_; }
    void Clear() {
        if (set_) RunUnixCommand("chattr -i '" + unixPath_ + "'");
        set_ = false;
    }

private:
    std::string unixPath_;
    bool set_ = false;
};

// Root on a file system that has the flag (not tmpfs or overlay) is needed;
// without it the case cannot make a file or folder that Wine may not write.
constexpr const char* kNoImmutableFlag =
    "chattr +i is not possible here (not root, or a file system without the immutable flag)";

// Starts the program on `app`, checks that it answers and shows, and
// closes it with WM_CLOSE.
void StartShowAndClose(const TempFolder& app) {
    ProgramUnderTest program(app);
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(WaitFor([&] { return e2e::Answers(program.Main(), 1000); }));
    ASSERT_TRUE(program.Reveal());
    ASSERT_TRUE(e2e::CloseAndWait(program));
}

TempFolder& WithLibrary(TempFolder& app) {
    app.MakeFolder("images");
    app.MakeFolder("images\\general");
    return app;
}

TEST(BadOptions, BinaryGarbageAroundTheSectionKeepsTheSettingInIt) {
    TempFolder app;
    WithLibrary(app);
    std::string bytes = "G";
    unsigned seed = 12345;
    for (int i = 0; i < 4096; ++i) {
        seed = seed * 1103515245 + 12345;
        bytes += static_cast<char>((seed >> 16) & 0xFF);  // NULs, line breaks, brackets, '=' and all
    }
    bytes += "\r\n[Options]\r\nDoSetHtml=0\r\n";
    bytes += bytes.substr(1, 2048);
    const std::string ini = app.WriteFile("Tovira.ini", bytes);
    const std::vector<std::string> read = FlagsIn(ini);
    EXPECT_EQ(read[1], "0");
    StartShowAndClose(app);
    EXPECT_EQ(WrittenFlags(ini), read);
}

TEST(BadOptions, HundredKilobyteValuesAreReadWithoutHarmAndOtherKeysStay) {
    TempFolder app;
    WithLibrary(app);
    const std::string junk(100 * 1024, 'y');
    const std::string ini = app.WriteFile("Tovira.ini", "[Options]\r\nDoMinimize=" + std::string(100 * 1024, 'x') +
                                                            "\r\nDoSetHtml=" + std::string(100 * 1024, '0') +
                                                            "\r\nJunk=" + junk + "\r\nSound On=0\r\n");
    const std::vector<std::string> read = FlagsIn(ini);
    EXPECT_EQ(read, (std::vector<std::string>{"1", "0", "0"}));
    StartShowAndClose(app);
    EXPECT_EQ(WrittenFlags(ini), read);
    EXPECT_EQ(ReadKey(ini, "Junk"), junk);  // not ours: kept
}

TEST(BadOptions, KeysAndSectionsTwiceAreReadAndWrittenAsThePlatformSeesThem) {
    TempFolder app;
    WithLibrary(app);
    const std::string ini = app.WriteFile("Tovira.ini",
                                          "[Options]\r\nDoMinimize=0\r\nDoMinimize=1\r\nSound On=1\r\n"
                                          "[Other]\r\nDoSetHtml=0\r\n"
                                          "[Options]\r\nSound On=0\r\nDoSetHtml=0\r\n");
    const std::vector<std::string> read = FlagsIn(ini);
    std::printf("[ observed ] read as DoMinimize=%s DoSetHtml=%s Sound On=%s\n", read[0].c_str(), read[1].c_str(),
                read[2].c_str());
    EXPECT_EQ(read[0], "0");  // the first of two
    StartShowAndClose(app);
    EXPECT_EQ(WrittenFlags(ini), read);
    EXPECT_EQ(GetPrivateProfileIntA("Other", "DoSetHtml", 7, ini.c_str()), 0);
}

TEST(BadOptions, KeysWithoutASectionAreNotOptionsAndStay) {
    TempFolder app;
    WithLibrary(app);
    const std::string ini = app.WriteFile("Tovira.ini", "DoMinimize=0\r\nSound On=0\r\n");
    StartShowAndClose(app);
    EXPECT_EQ(WrittenFlags(ini), (std::vector<std::string>{"1", "1", "1"}));
    const std::string after = TempFolder::ReadFile(ini);
    EXPECT_EQ(after.rfind("DoMinimize=0\r\nSound On=0\r\n", 0), 0u) << after;
}

// Read-only file (attribute and immutable): the close box reports, the
// window stays and answers, Ctrl+X ends the program, the file is unchanged.
TEST(BadOptions, AReadOnlyFileStaysByteIdenticalWhateverCloses) {
    TempFolder app;
    WithLibrary(app);
    const std::string content = "[Options]\r\nDoMinimize=0\r\n; mine\r\nSound On=0\r\n";
    const std::string ini = app.WriteFile("Tovira.ini", content);
    SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_READONLY);
    Immutable locked(ini);
    if (!locked.Set()) GTEST_SKIP() << kNoImmutableFlag;
    {
        ProgramUnderTest program(app);
        ASSERT_TRUE(program.StartShown());
        EXPECT_EQ(program.CloseAnsweringTheWriteReport(), "Unable to write to " + ini + ".");
        EXPECT_TRUE(e2e::Answers(program.Main()));
        EXPECT_TRUE(IsWindowVisible(program.Main()));
        program.PressKeys({VK_CONTROL, 'X'});
        EXPECT_TRUE(program.WaitForExit());
    }
    locked.Clear();
    SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(TempFolder::ReadFile(ini), content);
}

// A folder nothing can be created in: an options file that is there is
// written in place; one that is not cannot be made, which is reported, and
// Exit still ends the program.
TEST(BadOptions, AReadOnlyFolderKeepsAnOptionsFileUpToDateAndReportsAMissingOne) {
    TempFolder withFile;
    WithLibrary(withFile);
    const std::string ini = withFile.WriteFile("Tovira.ini", "[Options]\r\nDoSetHtml=0\r\n");
    {
        ProgramUnderTest program(withFile);  // copies the exe in first
        SetFileAttributesA(withFile.Path().c_str(), FILE_ATTRIBUTE_READONLY);
        Immutable locked(withFile.Path());
        if (!locked.Set()) GTEST_SKIP() << kNoImmutableFlag;
        ASSERT_TRUE(program.StartShown());
        ASSERT_TRUE(e2e::CloseAndWait(program));
    }
    EXPECT_EQ(WrittenFlags(ini), (std::vector<std::string>{"1", "0", "1"}));

    TempFolder without;
    WithLibrary(without);
    {
        ProgramUnderTest program(without);
        Immutable locked(without.Path());
        if (!locked.Set()) GTEST_SKIP() << kNoImmutableFlag;
        ASSERT_TRUE(program.StartShown());
        EXPECT_EQ(program.CloseAnsweringTheWriteReport(), "Unable to write to " + without / "Tovira.ini" + ".");
        EXPECT_TRUE(e2e::Answers(program.Main()));
        HWND exitButton = ProgramUnderTest::FindChild(program.Main(), "Button", "Exit");
        ASSERT_NE(exitButton, nullptr);
        PostMessageA(exitButton, BM_CLICK, 0, 0);
        EXPECT_TRUE(program.WaitForExit());
    }
    EXPECT_EQ(GetFileAttributesA((without / "Tovira.ini").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
