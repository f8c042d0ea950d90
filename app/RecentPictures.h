// The last pictures picked, most recent first: the list behind the Recent
// tab and its keys in Tovira.ini. No windows.h here.
#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

class RecentPictures {
public:
    static constexpr size_t kCapacity = 24;
    // Whether a path names an existing file (the caller asks the file system).
    using ExistsFn = std::function<bool(const std::string&)>;

    // A pick: the picture goes to the front (once; paths compared without
    // case, slashes either way), the oldest drops off past kCapacity.
    // Stored with backslashes.
    void Picked(const std::string& path);
    // The stored entries, in key order: those that are full paths with one of
    // the four picture extensions and exist are kept, up to kCapacity,
    // duplicates dropped; anything else is ignored.
    void Load(const std::vector<std::string>& stored, const ExistsFn& exists);
    // Drops the pictures that no longer exist; true when any went.
    bool DropMissing(const ExistsFn& exists);

    const std::vector<std::string>& Paths() const { return paths_; }
    bool Empty() const { return paths_.empty(); }
    void Clear() { paths_.clear(); }

    // A full path (drive letter and colon, or \\server) of a picture file.
    static bool IsStorable(const std::string& path);

private:
    std::vector<std::string> paths_;
};
