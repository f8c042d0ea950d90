#include "RegValue.h"

#include <cctype>
#include <climits>
#include <limits>

#include "Exceptions.h"

namespace {
std::string TypeName(const RegVariant& value) { return std::holds_alternative<std::string>(value) ? "String" : "Int64"; }

[[noreturn]] void CannotConvert(const RegVariant& value, const char* to) {
    throw Exception("Could not convert variant of type (" + TypeName(value) + ") into type (" + to + ")");
}

bool EqualsIgnoringCase(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return i == a.size() && !b[i];
}

// A whole decimal or $hex number, with optional blanks around and a sign.
// Every other byte refuses the text (an embedded NUL once ended it early);
// a magnitude past 64 bits saturates, so it is out of range, not wrapped.
std::optional<long long> ParseNumber(const std::string& text) {
    const size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) return std::nullopt;
    const size_t end = text.find_last_not_of(" \t") + 1;
    size_t i = begin;
    bool negative = false;
    if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
    unsigned base = 10;
    if (i < end && text[i] == '$') {
        base = 16;
        ++i;
    }
    if (i == end) return std::nullopt;
    const unsigned long long limit = negative ? 1ull << 63 : static_cast<unsigned long long>(LLONG_MAX);
    unsigned long long v = 0;
    for (; i < end; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        unsigned digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (base == 16 && std::isxdigit(c)) digit = static_cast<unsigned>(std::tolower(c) - 'a' + 10);
        else return std::nullopt;
        v = v > (limit - digit) / base ? limit : v * base + digit;
    }
    return negative ? static_cast<long long>(0 - v) : static_cast<long long>(v);
}
}  // namespace

std::string VariantToText(const RegVariant& value) {
    if (auto* text = std::get_if<std::string>(&value)) return *text;
    return std::to_string(std::get<long long>(value));
}

std::int32_t VariantToInteger(const RegVariant& value) {
    long long v;
    if (auto* text = std::get_if<std::string>(&value)) {
        auto parsed = ParseNumber(*text);
        if (!parsed) CannotConvert(value, "Integer");
        v = *parsed;
    } else {
        v = std::get<long long>(value);
    }
    if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::uint32_t>::max())
        throw Exception("Invalid variant operation");
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
}

bool VariantToBoolean(const RegVariant& value) {
    if (auto* text = std::get_if<std::string>(&value)) {
        if (EqualsIgnoringCase(*text, "true")) return true;
        if (EqualsIgnoringCase(*text, "false")) return false;
        auto parsed = ParseNumber(*text);
        if (!parsed) CannotConvert(value, "Boolean");
        return *parsed != 0;
    }
    return std::get<long long>(value) != 0;
}

std::optional<RegData> EncodeRegValue(const RegVariant& value, std::uint8_t kind) {
    auto dword = [](std::uint32_t v) {
        return RegData{kRegDword, {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                                   static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)}};
    };
    switch (kind) {
    case rvString: {
        std::string text = VariantToText(value);
        RegData data{kRegSz, std::vector<std::uint8_t>(text.begin(), text.end())};
        data.bytes.push_back(0);  // the terminating zero is part of the data
        return data;
    }
    case rvInteger: return dword(static_cast<std::uint32_t>(VariantToInteger(value)));
    case rvBoolean: return dword(VariantToBoolean(value) ? 1 : 0);
    default: return std::nullopt;
    }
}
