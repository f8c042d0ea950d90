// Option values as read from Tovira.ini, and the folder and category names
// the main window derives from paths and captions. The whole input is the text.
#include <charconv>
#include <climits>
#include <cstdint>
#include <optional>
#include <string>

#include "FuzzInput.h"
#include "MainLogic.h"

namespace {

// A plain reading of an option value: blanks, then "0x" + up to 32 bits of
// hex digits (read as a signed 32-bit value), or an optional sign and
// decimal digits inside the 32-bit range. Nothing may follow.
std::optional<long long> Reference(const std::string& text) {
    size_t i = text.find_first_not_of(" \t");
    if (i == std::string::npos) return std::nullopt;
    const char* end = text.data() + text.size();
    if (text.size() - i > 2 && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        const char* digits = text.data() + i + 2;
        if (*digits == '+' || *digits == '-') return std::nullopt;  // from_chars takes '-' for hex
        std::uint64_t v = 0;
        auto [p, ec] = std::from_chars(digits, end, v, 16);
        if (ec != std::errc() || p != end || v > 0xFFFFFFFFull) return std::nullopt;
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
    }
    bool negative = false;
    if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
    if (i == text.size() || text[i] < '0' || text[i] > '9') return std::nullopt;
    std::uint64_t v = 0;
    auto [p, ec] = std::from_chars(text.data() + i, end, v, 10);
    if (p != end) return std::nullopt;
    if (ec == std::errc::result_out_of_range) return std::nullopt;
    if (negative ? v > 2147483648ull : v > 2147483647ull) return std::nullopt;
    return negative ? -static_cast<long long>(v) : static_cast<long long>(v);
}

bool Blank(char c) { return static_cast<unsigned char>(c) <= ' '; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    const std::optional<long long> want = Reference(text);
    const bool withTrue = ParseOptionFlag(text, true), withFalse = ParseOptionFlag(text, false);
    if (want) {
        FUZZ_CHECK(withTrue == (*want != 0) && withFalse == (*want != 0));
    } else {
        FUZZ_CHECK(withTrue && !withFalse);  // the default, whichever it is
    }

    const std::string dir = AppDirOf(text);
    FUZZ_CHECK(!dir.empty() && dir.back() == '\\');
    FUZZ_CHECK(text.compare(0, dir.size() - 1, dir, 0, dir.size() - 1) == 0);
    const std::string images = ImagesDirOf(text);
    FUZZ_CHECK(images.size() >= 6 && images.compare(images.size() - 6, 6, "images") == 0);
    FUZZ_CHECK(text.compare(0, images.size() - 6, images, 0, images.size() - 6) == 0);

    const std::string leaf = LastPathComponent(text);
    FUZZ_CHECK(leaf.find_first_of("\\/") == std::string::npos);
    FUZZ_CHECK(text.size() >= leaf.size() && text.compare(text.size() - leaf.size(), leaf.size(), leaf) == 0);

    const std::string key = CategoryKey(text);
    FUZZ_CHECK(key.empty() || (!Blank(key.front()) && !Blank(key.back())));
    for (char c : key) FUZZ_CHECK(!(c >= 'A' && c <= 'Z'));
    FUZZ_CHECK(CategoryKey(key) == key);
    FUZZ_CHECK(CategoryKey(CategoryCaption(text)) == key);
    return 0;
}
