// What a change in the picture library means for the tabs, decided without
// windows: which categories a reported change touches, when a burst of
// changes is quiet enough to act on, and where a new category's tab goes.
// No windows.h here.
#pragma once
#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace library {

// One change as the folder watch reports it: a path relative to the
// library folder ("general\\smile.gif", "general", "zoo\\sub\\x.gif"), or
// `wholeLibrary` when the library folder itself came or went, or when the
// watch lost track (its buffer overflowed).
struct Change {
    std::string relativePath;
    bool wholeLibrary = false;
};

// The category a change belongs to: the first component of its path, as
// written on disk. Empty for a change of the whole library.
std::string CategoryOfChange(const Change& change);
// A change of a category folder itself (added, removed or renamed), as
// opposed to a change of something inside one.
bool ChangesCategoryList(const Change& change);

// Collects changes until they have been quiet for `quietMs`, but no longer
// than `longestMs` after the first one: a burst of a thousand files is one
// refresh, and a steady trickle still shows within `longestMs`.
class PendingRefresh {
public:
    PendingRefresh(std::uint32_t quietMs, std::uint32_t longestMs) : quietMs_(quietMs), longestMs_(longestMs) {}

    void Note(const Change& change, std::uint32_t nowMs);
    bool Pending() const { return pending_; }
    // Milliseconds from `nowMs` until the refresh is due (0: due now).
    // Only meaningful while Pending().
    std::uint32_t WaitMs(std::uint32_t nowMs) const;

    // What is due, cleared by taking it.
    struct Work {
        bool categoryList = false;          // the set of category folders may differ
        std::set<std::string> categories;   // keys (CategoryKey) of changed categories
        bool everyCategory = false;         // lost track: refresh every category
    };
    Work Take();

private:
    std::uint32_t quietMs_, longestMs_;
    bool pending_ = false;
    std::uint32_t first_ = 0, last_ = 0;
    Work work_;
};

// Where a category folder named `name` goes among the tabs `existing`
// (category names in tab order): "general" first, "additional" next, the
// others by name, letters without case; before the first tab that sorts
// after it. Tabs that were not made in that order are passed over as they
// are: the new tab goes before the first one that sorts after it.
int TabInsertIndex(const std::vector<std::string>& existing, const std::string& name);

// The category folders `found` on disk against the tabs `shown` (folder
// names): those to add (in `found` order) and those to remove. Names are
// compared without case, as the file system does.
struct CategoryDiff {
    std::vector<std::string> added, removed;
};
CategoryDiff DiffCategories(const std::vector<std::string>& shown, const std::vector<std::string>& found);

}  // namespace library
