// For tests of the picture view: COM on the test thread (the view decodes
// through the platform's codecs, as the program sets COM up at start) and
// the pictures of tests/data/pictures.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

class ComEnvironment : public ::testing::Environment {
public:
    void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override { CoUninitialize(); }
};

// The Windows path of tests/data/pictures/<name> (TEST_DATA_DIR).
inline std::string TestDataPicture(const std::string& name) {
    std::string p = std::string("Z:") + TEST_DATA_DIR + "/pictures/" + name;
    for (char& c : p)
        if (c == '/') c = '\\';
    return p;
}
