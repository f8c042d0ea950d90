// Pictures of the program drawn at the resolution of their form: a copy
// of a bitmap resampled with DpiScale's filter (nearest neighbour at whole
// factors, area averaging otherwise).
#pragma once
#include "Picture.h"

// `source` resampled to width x height. When `keyed`, the source's
// see-through colour (its bottom-left pixel) stays see-through and sharp:
// it takes no part in the averaging, so no fringe of it is left around the
// shapes. An empty source or size gives an empty bitmap.
TBitmap ResampledBitmap(const TBitmap& source, int width, int height, bool keyed);
// `source` at the scale toDpi / fromDpi (each side scaled by DpiScale); a
// copy at the same resolution.
TBitmap BitmapForDpi(const TBitmap& source, int toDpi, int fromDpi, bool keyed);
