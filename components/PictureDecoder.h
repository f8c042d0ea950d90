// Picture files read through the platform's imaging codecs (WIC): gif, jpg,
// bmp and png. Opening a file reads only what its display size needs;
// decoding turns its first frame into opaque pixels, transparency and alpha
// composited over white. Nothing here raises: a file that cannot be read is
// simply not opened. COM must be initialised on the calling thread.
#pragma once
#include <string>

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
    // The first frame over a white background, at the display size; false
    // (and `out` untouched) when the pixels cannot be read.
    bool Decode(PixelBuffer& out) noexcept;
    void Close() noexcept;

private:
    friend class PictureDecoder;
    IWICImagingFactory* factory_ = nullptr;
    IWICBitmapDecoder* decoder_ = nullptr;
    IWICBitmapFrameDecode* frame_ = nullptr;
    int width_ = 0, height_ = 0;
    // Where the first frame lies on the display area, and its own size.
    int frameLeft_ = 0, frameTop_ = 0, frameWidth_ = 0, frameHeight_ = 0;
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

private:
    IWICImagingFactory* Factory() noexcept;

    IWICImagingFactory* factory_ = nullptr;
};
