// A test fixture whose cases share one running Tovira.exe (starting it and
// closing its windows under Wine takes seconds): the program starts once for
// the suite in a temporary application folder with an empty "general"
// category; a case that finds it ended (an earlier case closed it) gets a
// new one, so the cases pass in any order and alone.
//
//   class MySuite : public SharedProgramTest<MySuite> {
//   public:
//       static void Prepare(TempFolder& app);  // optional: more files
//       static constexpr bool kStartShown = true;  // optional: main window up
//   };
#pragma once
#include <gtest/gtest.h>

#include "ProgramUnderTest.h"

template <class Suite>
class SharedProgramTest : public ::testing::Test {
public:
    // Defaults a suite hides with its own.
    static void Prepare(TempFolder&) {}
    static constexpr bool kStartShown = false;

protected:
    static void SetUpTestSuite() {
        app = new TempFolder;
        app->MakeFolder("images");
        app->MakeFolder("images\\general");
        Suite::Prepare(*app);
        StartProgram();
    }
    static void TearDownTestSuite() {
        CloseProgram();
        delete program;
        program = nullptr;
        delete app;
        app = nullptr;
    }
    // A case that ended the program (Exit, closing) leaves the next case a
    // new one on the same folder, whatever the order of the cases.
    void SetUp() override {
        if (started && !program->Running()) StartProgram();
        ASSERT_TRUE(started);
        ASSERT_TRUE(program->Running());
        ++casesOnProgram;
    }
    // For a case about the program as it starts: a new one unless this
    // case is the first on the one running.
    static void RestartUnlessFresh() {
        if (casesOnProgram <= 1) return;
        StartProgram();
        casesOnProgram = 1;
    }

    static inline TempFolder* app = nullptr;
    static inline ProgramUnderTest* program = nullptr;
    static inline bool started = false;

private:
    // Closes one still running as a user would, so that its tray icon goes
    // too (Wine's tray keeps the icon of a program that was ended).
    static void CloseProgram() {
        if (!program || !program->Running()) return;
        PostMessageA(program->Main(), WM_CLOSE, 0, 0);
        program->WaitForExit();
    }
    static void StartProgram() {
        CloseProgram();
        delete program;
        program = new ProgramUnderTest(*app);
        started = Suite::kStartShown ? program->StartShown() : program->Start();
        casesOnProgram = 0;
    }
    static inline int casesOnProgram = 0;
};
