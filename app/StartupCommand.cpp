#include "StartupCommand.h"

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SamePath(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

}  // namespace

std::string StartupCommandFor(std::string_view exePath) { return "\"" + std::string(exePath) + "\""; }

bool StartupCommandNames(std::string_view command, std::string_view exePath) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!command.empty() && blank(command.front())) command.remove_prefix(1);
    while (!command.empty() && blank(command.back())) command.remove_suffix(1);
    if (!command.empty() && command.front() == '"') {
        const size_t close = command.find('"', 1);
        if (close == std::string_view::npos) return false;
        const std::string_view rest = command.substr(close + 1);
        if (!rest.empty() && !blank(rest.front())) return false;  // "a"b is one odd word, not a path
        command = command.substr(1, close - 1);
    }
    return !exePath.empty() && SamePath(command, exePath);
}
