// Animated GIFs the way browsers play them, from frames that are already
// decoded: each frame drawn on the picture's logical screen at its offset,
// its transparent pixels leaving what lies under them, then disposed of
// (kept, cleared to transparent, or the screen restored to what it was
// before the frame) before the next one is drawn; delays of under 20 ms
// shown as 100 ms; the loop count of the application extension honoured.
// Pure; no windows.h here, so it can be built natively and fuzzed.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace gif {

// What happens to a frame's area once its delay is over.
enum class Disposal {
    Keep,        // 0 (unspecified) and 1: the next frame draws over it
    Background,  // 2: its area is cleared to transparent (the page shows through)
    Previous,    // 3: the screen goes back to what it was before the frame
};
// The graphic control extension's disposal method; unknown codes keep.
Disposal DisposalFromCode(int code);

// The time a frame stays, from its delay in hundredths of a second.
// Browsers show delays under 20 ms as 100 ms, so frames marked 0 or 10 ms
// do not flash by.
int FrameDelayMs(int hundredths);

// The loop count of a NETSCAPE2.0 / ANIMEXTS1.0 application extension, from
// its data sub-blocks as the metadata reader gives them (with or without
// the leading sub-block size). False when the data holds no loop count.
bool ParseLoopCount(const std::vector<std::uint8_t>& data, int& loopCount);

// How many times an animation plays: once without a loop count, forever
// (0 returned) for a loop count of 0, else the loop count plus the first
// play (a loop count counts the repetitions, as browsers read it).
int PlayCount(bool hasLoopCount, int loopCount);

// Palette indices to B,G,R,A words; `palette` holds 0xAARRGGBB (or 0xRRGGBB)
// values. The transparent index and indices past the palette are
// transparent (alpha 0); every other pixel is opaque.
std::vector<std::uint32_t> ExpandIndexed(const std::uint8_t* indices, std::size_t count,
                                         const std::vector<std::uint32_t>& palette, int transparentIndex);

// Where each frame of a GIF file whose image data is complete ends (the
// offset just past its data), in file order, up to the first block that is
// cut off or not a GIF block. Empty when the bytes are not a GIF. Only the
// block structure is walked; no pixel is decoded. A codec that refuses a
// damaged file can be given the bytes up to one of these ends and a
// trailer.
std::vector<std::size_t> CompleteFrameEnds(const std::uint8_t* data, std::size_t size);

// One decoded frame: where it lies on the logical screen, its pixels as
// B,G,R,A words (alpha 0 = transparent, anything else drawn), and what
// follows it.
struct Frame {
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<std::uint32_t> pixels;  // width * height, rows top-down
    Disposal disposal = Disposal::Keep;
};

// Draws frame after frame on one logical screen, transparent at the start.
class Composer {
public:
    Composer(int width, int height);
    int Width() const { return width_; }
    int Height() const { return height_; }

    // Disposes of the previous frame, draws `frame` (the part of it that
    // lies on the screen) and writes what the screen shows, over white and
    // opaque (B,G,R,0 words), to `out` (Width() * Height() words).
    void Compose(const Frame& frame, std::uint32_t* out);

private:
    struct Area {
        int left = 0, top = 0, right = 0, bottom = 0;
    };
    Area Clip(const Frame& frame) const;

    int width_, height_;
    std::vector<std::uint32_t> screen_;
    std::vector<std::uint32_t> saved_;  // the screen before a frame disposed "previous"
    Disposal pending_ = Disposal::Keep;
    Area pendingArea_;
};

// Which frame shows, and when the animation stops. Frames are numbered
// from 0; a finished animation stays on its last frame.
class Playback {
public:
    Playback() = default;
    // `delaysMs` per frame; `plays` 0 = forever (see PlayCount).
    Playback(std::vector<int> delaysMs, int plays);

    int FrameCount() const { return static_cast<int>(delays_.size()); }
    bool Animated() const { return FrameCount() > 1; }
    int Frame() const { return frame_; }
    // How long the current frame stays.
    int Delay() const { return delays_.empty() ? 0 : delays_[static_cast<std::size_t>(frame_)]; }
    bool Finished() const { return finished_; }
    // To the next frame; after the last frame of the last play, stops there.
    void Advance();
    // Back to the first frame of the first play.
    void Restart();

private:
    std::vector<int> delays_;
    int plays_ = 1;
    int played_ = 0;  // completed plays
    int frame_ = 0;
    bool finished_ = false;
};

}  // namespace gif
