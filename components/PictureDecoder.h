// Picture files read through the platform's imaging codecs (WIC): gif, jpg,
// bmp and png. Opening a file reads only what its display size needs;
// decoding turns it into opaque pixels, transparency and alpha composited
// over white; an animated GIF into all its frames, composed on its logical
// screen as a browser shows them (GifAnimation), with their delays and its
// loop count from the codec's metadata readers. Nothing here raises: a file
// that cannot be read is simply not opened. COM must be initialised on the
// calling thread.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "PixelCache.h"

struct IWICImagingFactory;
struct IWICBitmapDecoder;
struct IWICBitmapFrameDecode;

// One opened picture file.
class PictureFile {
public:
    PictureFile() = default;
    PictureFile(const PictureFile&) = delete;
    PictureFile& operator=(const PictureFile&) = delete;
    ~PictureFile() { Close(); }

    bool IsOpen() const { return frame_ != nullptr; }
    // The size the picture is shown at (for a GIF its logical screen).
    int Width() const { return width_; }
    int Height() const { return height_; }
    // The picture over a white background, at the display size; false (and
    // `out` untouched) when the pixels of its first frame cannot be read. An
    // animated GIF gives every frame up to the first that cannot be read.
    bool Decode(PixelBuffer& out) noexcept;
    // How many frames the file has (1 for all but animated GIFs).
    int FrameCount() const { return frameCount_; }

    // An animation keeps at most this many pixels of composed frames; the
    // frames past it are not shown (a picture of the library has a few
    // thousand pixels per frame).
    static constexpr long long kMaxAnimationPixels = 4LL << 20;
    void Close() noexcept;

private:
    friend class PictureDecoder;
    bool DecodeFirstFrame(PixelBuffer& out);
    bool DecodeAnimation(PixelBuffer& out);

    IWICImagingFactory* factory_ = nullptr;
    IWICBitmapDecoder* decoder_ = nullptr;
    IWICBitmapFrameDecode* frame_ = nullptr;
    int width_ = 0, height_ = 0;
    // Where the first frame lies on the display area, and its own size.
    int frameLeft_ = 0, frameTop_ = 0, frameWidth_ = 0, frameHeight_ = 0;
    int frameCount_ = 1;
    std::vector<std::uint8_t> bytes_;  // the file's bytes, which the decoder reads
};

class PictureDecoder {
public:
    PictureDecoder() = default;
    PictureDecoder(const PictureDecoder&) = delete;
    PictureDecoder& operator=(const PictureDecoder&) = delete;
    ~PictureDecoder();

    // Pictures larger than this are refused, so one odd file cannot take
    // hundreds of megabytes.
    static constexpr int kMaxSide = 8192;
    static constexpr long long kMaxPixels = 16LL << 20;

    // Opens `path` (ANSI) and reads its display size; false when the file is
    // missing, unreadable, not a picture the codecs know, or too large.
    bool Open(const std::string& path, PictureFile& file) noexcept;

    // How many times any decoder of this process has opened a file.
    static long OpenCount() noexcept;
    // How many of them the calling thread made.
    static long OpenCountOnThisThread() noexcept;

private:
    IWICImagingFactory* Factory() noexcept;
    bool OpenFromMemory(std::vector<std::uint8_t>& bytes, PictureFile& file, IWICBitmapDecoder** decoder);
    bool OpenDamagedGif(const std::vector<std::uint8_t>& bytes, PictureFile& file, IWICBitmapDecoder** decoder);

    IWICImagingFactory* factory_ = nullptr;
};
