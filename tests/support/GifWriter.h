// Writes small GIF files with exactly the pixels, offsets, delays, disposal
// and transparency a test asks for (the platform's encoder cannot write the
// per-frame metadata). The image data is LZW with a clear code before the
// table would grow, so every code is 9 bits: large, but valid.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace gif_test {

struct Frame {
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<std::uint8_t> indices;  // width * height palette indices
    int delay = 0;                      // hundredths of a second
    int disposal = 0;                   // 0..3
    int transparent = -1;               // transparent index, or -1
};

struct Animation {
    int width = 0, height = 0;
    std::vector<std::uint32_t> palette;  // 0xRRGGBB, at most 256
    int loopCount = -1;                  // -1: no NETSCAPE2.0 extension
    std::vector<Frame> frames;
};

inline void Put16(std::string& out, int v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

inline std::string ImageData(const std::vector<std::uint8_t>& indices) {
    constexpr int kMinCodeSize = 8, kClear = 256, kEnd = 257, kWidth = 9;
    std::string codes;
    std::uint32_t bits = 0;
    int count = 0;
    auto emit = [&](int code) {
        bits |= static_cast<std::uint32_t>(code) << count;
        count += kWidth;
        while (count >= 8) {
            codes += static_cast<char>(bits & 0xFF);
            bits >>= 8;
            count -= 8;
        }
    };
    emit(kClear);
    int sinceClear = 0;
    for (std::uint8_t index : indices) {
        if (sinceClear == kClear - 3) {
            emit(kClear);
            sinceClear = 0;
        }
        emit(index);
        ++sinceClear;
    }
    emit(kEnd);
    if (count > 0) codes += static_cast<char>(bits & 0xFF);
    std::string out(1, static_cast<char>(kMinCodeSize));
    for (size_t at = 0; at < codes.size(); at += 255) {
        const std::string block = codes.substr(at, 255);
        out += static_cast<char>(block.size());
        out += block;
    }
    out += '\0';
    return out;
}

inline std::string Write(const Animation& a) {
    std::string out = "GIF89a";
    Put16(out, a.width);
    Put16(out, a.height);
    int sizeBits = 0;  // the table holds 2 << sizeBits entries
    while ((2u << sizeBits) < a.palette.size()) ++sizeBits;
    out += static_cast<char>(0x80 | 0x70 | sizeBits);
    out += '\0';  // background index
    out += '\0';  // aspect
    for (size_t i = 0; i < (2u << sizeBits); ++i) {
        const std::uint32_t c = i < a.palette.size() ? a.palette[i] : 0;
        out += static_cast<char>((c >> 16) & 0xFF);
        out += static_cast<char>((c >> 8) & 0xFF);
        out += static_cast<char>(c & 0xFF);
    }
    if (a.loopCount >= 0) {
        out += "\x21\xFF\x0B";
        out += "NETSCAPE2.0";
        out += "\x03\x01";
        Put16(out, a.loopCount);
        out += '\0';
    }
    for (const Frame& f : a.frames) {
        out += "\x21\xF9\x04";
        out += static_cast<char>(((f.disposal & 7) << 2) | (f.transparent >= 0 ? 1 : 0));
        Put16(out, f.delay);
        out += static_cast<char>(f.transparent >= 0 ? f.transparent : 0);
        out += '\0';
        out += '\x2C';
        Put16(out, f.left);
        Put16(out, f.top);
        Put16(out, f.width);
        Put16(out, f.height);
        out += '\0';
        out += ImageData(f.indices);
    }
    out += '\x3B';
    return out;
}

// A width x height frame of one index.
inline Frame Filled(int left, int top, int width, int height, std::uint8_t index) {
    Frame f;
    f.left = left;
    f.top = top;
    f.width = width;
    f.height = height;
    f.indices.assign(static_cast<size_t>(width * height), index);
    return f;
}

}  // namespace gif_test
