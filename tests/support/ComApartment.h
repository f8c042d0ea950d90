// Including this makes the test program's main thread a single-threaded COM
// apartment for all its tests, as the program's own thread is (oleacc,
// WIC and the picture view expect it).
#pragma once
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

class ComApartmentEnvironment : public ::testing::Environment {
public:
    void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override { CoUninitialize(); }
};
inline const auto* const comApartmentEnvironment =
    ::testing::AddGlobalTestEnvironment(new ComApartmentEnvironment);
