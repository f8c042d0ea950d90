#include "GifAnimation.h"

#include <algorithm>
#include <string_view>
#include <utility>

namespace gif {

Disposal DisposalFromCode(int code) {
    switch (code) {
    case 2: return Disposal::Background;
    case 3: return Disposal::Previous;
    default: return Disposal::Keep;
    }
}

int FrameDelayMs(int hundredths) {
    const int ms = std::clamp(hundredths, 0, 65535) * 10;
    return ms < 20 ? 100 : ms;
}

bool ParseLoopCount(const std::vector<std::uint8_t>& data, int& loopCount) {
    // Sub-block {3, 1, lo, hi} or, where the reader strips the size, {1, lo, hi}.
    if (data.size() >= 4 && data[0] == 3 && data[1] == 1) {
        loopCount = data[2] | (data[3] << 8);
        return true;
    }
    if (data.size() >= 3 && data[0] == 1) {
        loopCount = data[1] | (data[2] << 8);
        return true;
    }
    return false;
}

int PlayCount(bool hasLoopCount, int loopCount) {
    if (!hasLoopCount) return 1;
    if (loopCount <= 0) return 0;
    return loopCount + 1;
}

std::vector<std::uint32_t> ExpandIndexed(const std::uint8_t* indices, std::size_t count,
                                         const std::vector<std::uint32_t>& palette, int transparentIndex) {
    std::vector<std::uint32_t> out(count, 0);
    for (std::size_t i = 0; i < count; ++i) {
        const int index = indices[i];
        if (index == transparentIndex || static_cast<std::size_t>(index) >= palette.size()) continue;
        out[i] = palette[static_cast<std::size_t>(index)] | 0xFF000000u;
    }
    return out;
}

namespace {
// Past a chain of data sub-blocks starting at `pos`; false when it is cut off.
bool SkipSubBlocks(const std::uint8_t* data, std::size_t size, std::size_t& pos) {
    while (pos < size) {
        const std::size_t length = data[pos++];
        if (length == 0) return true;
        pos += length;
    }
    return false;
}

std::size_t ColourTableBytes(std::uint8_t packed) {
    return (packed & 0x80) ? 3u << ((packed & 7) + 1) : 0;
}
}  // namespace

std::vector<std::size_t> CompleteFrameEnds(const std::uint8_t* data, std::size_t size) {
    std::vector<std::size_t> ends;
    if (!data || size < 13 || (std::string_view(reinterpret_cast<const char*>(data), 6) != "GIF87a" &&
                               std::string_view(reinterpret_cast<const char*>(data), 6) != "GIF89a"))
        return ends;
    std::size_t pos = 13 + ColourTableBytes(data[10]);
    while (pos < size) {
        const std::uint8_t kind = data[pos];
        if (kind == 0x21) {  // extension: label, then sub-blocks
            pos += 2;
            if (!SkipSubBlocks(data, size, pos)) break;
        } else if (kind == 0x2C) {  // image: descriptor, local table, code size, sub-blocks
            if (pos + 10 > size) break;
            pos += 10 + ColourTableBytes(data[pos + 9]) + 1;
            if (!SkipSubBlocks(data, size, pos) || pos > size) break;
            ends.push_back(pos);
        } else {  // the trailer, or bytes that are no block
            break;
        }
    }
    return ends;
}

// ------------------------------------------------------------------ Composer

Composer::Composer(int width, int height)
    : width_(std::max(width, 0)), height_(std::max(height, 0)),
      screen_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), 0) {}

Composer::Area Composer::Clip(const Frame& frame) const {
    Area a;
    a.left = std::clamp(frame.left, 0, width_);
    a.top = std::clamp(frame.top, 0, height_);
    a.right = std::clamp(frame.left + std::max(frame.width, 0), 0, width_);
    a.bottom = std::clamp(frame.top + std::max(frame.height, 0), 0, height_);
    return a;
}

void Composer::Compose(const Frame& frame, std::uint32_t* out) {
    const std::size_t w = static_cast<std::size_t>(width_);
    // What the previous frame asked for once its time was over.
    if (pending_ == Disposal::Background) {
        for (int y = pendingArea_.top; y < pendingArea_.bottom; ++y)
            std::fill_n(screen_.begin() + static_cast<std::ptrdiff_t>(y * w + pendingArea_.left),
                        pendingArea_.right - pendingArea_.left, 0u);
    } else if (pending_ == Disposal::Previous && saved_.size() == screen_.size()) {
        screen_ = saved_;
    }
    if (frame.disposal == Disposal::Previous) saved_ = screen_;

    const Area area = Clip(frame);
    const bool complete = frame.pixels.size() >= static_cast<std::size_t>(std::max(frame.width, 0)) *
                                                     static_cast<std::size_t>(std::max(frame.height, 0));
    // An area the clipping left empty has nothing to draw, and the offsets of
    // its rows into the frame's pixels need not lie inside them.
    if (complete && area.right > area.left) {
        for (int y = area.top; y < area.bottom; ++y) {
            const std::uint32_t* src = frame.pixels.data() +
                                       static_cast<std::size_t>(y - frame.top) * static_cast<std::size_t>(frame.width) +
                                       static_cast<std::size_t>(area.left - frame.left);
            std::uint32_t* dst = screen_.data() + static_cast<std::size_t>(y) * w + static_cast<std::size_t>(area.left);
            for (int x = 0; x < area.right - area.left; ++x)
                if (src[x] >> 24) dst[x] = src[x];
        }
    }
    pending_ = frame.disposal;
    pendingArea_ = area;

    // GIF pixels are opaque or transparent: what is transparent shows the
    // white page.
    for (std::size_t i = 0; i < screen_.size(); ++i)
        out[i] = (screen_[i] >> 24) ? (screen_[i] & 0x00FFFFFFu) : 0x00FFFFFFu;
}

// ------------------------------------------------------------------ Playback

Playback::Playback(std::vector<int> delaysMs, int plays) : delays_(std::move(delaysMs)), plays_(std::max(plays, 0)) {
    if (delays_.size() < 2) finished_ = true;
}

void Playback::Advance() {
    if (finished_) return;
    if (frame_ + 1 < FrameCount()) {
        ++frame_;
        return;
    }
    ++played_;
    if (plays_ != 0 && played_ >= plays_) {
        finished_ = true;  // stays on the last frame
        return;
    }
    frame_ = 0;
}

void Playback::Restart() {
    frame_ = 0;
    played_ = 0;
    finished_ = delays_.size() < 2;
}

}  // namespace gif
