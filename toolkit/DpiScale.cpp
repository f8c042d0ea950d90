#include "DpiScale.h"

#include <climits>
#include <cstdint>

namespace dpi {

int Scale(int value, int toDpi, int fromDpi) noexcept {
    if (toDpi <= 0 || fromDpi <= 0 || toDpi == fromDpi) return value;
    const int64_t product = static_cast<int64_t>(value) * toDpi;
    // Division truncates toward zero; a remainder of half the divisor or
    // more moves the quotient one further from zero.
    int64_t quotient = product / fromDpi;
    const int64_t remainder = product % fromDpi;
    const int64_t twice = (remainder < 0 ? -remainder : remainder) * 2;
    if (twice >= fromDpi) quotient += product < 0 ? -1 : 1;
    if (quotient > INT_MAX) return INT_MAX;
    if (quotient < INT_MIN) return INT_MIN;
    return static_cast<int>(quotient);
}

Box ScaleBox(const Box& box, int toDpi, int fromDpi) noexcept {
    Box scaled;
    scaled.left = Scale(box.left, toDpi, fromDpi);
    scaled.top = Scale(box.top, toDpi, fromDpi);
    // The far edges in 64 bits: left + width may pass INT_MAX.
    const auto edge = [&](int start, int size) {
        const int64_t far = static_cast<int64_t>(start) + size;
        const int64_t clamped = far > INT_MAX ? INT_MAX : far < INT_MIN ? INT_MIN : far;
        return static_cast<int64_t>(Scale(static_cast<int>(clamped), toDpi, fromDpi));
    };
    const int64_t width = edge(box.left, box.width) - scaled.left;
    const int64_t height = edge(box.top, box.height) - scaled.top;
    scaled.width = static_cast<int>(width > INT_MAX ? INT_MAX : width < INT_MIN ? INT_MIN : width);
    scaled.height = static_cast<int>(height > INT_MAX ? INT_MAX : height < INT_MIN ? INT_MIN : height);
    return scaled;
}

Filter FilterFor(int srcWidth, int srcHeight, int dstWidth, int dstHeight) noexcept {
    if (srcWidth <= 0 || srcHeight <= 0 || (srcWidth == dstWidth && srcHeight == dstHeight)) return Filter::None;
    if (dstWidth > 0 && dstWidth % srcWidth == 0 && dstHeight % srcHeight == 0 &&
        dstWidth / srcWidth == dstHeight / srcHeight)
        return Filter::NearestNeighbour;
    return Filter::HighQuality;
}

int Sanitize(int reportedDpi) noexcept { return reportedDpi > 0 ? reportedDpi : kDesignDpi; }

}  // namespace dpi
