#include "StringList.h"

#include <stdexcept>
#include <utility>

namespace {

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool EqualFolded(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    return true;
}

}  // namespace

void TStringList::CheckIndex(int index, int last) const {
    if (index < 0 || index > last)
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
}

int TStringList::Add(std::string s) {
    items_.push_back(std::move(s));
    return Count() - 1;
}

void TStringList::Insert(int index, std::string s) {
    CheckIndex(index, Count());
    items_.insert(items_.begin() + index, std::move(s));
}

void TStringList::Delete(int index) {
    CheckIndex(index, Count() - 1);
    items_.erase(items_.begin() + index);
}

std::string& TStringList::Strings(int index) {
    CheckIndex(index, Count() - 1);
    return items_[static_cast<size_t>(index)];
}

const std::string& TStringList::Strings(int index) const {
    CheckIndex(index, Count() - 1);
    return items_[static_cast<size_t>(index)];
}

int TStringList::IndexOf(std::string_view s) const {
    for (int i = 0; i < Count(); ++i) {
        const std::string& item = items_[static_cast<size_t>(i)];
        if (CaseSensitive ? item == s : EqualFolded(item, s)) return i;
    }
    return -1;
}

std::string TStringList::Text() const {
    std::string text;
    for (const std::string& line : items_) {
        text += line;
        text += "\r\n";
    }
    return text;
}

void TStringList::SetText(std::string_view text) {
    items_.clear();
    size_t start = 0;
    while (start < text.size()) {
        size_t brk = text.find_first_of("\r\n", start);
        if (brk == std::string_view::npos) {
            items_.emplace_back(text.substr(start));
            break;
        }
        items_.emplace_back(text.substr(start, brk - start));
        start = brk + ((text[brk] == '\r' && brk + 1 < text.size() && text[brk + 1] == '\n') ? 2 : 1);
    }
}
