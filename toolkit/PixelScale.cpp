#include "PixelScale.h"

#include <algorithm>

namespace dpi {

namespace {
// One pass of the box filter along one axis: `count` lines of `from`
// samples each (a sample `stride` apart, lines `lineStride` apart) become
// lines of `to` samples, each channel kept in doubles.
struct Span {
    int first;            // first source sample
    std::vector<double> weights;  // one per source sample from `first`
};
std::vector<Span> BoxSpans(int from, int to) {
    std::vector<Span> spans(static_cast<size_t>(to));
    const double step = static_cast<double>(from) / to;
    for (int i = 0; i < to; ++i) {
        const double start = i * step, end = (i + 1) * step;
        Span& span = spans[static_cast<size_t>(i)];
        span.first = static_cast<int>(start);
        for (int s = span.first; s < from && s < end; ++s) {
            const double cover = std::min<double>(s + 1, end) - std::max<double>(s, start);
            if (cover > 0) span.weights.push_back(cover / step);
            else span.weights.push_back(0);
        }
    }
    return spans;
}

uint32_t Pack(const double channel[4]) {
    uint32_t value = 0;
    for (int c = 0; c < 4; ++c) {
        // The epsilon keeps exact halves (127.5 summed as 127.4999...) rounding up.
        const int v = std::clamp(static_cast<int>(channel[c] + 0.5 + 1e-9), 0, 255);
        value |= static_cast<uint32_t>(v) << (8 * c);
    }
    return value;
}
}  // namespace

std::vector<uint32_t> Resample(const std::vector<uint32_t>& source, int width, int height, int dstWidth,
                               int dstHeight, Filter filter) {
    if (width <= 0 || height <= 0 || dstWidth <= 0 || dstHeight <= 0 ||
        source.size() != static_cast<size_t>(width) * static_cast<size_t>(height))
        return {};
    std::vector<uint32_t> out(static_cast<size_t>(dstWidth) * static_cast<size_t>(dstHeight));
    if (filter == Filter::None) {
        if (width != dstWidth || height != dstHeight) return {};
        return source;
    }
    if (filter == Filter::NearestNeighbour) {
        for (int y = 0; y < dstHeight; ++y) {
            const int sy = static_cast<int>(static_cast<int64_t>(y) * height / dstHeight);
            for (int x = 0; x < dstWidth; ++x) {
                const int sx = static_cast<int>(static_cast<int64_t>(x) * width / dstWidth);
                out[static_cast<size_t>(y) * dstWidth + x] = source[static_cast<size_t>(sy) * width + sx];
            }
        }
        return out;
    }
    // Box filter, rows then columns, four channels in doubles.
    const std::vector<Span> across = BoxSpans(width, dstWidth), down = BoxSpans(height, dstHeight);
    std::vector<double> rows(static_cast<size_t>(dstWidth) * height * 4, 0.0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < dstWidth; ++x) {
            const Span& span = across[static_cast<size_t>(x)];
            double* target = &rows[(static_cast<size_t>(y) * dstWidth + x) * 4];
            for (size_t k = 0; k < span.weights.size(); ++k) {
                const uint32_t p = source[static_cast<size_t>(y) * width + span.first + k];
                for (int c = 0; c < 4; ++c) target[c] += span.weights[k] * ((p >> (8 * c)) & 0xFF);
            }
        }
    for (int y = 0; y < dstHeight; ++y) {
        const Span& span = down[static_cast<size_t>(y)];
        for (int x = 0; x < dstWidth; ++x) {
            double channel[4] = {0, 0, 0, 0};
            for (size_t k = 0; k < span.weights.size(); ++k) {
                const double* from = &rows[((span.first + k) * static_cast<size_t>(dstWidth) + x) * 4];
                for (int c = 0; c < 4; ++c) channel[c] += span.weights[k] * from[c];
            }
            out[static_cast<size_t>(y) * dstWidth + x] = Pack(channel);
        }
    }
    return out;
}

std::vector<uint32_t> KeyToAlpha(const std::vector<uint32_t>& rgb, uint32_t key) {
    std::vector<uint32_t> out(rgb.size());
    for (size_t i = 0; i < rgb.size(); ++i) {
        const uint32_t colour = rgb[i] & 0xFFFFFF;
        out[i] = colour == (key & 0xFFFFFF) ? 0 : colour | 0xFF000000u;
    }
    return out;
}

std::vector<uint32_t> AlphaToKey(const std::vector<uint32_t>& premultiplied, uint32_t key) {
    std::vector<uint32_t> out(premultiplied.size());
    for (size_t i = 0; i < premultiplied.size(); ++i) {
        const uint32_t p = premultiplied[i];
        const uint32_t alpha = p >> 24;
        if (alpha < 128) {
            out[i] = (key & 0xFFFFFF) | 0xFF000000u;
            continue;
        }
        uint32_t value = 0xFF000000u;
        for (int c = 0; c < 3; ++c) {
            const uint32_t channel = (p >> (8 * c)) & 0xFF;
            value |= std::min<uint32_t>(255, (channel * 255 + alpha / 2) / alpha) << (8 * c);
        }
        // A colour that came out as the key itself would vanish: one step off.
        if ((value & 0xFFFFFF) == (key & 0xFFFFFF)) value ^= 1;
        out[i] = value;
    }
    return out;
}

}  // namespace dpi
