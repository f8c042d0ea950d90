#include "MainLogic.h"

#include <cctype>
#include <climits>
#include <cstdint>

namespace {
std::string FolderOf(const std::string& path) {
    size_t slash = path.find_last_of("\\/:");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool ParseInteger(const std::string& text, long long& value) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (text.size() > i + 2 && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        // Hexadecimal: up to 32 bits, read as a signed 32-bit value.
        std::uint64_t v = 0;
        size_t digits = 0;
        for (i += 2; i < text.size(); ++i, ++digits) {
            int c = static_cast<unsigned char>(text[i]);
            if (!std::isxdigit(c)) return false;
            v = v * 16 + static_cast<unsigned>(std::isdigit(c) ? c - '0' : std::tolower(c) - 'a' + 10);
            if (v > 0xFFFFFFFFull) return false;
        }
        value = static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
        return digits > 0;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    if (i == text.size()) return false;
    long long v = 0;
    for (; i < text.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
        v = v * 10 + (text[i] - '0');
        if (v > static_cast<long long>(INT_MAX) + 1) return false;
    }
    if (negative) v = -v;
    if (v > INT_MAX || v < INT_MIN) return false;
    value = v;
    return true;
}
}  // namespace

std::string AppDirOf(const std::string& exePath) {
    std::string dir = FolderOf(exePath);
    if (dir.empty() || dir.back() != '\\') dir += '\\';
    return dir;
}

std::string ImagesDirOf(const std::string& exePath) { return FolderOf(exePath) + "images"; }

bool AppFolderFits(const std::string& exePath) {
    constexpr size_t kMaxPath = 260;  // with the terminating zero
    constexpr size_t kLongestOwnName = sizeof "Tovira.chm" - 1;
    return !exePath.empty() && AppDirOf(exePath).size() + kLongestOwnName < kMaxPath;
}

std::string AppFolderTooLongMessage(const std::string& exePath) {
    std::string folder = FolderOf(exePath);
    if (!folder.empty()) folder.pop_back();  // the separator
    return "The folder path of Tovira is too long: " + folder +
           "\n\nMove the Tovira folder to a folder with a shorter path, for example C:\\Tovira, and start it "
           "again";
}

bool ParseOptionFlag(const std::string& text, bool defaultValue) {
    long long value;
    if (!ParseInteger(text, value)) return defaultValue;
    return value != 0;
}

std::string CategoryKey(const std::string& caption) {
    // Blanks and control characters, as a trim does.
    size_t first = 0, last = caption.size();
    while (first < last && static_cast<unsigned char>(caption[first]) <= ' ') ++first;
    while (last > first && static_cast<unsigned char>(caption[last - 1]) <= ' ') --last;
    std::string key = caption.substr(first, last - first);
    for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return key;
}

std::string CategoryCaption(const std::string& folderName) { return "   " + folderName + "   "; }

std::string LastPathComponent(const std::string& path) {
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
