// Resampling of pictures drawn at another resolution than their own.
// Window-free: pixels are 32-bit premultiplied BGRA values (0xAARRGGBB),
// rows top-down without padding.
#pragma once
#include <cstdint>
#include <vector>

#include "DpiScale.h"

namespace dpi {

// `source` (width x height) resampled to dstWidth x dstHeight with `filter`:
// NearestNeighbour repeats pixels (exact blocks at whole factors),
// HighQuality averages the area of the source each target pixel covers
// (a box filter over the premultiplied values, like WIC's Fant mode), None
// copies (sizes must then match). Empty for empty sizes or a source that
// does not hold width x height pixels.
std::vector<uint32_t> Resample(const std::vector<uint32_t>& source, int width, int height, int dstWidth,
                               int dstHeight, Filter filter);

// Keyed pictures (a colour that stays unpainted): every pixel of `key`
// (0xRRGGBB) becomes fully see-through, the others opaque.
std::vector<uint32_t> KeyToAlpha(const std::vector<uint32_t>& rgb, uint32_t key);
// And back after resampling: pixels less than half covered become `key`,
// the others their own colour, unpremultiplied. The result is opaque.
std::vector<uint32_t> AlphaToKey(const std::vector<uint32_t>& premultiplied, uint32_t key);

}  // namespace dpi
