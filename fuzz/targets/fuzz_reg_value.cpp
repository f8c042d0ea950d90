// The rescue dialog's registry values: a text or a number turned into
// registry data. First byte: the kind and whether the value is a number
// (the next eight bytes) or a text (the rest).
#include <charconv>
#include <climits>
#include <cstdint>
#include <optional>
#include <string>

#include "Exceptions.h"
#include "FuzzInput.h"
#include "RegValue.h"

namespace {

// A plain reading of a number text: blanks around, an optional sign, then
// decimal digits or '$' and hex digits, and nothing else; its value must
// past a 64-bit signed integer is held at its end.
std::optional<long long> Reference(const std::string& text) {
    const size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) return std::nullopt;
    const size_t end = text.find_last_not_of(" \t") + 1;
    size_t i = begin;
    bool negative = false;
    if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
    int base = 10;
    if (i < end && text[i] == '$') {
        base = 16;
        ++i;
    }
    if (i == end) return std::nullopt;
    for (size_t k = i; k < end; ++k) {
        const char c = text[k];
        const bool digit = (c >= '0' && c <= '9') ||
                           (base == 16 && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
        if (!digit) return std::nullopt;
    }
    // Past 64 bits the value saturates: out of range for any kind.
    const unsigned long long limit = negative ? 1ull << 63 : static_cast<unsigned long long>(LLONG_MAX);
    unsigned long long v = 0;
    auto [p, ec] = std::from_chars(text.data() + i, text.data() + end, v, base);
    if (ec == std::errc::result_out_of_range || v > limit) v = limit;
    else if (ec != std::errc() || p != text.data() + end) return std::nullopt;
    return negative ? static_cast<long long>(0 - v) : static_cast<long long>(v);
}

bool SameLetters(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        char c = a[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != b[i]) return false;
    }
    return i == a.size() && !b[i];
}

std::vector<std::uint8_t> Dword(std::uint32_t v) {
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v >> 16),
            static_cast<std::uint8_t>(v >> 24)};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const std::uint8_t head = in.Byte();
    const std::uint8_t kind = head >> 1;  // 0..2 are kinds; the rest must write nothing
    RegVariant value;
    std::optional<long long> number;
    if (head & 1) {
        const std::uint64_t bits = (static_cast<std::uint64_t>(in.U32()) << 32) | in.U32();
        value = static_cast<long long>(bits);
        number = static_cast<long long>(bits);
    } else {
        const std::string text = in.Rest();
        value = text;
        number = Reference(text);
    }

    std::optional<RegData> encoded;
    try {
        encoded = EncodeRegValue(value, kind);
    } catch (const Exception& e) {
        // Only numbers and truth values can fail, and only when there is none.
        FUZZ_CHECK(kind == rvInteger || kind == rvBoolean);
        if (kind == rvInteger) FUZZ_CHECK(!number || *number < INT32_MIN || *number > UINT32_MAX);
        if (kind == rvBoolean) FUZZ_CHECK(!number);
        return 0;
    }
    if (kind > rvBoolean) {
        FUZZ_CHECK(!encoded);
        return 0;
    }
    FUZZ_CHECK(encoded.has_value());
    if (kind == rvString) {
        const std::string text = VariantToText(value);
        FUZZ_CHECK(encoded->type == kRegSz && encoded->bytes.size() == text.size() + 1 && encoded->bytes.back() == 0);
        FUZZ_CHECK(std::equal(text.begin(), text.end(), encoded->bytes.begin(),
                              [](char c, std::uint8_t b) { return static_cast<std::uint8_t>(c) == b; }));
        if (head & 1) FUZZ_CHECK(text == std::to_string(*number));
    } else if (kind == rvInteger) {
        FUZZ_CHECK(number && *number >= INT32_MIN && *number <= UINT32_MAX);
        FUZZ_CHECK(encoded->type == kRegDword && encoded->bytes == Dword(static_cast<std::uint32_t>(*number)));
    } else {
        const auto* text = std::get_if<std::string>(&value);
        const bool word = text && (SameLetters(*text, "true") || SameLetters(*text, "false"));
        FUZZ_CHECK(word || number);
        const bool truth = word ? SameLetters(*text, "true") : *number != 0;
        FUZZ_CHECK(encoded->type == kRegDword && encoded->bytes == Dword(truth ? 1 : 0));
    }
    return 0;
}
