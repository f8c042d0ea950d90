// Decoded pictures kept in plain memory under one process-wide budget. When
// the budget is exceeded, the pictures shown least recently give their pixels
// back (a hidden tab's pictures first); whoever needs them again decodes them
// again. Pictures shown in the current frame are never given back, so the
// pictures on screen stay even when they alone exceed the budget.
// Pure bookkeeping; no windows.h here.
#pragma once
#include <cstddef>
#include <cstdint>
#include <list>
#include <map>
#include <utility>
#include <vector>

// An opaque picture: rows top-down, one 32-bit B,G,R,unused word per pixel.
// An animated picture holds all its frames, composed, one after another
// (`frames` pictures of width x height), with how long each stays and how
// often the whole plays (0 = forever).
struct PixelBuffer {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    int frames = 1;
    std::vector<int> delaysMs;
    int plays = 1;
    std::size_t Bytes() const { return pixels.size() * sizeof(std::uint32_t); }
    bool Animated() const { return frames > 1; }
    // The first pixel of frame `frame`.
    const std::uint32_t* Frame(int frame) const {
        return pixels.data() + static_cast<std::size_t>(frame) * static_cast<std::size_t>(width) *
                                   static_cast<std::size_t>(height);
    }
};

class PixelCache {
public:
    explicit PixelCache(std::size_t budgetBytes);
    PixelCache(const PixelCache&) = delete;
    PixelCache& operator=(const PixelCache&) = delete;

    // The one cache of this process (the program runs one window thread).
    static PixelCache& Shared();
    static constexpr std::size_t kDefaultBudget = 48u << 20;

    std::size_t Budget() const { return budget_; }
    // Takes effect at the next store.
    void SetBudget(std::size_t bytes) { budget_ = bytes; }
    std::size_t Bytes() const { return bytes_; }
    std::size_t Count() const { return index_.size(); }

    // Starts a new frame: what is used from now on is what is on screen.
    void BeginFrame() { ++frame_; }
    // The pixels of picture `index` of `owner`, marked as shown now; null when
    // not held. The pointer is valid until the next Store or Forget.
    const PixelBuffer* Use(const void* owner, int index);
    bool Holds(const void* owner, int index) const { return index_.count(Key{owner, index}) != 0; }
    // Keeps `pixels` as shown now, then gives back the least recently shown
    // pictures of earlier frames while over budget.
    void Store(const void* owner, int index, PixelBuffer pixels);
    // Gives back every picture of `owner`.
    void Forget(const void* owner);

private:
    using Key = std::pair<const void*, int>;
    struct Entry {
        Key key;
        PixelBuffer buffer;
        std::uint64_t frame = 0;
    };
    using List = std::list<Entry>;  // most recently shown first

    void Erase(List::iterator it);
    void Trim();

    std::size_t budget_;
    std::size_t bytes_ = 0;
    std::uint64_t frame_ = 1;
    List recent_;
    std::map<Key, List::iterator> index_;
};
