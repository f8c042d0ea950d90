// The rescue dialog's registry routines, against the real registry of the
// test prefix (under a test key of HKEY_CURRENT_USER), and the value
// conversions they use.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "KeySecurity.h"
#include "RegValue.h"
#include "setreg.h"

namespace {

constexpr char kTestKey[] = "Software\\ToviraTest\\SetReg";

struct Stored {
    DWORD type = 0;
    std::vector<BYTE> data;
    bool exists = false;
};

Stored Read(const std::string& key, const char* name) {
    Stored s;
    HKEY k = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return s;
    DWORD size = 0;
    if (RegQueryValueExA(k, name, nullptr, &s.type, nullptr, &size) == ERROR_SUCCESS) {
        s.data.resize(size);
        RegQueryValueExA(k, name, nullptr, &s.type, s.data.data(), &size);
        s.exists = true;
    }
    RegCloseKey(k);
    return s;
}

bool KeyExists(const std::string& key) {
    HKEY k = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
}

std::vector<BYTE> Dword(DWORD v) { return {BYTE(v), BYTE(v >> 8), BYTE(v >> 16), BYTE(v >> 24)}; }
std::vector<BYTE> Sz(const std::string& s) {
    std::vector<BYTE> b(s.begin(), s.end());
    b.push_back(0);
    return b;
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey); }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey); }
    std::string Key(const std::string& sub = "") const { return sub.empty() ? kTestKey : std::string(kTestKey) + "\\" + sub; }
};

TEST(RegValueEncoding, KindsAndConversions) {
    auto s = EncodeRegValue(std::string("about:blank"), rvString);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->type, kRegSz);
    EXPECT_EQ(s->bytes, Sz("about:blank")) << "the terminating zero is part of the data";
    EXPECT_EQ(EncodeRegValue(42LL, rvString)->bytes, Sz("42"));

    EXPECT_EQ(EncodeRegValue(std::string("0"), rvInteger)->bytes, Dword(0));
    EXPECT_EQ(EncodeRegValue(std::string("0"), rvInteger)->type, kRegDword);
    EXPECT_EQ(EncodeRegValue(std::string(" -2 "), rvInteger)->bytes, Dword(0xFFFFFFFE));
    EXPECT_EQ(EncodeRegValue(std::string("$1F"), rvInteger)->bytes, Dword(31));
    EXPECT_EQ(EncodeRegValue(7LL, rvInteger)->bytes, Dword(7));
    EXPECT_THROW(EncodeRegValue(std::string("zero"), rvInteger), Exception);
    EXPECT_THROW(EncodeRegValue(std::string(""), rvInteger), Exception);

    EXPECT_EQ(EncodeRegValue(std::string("True"), rvBoolean)->bytes, Dword(1));
    EXPECT_EQ(EncodeRegValue(std::string("false"), rvBoolean)->bytes, Dword(0));
    EXPECT_EQ(EncodeRegValue(5LL, rvBoolean)->bytes, Dword(1));
    EXPECT_EQ(EncodeRegValue(0LL, rvBoolean)->bytes, Dword(0));
    EXPECT_EQ(EncodeRegValue(0LL, rvBoolean)->type, kRegDword);

    EXPECT_FALSE(EncodeRegValue(std::string("x"), 3));
    EXPECT_FALSE(EncodeRegValue(std::string("x"), 255));
}

TEST_F(RegistryTest, WritesEveryKindUnderACreatedPath) {
    const std::string key = Key("a\\b");
    WriteRegValue(HKEY_CURRENT_USER, "\\" + key, "Text", std::string("about:blank"), rvString);
    WriteRegValue(HKEY_CURRENT_USER, "\\" + key, "Number", std::string("0"), rvInteger);
    WriteRegValue(HKEY_CURRENT_USER, key, "Flag", std::string("True"), rvBoolean);
    WriteRegValue(HKEY_CURRENT_USER, key, "Other", std::string("x"), 9);

    Stored text = Read(key, "Text"), number = Read(key, "Number"), flag = Read(key, "Flag");
    EXPECT_EQ(text.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(text.data, Sz("about:blank"));
    EXPECT_EQ(number.type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(number.data, Dword(0));
    EXPECT_EQ(flag.type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(flag.data, Dword(1));
    EXPECT_FALSE(Read(key, "Other").exists) << "an unknown kind writes nothing";
    EXPECT_TRUE(KeyExists(key)) << "the leading backslash was not part of the name";
}

TEST_F(RegistryTest, AStringReplacesAValueOfAnotherType) {
    WriteRegValue(HKEY_CURRENT_USER, Key(), "Start Page", 1LL, rvInteger);
    ASSERT_EQ(Read(Key(), "Start Page").type, static_cast<DWORD>(REG_DWORD));
    WriteRegValue(HKEY_CURRENT_USER, Key(), "Start Page", std::string("about:blank"), rvString);
    EXPECT_EQ(Read(Key(), "Start Page").type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(Read(Key(), "Start Page").data, Sz("about:blank"));
}

TEST_F(RegistryTest, DeletionCreatesAMissingPathAndReportsAMissingValue) {
    const std::string key = Key("Policies\\Control Panel");
    EXPECT_FALSE(DeleteRegValue(HKEY_CURRENT_USER, "\\" + key, "HomePage"));
    EXPECT_TRUE(KeyExists(key)) << "the path is created, and stays empty";

    WriteRegValue(HKEY_CURRENT_USER, key, "HomePage", 1LL, rvInteger);
    EXPECT_TRUE(DeleteRegValue(HKEY_CURRENT_USER, "\\" + key, "HomePage"));
    EXPECT_FALSE(Read(key, "HomePage").exists);
    EXPECT_FALSE(DeleteRegValue(HKEY_CURRENT_USER, key, "HomePage"));
}

TEST_F(RegistryTest, ARefusedWriteRaisesAndLeavesNothing) {
    const std::string key = Key("Locked");
    ReadOnlyKey locked(HKEY_CURRENT_USER, key.c_str());
    ASSERT_TRUE(locked.Ok());
    try {
        WriteRegValue(HKEY_CURRENT_USER, "\\" + key, "DisableRegistryTools", std::string("0"), rvInteger);
        ADD_FAILURE() << "no error raised";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Failed to set data for 'DisableRegistryTools'");
    }
    EXPECT_FALSE(Read(key, "DisableRegistryTools").exists);
    EXPECT_FALSE(DeleteRegValue(HKEY_CURRENT_USER, key, "Anything")) << "a key that cannot be opened: false, silently";
}

}  // namespace
