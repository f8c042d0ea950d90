#include "LibraryChanges.h"

#include <algorithm>
#include <cctype>

#include "MainLogic.h"

namespace library {

namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

size_t FirstSeparator(const std::string& path) { return path.find_first_of("\\/"); }

// "general" 0, "additional" 1, the rest 2: the first sort key of the tabs.
int Rank(const std::string& key) { return key == "general" ? 0 : key == "additional" ? 1 : 2; }

bool SortsBefore(const std::string& a, const std::string& b) {
    const std::string ka = CategoryKey(a), kb = CategoryKey(b);
    if (Rank(ka) != Rank(kb)) return Rank(ka) < Rank(kb);
    return ka < kb;
}

}  // namespace

std::string CategoryOfChange(const Change& change) {
    if (change.wholeLibrary) return "";
    const size_t slash = FirstSeparator(change.relativePath);
    return slash == std::string::npos ? change.relativePath : change.relativePath.substr(0, slash);
}

bool ChangesCategoryList(const Change& change) {
    return change.wholeLibrary || FirstSeparator(change.relativePath) == std::string::npos;
}

void PendingRefresh::Note(const Change& change, std::uint32_t nowMs) {
    if (!pending_) first_ = nowMs;
    pending_ = true;
    last_ = nowMs;
    if (change.wholeLibrary) {
        work_.categoryList = true;
        work_.everyCategory = true;
        return;
    }
    if (ChangesCategoryList(change)) work_.categoryList = true;
    const std::string category = CategoryOfChange(change);
    if (!category.empty()) work_.categories.insert(CategoryKey(category));
}

std::uint32_t PendingRefresh::WaitMs(std::uint32_t nowMs) const {
    // Unsigned differences: correct across the wrap of a millisecond tick.
    const std::uint32_t sinceLast = nowMs - last_, sinceFirst = nowMs - first_;
    if (sinceFirst >= longestMs_ || sinceLast >= quietMs_) return 0;
    return std::min(quietMs_ - sinceLast, longestMs_ - sinceFirst);
}

PendingRefresh::Work PendingRefresh::Take() {
    Work taken = std::move(work_);
    work_ = Work{};
    pending_ = false;
    return taken;
}

int TabInsertIndex(const std::vector<std::string>& existing, const std::string& name) {
    for (size_t i = 0; i < existing.size(); ++i)
        if (SortsBefore(name, existing[i])) return static_cast<int>(i);
    return static_cast<int>(existing.size());
}

CategoryDiff DiffCategories(const std::vector<std::string>& shown, const std::vector<std::string>& found) {
    auto keys = [](const std::vector<std::string>& names) {
        std::set<std::string> out;
        for (const std::string& n : names) out.insert(Lower(n));
        return out;
    };
    const std::set<std::string> shownKeys = keys(shown), foundKeys = keys(found);
    CategoryDiff diff;
    for (const std::string& n : found)
        if (!shownKeys.count(Lower(n))) diff.added.push_back(n);
    for (const std::string& n : shown)
        if (!foundKeys.count(Lower(n))) diff.removed.push_back(n);
    return diff;
}

}  // namespace library
