// The real Tovira.exe at log-off or shut-down: the system asks every
// top-level window whether the session may end, tells it that it does, and
// then ends the process without closing any window. What was changed in the
// session is in the options file by then; nothing holds the end up.
#include <gtest/gtest.h>

#include <string>

#include "EndToEndChecks.h"

namespace {

// Wine's tray comes and goes with its first and last icon, seconds each;
// one icon of ours keeps it up, so programs start and end quickly.
[[maybe_unused]] auto* const trayKeeper = ::testing::AddGlobalTestEnvironment(new WineTrayKeeper);

// What the system sends at the end of a session; false when a message was
// not answered in time. `answer` gets the answer to WM_QUERYENDSESSION.
bool EndSession(HWND wnd, LRESULT& answer) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(wnd, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &result))
        return false;
    answer = static_cast<LRESULT>(result);
    return SendMessageTimeoutA(wnd, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &result) != 0;
}

// The process as the system ends it after the end-session messages.
void EndProcess(ProgramUnderTest& program) {
    TerminateProcess(program.Process(), 0);
    ASSERT_TRUE(program.WaitForExit());
}

TempFolder& WithLibrary(TempFolder& app) {
    app.MakeFolder("images");
    app.MakeFolder("images\\general");
    return app;
}

// Started and done with start-up: sent messages are answered during
// start-up too (the tray icon's registration waits on the tray, the pages
// on the browser), before the options have been read.
bool StartAndSettle(ProgramUnderTest& program) {
    return program.Start() && WaitForInputIdle(program.Process(), 20000) == 0;
}

}  // namespace

// Values written as the program reads them but not as it writes them: a
// file rewritten at the end of the session holds them as written.
TEST(SessionEnd, TheOptionsAreWrittenBeforeTheProcessIsEnded) {
    TempFolder app;
    WithLibrary(app);
    const std::string ini = app.WriteFile("Tovira.ini", "[Options]\r\nDoMinimize=0x0\r\nDoSetHtml=abc\r\n");
    ProgramUnderTest program(app);
    ASSERT_TRUE(StartAndSettle(program));
    LRESULT mayEnd = 0;
    ASSERT_TRUE(EndSession(program.Main(), mayEnd));
    EXPECT_EQ(mayEnd, 1);
    // Written at the message, once: a second one finds the file as it is.
    SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(EndSession(program.Main(), mayEnd));
    EXPECT_EQ(program.FindOwnWindow("#32770", nullptr, false), nullptr);
    EndProcess(program);
    SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(TempFolder::ReadFile(ini),
              "[Options]\r\nDoMinimize=0\r\nDoSetHtml=1\r\nSound On=1\r\nHotkey=Win+Shift+E\r\nPasteAnywhere=1\r\n");
}

// A session that does not end after all (wParam FALSE) writes nothing.
TEST(SessionEnd, ACancelledEndWritesNothing) {
    TempFolder app;
    WithLibrary(app);
    ProgramUnderTest program(app);
    ASSERT_TRUE(StartAndSettle(program));
    DWORD_PTR result = 0;
    ASSERT_TRUE(SendMessageTimeoutA(program.Main(), WM_ENDSESSION, FALSE, 0, SMTO_ABORTIFHUNG, 5000, &result));
    EXPECT_TRUE(e2e::Answers(program.Main()));
    EndProcess(program);
    EXPECT_EQ(GetFileAttributesA((app / "Tovira.ini").c_str()), INVALID_FILE_ATTRIBUTES);
}

// Nobody is there to answer a message box: a file that cannot be written
// is left as it is, without a report, and the end is not held up.
TEST(SessionEnd, AFileThatCannotBeWrittenShowsNoReport) {
    TempFolder app;
    WithLibrary(app);
    const std::string content = "[Options]\r\nDoMinimize=0\r\n; mine\r\n";
    const std::string ini = app.WriteFile("Tovira.ini", content);
    SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_READONLY);
    ProgramUnderTest program(app);
    ASSERT_TRUE(StartAndSettle(program));
    LRESULT mayEnd = 0;
    ASSERT_TRUE(EndSession(program.Main(), mayEnd));  // a report would hold the message up
    EXPECT_EQ(mayEnd, 1);
    EXPECT_EQ(program.FindOwnWindow("#32770", nullptr, false), nullptr);
    EndProcess(program);
    SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(TempFolder::ReadFile(ini), content);
}
