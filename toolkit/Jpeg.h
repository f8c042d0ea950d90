// JPEG decoding (baseline and progressive) into plain 24-bit pixels.
// No windows.h: TBitmap (Picture.h) turns the result into a DIB section.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "Exceptions.h"

// Raised for data libjpeg cannot decode completely: not a JPEG, corrupt,
// truncated, unsupported, or too large.
class EJpegError : public Exception {
public:
    using Exception::Exception;
};

// A decoded picture: rows top-down, 3 bytes per pixel in blue-green-red
// order, rows packed without padding (Stride() = 3 * width).
struct JpegImage {
    int width = 0;
    int height = 0;
    bool progressive = false;
    std::vector<std::uint8_t> bgr;

    std::size_t Stride() const { return static_cast<std::size_t>(width) * 3; }
    const std::uint8_t* Row(int y) const { return bgr.data() + Stride() * static_cast<std::size_t>(y); }
};

// Pictures with more pixels than this are refused rather than allocated.
constexpr std::size_t kMaxJpegPixels = 64u * 1024u * 1024u;

// True when the data starts with the JPEG start-of-image marker FF D8.
bool LooksLikeJpeg(const void* data, std::size_t size) noexcept;

// Decodes a complete JPEG file held in memory. Grey, YCbCr, RGB and CMYK/YCCK
// pictures all come out as BGR. Raises EJpegError on any decoding error; data
// that ends early or whose entropy-coded segments are damaged counts as an
// error too (libjpeg would only warn and fill in grey).
JpegImage DecodeJpeg(const void* data, std::size_t size);
