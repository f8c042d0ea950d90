// How the rescue dialog's registry routines turn a value into registry data.
// Pure logic: no windows.h here.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

// How WriteRegValue stores its value. Any other byte writes nothing.
enum RegValueKind : std::uint8_t { rvString = 0, rvInteger = 1, rvBoolean = 2 };

// A value handed to WriteRegValue: text or number.
using RegVariant = std::variant<std::string, long long>;

// Registry type codes, as the platform numbers them.
constexpr std::uint32_t kRegSz = 1, kRegDword = 4;

struct RegData {
    std::uint32_t type;
    std::vector<std::uint8_t> bytes;
};

// The type and bytes to write for `value` stored as `kind`; nothing for an
// unknown kind. Raises Exception when the value cannot be converted.
std::optional<RegData> EncodeRegValue(const RegVariant& value, std::uint8_t kind);

// The conversions of a variant, as the kinds use them.
std::string VariantToText(const RegVariant& value);
std::int32_t VariantToInteger(const RegVariant& value);
bool VariantToBoolean(const RegVariant& value);
