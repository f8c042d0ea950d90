// COM on the test program's thread for every test, as the program sets it
// up at start (the picture decoder and view expect it). Include it in one
// file of a test program.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

class ComEnvironment : public ::testing::Environment {
public:
    void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override { CoUninitialize(); }
};
inline const auto* const comEnvironment = ::testing::AddGlobalTestEnvironment(new ComEnvironment);
