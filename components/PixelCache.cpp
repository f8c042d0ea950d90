#include "PixelCache.h"

#include <climits>
#include <iterator>

PixelCache::PixelCache(std::size_t budgetBytes) : budget_(budgetBytes) {}

PixelCache& PixelCache::Shared() {
    static PixelCache cache(kDefaultBudget);
    return cache;
}

const PixelBuffer* PixelCache::Use(const void* owner, int index) {
    auto found = index_.find(Key{owner, index});
    if (found == index_.end()) return nullptr;
    List::iterator it = found->second;
    it->frame = frame_;
    recent_.splice(recent_.begin(), recent_, it);
    return &it->buffer;
}

void PixelCache::Store(const void* owner, int index, PixelBuffer pixels) {
    const Key key{owner, index};
    if (auto found = index_.find(key); found != index_.end()) Erase(found->second);
    bytes_ += pixels.Bytes();
    recent_.push_front(Entry{key, std::move(pixels), frame_});
    index_[key] = recent_.begin();
    Trim();
}

void PixelCache::Forget(const void* owner) {
    auto it = index_.lower_bound(Key{owner, INT_MIN});
    while (it != index_.end() && it->first.first == owner) {
        List::iterator entry = it->second;
        ++it;
        Erase(entry);
    }
}

void PixelCache::Erase(List::iterator it) {
    bytes_ -= it->buffer.Bytes();
    index_.erase(it->key);
    recent_.erase(it);
}

void PixelCache::Trim() {
    while (bytes_ > budget_ && !recent_.empty() && recent_.back().frame != frame_) Erase(std::prev(recent_.end()));
}
