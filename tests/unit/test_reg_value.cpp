// Registry values from texts and numbers, at the edges of the number syntax.
// Pure: built natively too.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Exceptions.h"
#include "RegValue.h"

namespace {
std::vector<std::uint8_t> Dword(std::uint32_t v) {
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v >> 16),
            static_cast<std::uint8_t>(v >> 24)};
}
std::vector<std::uint8_t> AsInteger(const std::string& text) { return EncodeRegValue(text, rvInteger)->bytes; }
}  // namespace

TEST(RegValueNumbers, TheWholeTextMustBeTheNumber) {
    EXPECT_EQ(AsInteger(" +12\t"), Dword(12));
    EXPECT_EQ(AsInteger("-$10"), Dword(0xFFFFFFF0));
    EXPECT_EQ(AsInteger("4294967295"), Dword(0xFFFFFFFF));
    EXPECT_EQ(AsInteger("-2147483648"), Dword(0x80000000));
    // An embedded NUL once ended the text: "\0junk" was read as 0.
    EXPECT_THROW(AsInteger(std::string("\0junk", 5)), Exception);
    EXPECT_THROW(AsInteger(std::string("7\0", 2)), Exception);
    EXPECT_THROW(EncodeRegValue(std::string("\0", 1), rvBoolean), Exception);
    // Blanks belong around the number, not after its sign.
    EXPECT_THROW(AsInteger("-\t5"), Exception);
    EXPECT_THROW(AsInteger("$"), Exception);
    EXPECT_THROW(AsInteger("$0x1F"), Exception);
}

TEST(RegValueNumbers, NumbersPast64BitsAreOutOfRangeNotWrapped) {
    // 2^64 - 2 once wrapped to -2 and was written as 0xFFFFFFFE.
    EXPECT_THROW(AsInteger("18446744073709551614"), Exception);
    EXPECT_THROW(AsInteger("$FFFFFFFFFFFFFFFF"), Exception);
    EXPECT_THROW(AsInteger("-9223372036854775808"), Exception);  // negating it overflowed
    EXPECT_THROW(AsInteger("-99999999999999999999"), Exception);
    EXPECT_EQ(EncodeRegValue(std::string("99999999999999999999"), rvBoolean)->bytes, Dword(1));
}
