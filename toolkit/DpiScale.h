// Scaling of sizes designed at 96 dots per inch to the resolution of a
// monitor. Every scaled length of the toolkit and the components goes
// through here, so one rounding rule holds everywhere (docs/architecture.md).
// Window-free: built natively and tested there too.
#pragma once

namespace dpi {

// The resolution the layouts and pictures are designed at.
constexpr int kDesignDpi = 96;

// value * toDpi / fromDpi rounded to the nearest whole pixel, halves away
// from zero (so -5.5 becomes -6, as 5.5 becomes 6: a font height keeps its
// sign and size whichever way it is stored). Exact in 64 bits, saturated to
// the int range. A resolution of zero or less leaves the value as it is.
int Scale(int value, int toDpi, int fromDpi = kDesignDpi) noexcept;

// A control's place: its left and top corner and its size.
struct Box {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const Box&) const = default;
};

// Scales the edges, not the sizes: left and right = left + width are scaled
// and the width is their difference, so controls that touched at 96 dpi
// still touch, and a control ends where the scaled design says.
Box ScaleBox(const Box& box, int toDpi, int fromDpi = kDesignDpi) noexcept;

// How a picture is resampled when drawn at another size.
enum class Filter {
    None,              // drawn at its own size
    NearestNeighbour,  // every pixel becomes a whole block: sharp at 2x, 3x ...
    HighQuality,       // interpolated (WIC's Fant): no uneven blocks at 1.25x, 1.5x
};
// The filter for drawing a picture of srcWidth x srcHeight at dstWidth x
// dstHeight: none at the same size, nearest neighbour when both sides grow
// by the same whole factor, high quality otherwise.
Filter FilterFor(int srcWidth, int srcHeight, int dstWidth, int dstHeight) noexcept;

// The resolution reported by the system, kept to what the toolkit handles:
// values of zero or less (a failed query) give the design resolution.
int Sanitize(int reportedDpi) noexcept;

}  // namespace dpi
