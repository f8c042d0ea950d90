// A test fixture whose cases share one running Tovira.exe (starting it and
// closing its windows under Wine takes seconds): the program starts once for
// the suite in a temporary application folder with an empty "general"
// category, and every case first checks it is still running.
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
        program = new ProgramUnderTest(*app);
        started = Suite::kStartShown ? program->StartShown() : program->Start();
    }
    static void TearDownTestSuite() {
        delete program;
        program = nullptr;
        delete app;
        app = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(started);
        ASSERT_TRUE(program->Running());
    }

    static inline TempFolder* app = nullptr;
    static inline ProgramUnderTest* program = nullptr;
    static inline bool started = false;
};
