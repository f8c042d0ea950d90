#include "RecentPictures.h"

#include <algorithm>

#include "IconPageText.h"

namespace {

std::string BackslashPath(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

bool SamePath(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

}  // namespace

bool RecentPictures::IsStorable(const std::string& path) {
    const std::string p = BackslashPath(path);
    const bool drive = p.size() > 3 && ((p[0] | 0x20) >= 'a' && (p[0] | 0x20) <= 'z') && p[1] == ':' && p[2] == '\\';
    const bool share = p.size() > 2 && p[0] == '\\' && p[1] == '\\';
    if (!drive && !share) return false;
    if (p.find_first_of("\r\n") != std::string::npos) return false;
    const size_t slash = p.find_last_of('\\');
    const std::string name = p.substr(slash + 1);
    return std::any_of(std::begin(PictureExtensions), std::end(PictureExtensions),
                       [&](const char* extension) { return HasExtension(name, extension); });
}

void RecentPictures::Picked(const std::string& path) {
    const std::string p = BackslashPath(path);
    paths_.erase(std::remove_if(paths_.begin(), paths_.end(), [&](const std::string& q) { return SamePath(p, q); }),
                 paths_.end());
    paths_.insert(paths_.begin(), p);
    if (paths_.size() > kCapacity) paths_.resize(kCapacity);
}

void RecentPictures::Load(const std::vector<std::string>& stored, const ExistsFn& exists) {
    paths_.clear();
    for (const std::string& entry : stored) {
        if (paths_.size() >= kCapacity) break;
        const std::string p = BackslashPath(entry);
        if (!IsStorable(p) || !exists(p)) continue;
        if (std::any_of(paths_.begin(), paths_.end(), [&](const std::string& q) { return SamePath(p, q); })) continue;
        paths_.push_back(p);
    }
}

bool RecentPictures::DropMissing(const ExistsFn& exists) {
    const size_t before = paths_.size();
    paths_.erase(std::remove_if(paths_.begin(), paths_.end(), [&](const std::string& p) { return !exists(p); }),
                 paths_.end());
    return paths_.size() != before;
}
