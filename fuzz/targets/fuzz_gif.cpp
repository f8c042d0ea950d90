// GIF frame composition from bytes. First byte: what to drive.
//  0: the rest is a GIF file: where its complete frames end.
//  1: a logical screen and a run of frames (offsets, sizes, pixels and
//     disposals from the input) composed one after another, each output
//     checked against what the frames before it allow; then a playback.
//  2: palette expansion, loop counts and delays.
#include <algorithm>
#include <vector>

#include "FuzzInput.h"
#include "GifAnimation.h"

namespace {

void FrameEnds(FuzzInput& in) {
    const std::string file = in.Rest();
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(file.data());
    const std::vector<std::size_t> ends = gif::CompleteFrameEnds(bytes, file.size());
    for (std::size_t i = 0; i < ends.size(); ++i) {
        FUZZ_CHECK(ends[i] > 13 && ends[i] <= file.size());
        if (i > 0) FUZZ_CHECK(ends[i] > ends[i - 1]);
    }
    // Cut after a frame, the file still has exactly the frames before the cut.
    for (std::size_t i = 0; i < ends.size(); ++i) {
        const std::vector<std::size_t> cut = gif::CompleteFrameEnds(bytes, ends[i]);
        FUZZ_CHECK(cut.size() == i + 1 && std::equal(cut.begin(), cut.end(), ends.begin()));
    }
}

constexpr std::uint32_t kWhite = 0x00FFFFFF;

void Compose(FuzzInput& in) {
    const int width = in.Int(0, 40), height = in.Int(0, 40);
    gif::Composer composer(width, height);
    FUZZ_CHECK(composer.Width() == width && composer.Height() == height);
    const std::size_t n = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);

    // The screen as a viewer sees it: transparent shows as the white page,
    // so one colour per pixel is all the model needs.
    std::vector<std::uint32_t> out(n), screen(n, kWhite), saved;
    std::vector<bool> touched(n, false);
    gif::Disposal pending = gif::Disposal::Keep;
    int areaLeft = 0, areaTop = 0, areaRight = 0, areaBottom = 0;  // the previous frame on screen
    std::vector<int> delays;
    for (int f = 0; f < 12 && !in.Empty(); ++f) {
        gif::Frame frame;
        // Offsets and sizes are 16-bit in a file; here they also reach past the screen.
        frame.left = in.Int(0, 60);
        frame.top = in.Int(0, 60);
        frame.width = in.Int(0, 50);
        frame.height = in.Int(0, 50);
        frame.disposal = gif::DisposalFromCode(in.Byte() % 5);
        const bool complete = in.Byte() % 8 != 0;  // a damaged frame may carry fewer pixels
        const std::size_t count = static_cast<std::size_t>(frame.width) * static_cast<std::size_t>(frame.height);
        const std::uint32_t colour = in.U32() & 0x00FFFFFF;
        const std::uint8_t pattern = in.Byte();
        for (std::size_t i = 0; i < (complete ? count : count / 2); ++i)
            frame.pixels.push_back((pattern >> (i % 8)) & 1 ? (colour ^ static_cast<std::uint32_t>(i)) | 0xFF000000u : 0);
        delays.push_back(gif::FrameDelayMs(in.Int(-5, 70000)));

        // Dispose of the previous frame, keep the screen for this one, draw it.
        if (pending == gif::Disposal::Background) {
            for (int y = areaTop; y < areaBottom; ++y)
                for (int x = areaLeft; x < areaRight; ++x) screen[static_cast<std::size_t>(y * width + x)] = kWhite;
        } else if (pending == gif::Disposal::Previous) {
            screen = saved;
        }
        if (frame.disposal == gif::Disposal::Previous) saved = screen;
        areaLeft = std::min(frame.left, width);
        areaTop = std::min(frame.top, height);
        areaRight = std::min(frame.left + frame.width, width);
        areaBottom = std::min(frame.top + frame.height, height);
        pending = frame.disposal;
        if (complete) {
            for (int y = areaTop; y < areaBottom; ++y)
                for (int x = areaLeft; x < areaRight; ++x) {
                    const std::uint32_t p = frame.pixels[static_cast<std::size_t>((y - frame.top) * frame.width + (x - frame.left))];
                    if (!(p >> 24)) continue;
                    screen[static_cast<std::size_t>(y * width + x)] = p & 0x00FFFFFF;
                    touched[static_cast<std::size_t>(y * width + x)] = true;
                }
        }

        composer.Compose(frame, out.data());
        FUZZ_CHECK(out == screen);
        for (std::size_t i = 0; i < n; ++i) {
            FUZZ_CHECK((out[i] >> 24) == 0);                  // written opaque
            if (!touched[i]) FUZZ_CHECK(out[i] == kWhite);  // never drawn on: the page
        }
    }

    const int plays = in.Int(0, 3);
    gif::Playback playback(delays, plays);
    FUZZ_CHECK(playback.FrameCount() == static_cast<int>(delays.size()));
    const int total = static_cast<int>(delays.size()) * plays;  // frames shown before it stops
    for (int step = 1; step < 80; ++step) {
        FUZZ_CHECK(playback.Frame() >= 0 && (delays.empty() || playback.Frame() < playback.FrameCount()));
        if (!delays.empty()) FUZZ_CHECK(playback.Delay() == delays[static_cast<std::size_t>(playback.Frame())]);
        if (delays.size() < 2) FUZZ_CHECK(playback.Finished());
        else if (plays == 0 || step <= total) FUZZ_CHECK(!playback.Finished() && playback.Frame() == (step - 1) % playback.FrameCount());
        else FUZZ_CHECK(playback.Finished() && playback.Frame() == playback.FrameCount() - 1);
        playback.Advance();
    }
    playback.Restart();
    FUZZ_CHECK(playback.Frame() == 0 && playback.Finished() == (delays.size() < 2));
}

void Pieces(FuzzInput& in) {
    const int delay = static_cast<int>(in.U32());
    const int ms = gif::FrameDelayMs(delay);
    FUZZ_CHECK(ms >= 20 && ms <= 655350);
    if (delay >= 2 && delay <= 65535) FUZZ_CHECK(ms == delay * 10);

    std::vector<std::uint32_t> palette;
    for (int k = in.Int(0, 256); k > 0; --k) palette.push_back(in.U32());
    const int transparent = in.Int(-2, 300);
    const std::string rest = in.Rest();
    const auto* indices = reinterpret_cast<const std::uint8_t*>(rest.data());
    const std::vector<std::uint32_t> pixels = gif::ExpandIndexed(indices, rest.size(), palette, transparent);
    FUZZ_CHECK(pixels.size() == rest.size());
    for (std::size_t i = 0; i < rest.size(); ++i) {
        const int index = indices[i];
        if (index == transparent || static_cast<std::size_t>(index) >= palette.size()) FUZZ_CHECK(pixels[i] == 0);
        else FUZZ_CHECK(pixels[i] == (palette[static_cast<std::size_t>(index)] | 0xFF000000u));
    }

    const std::vector<std::uint8_t> data(indices, indices + std::min<std::size_t>(rest.size(), 6));
    int loops = -1;
    if (gif::ParseLoopCount(data, loops)) {
        FUZZ_CHECK(loops >= 0 && loops <= 65535);
        const int plays = gif::PlayCount(true, loops);
        FUZZ_CHECK(loops == 0 ? plays == 0 : plays == loops + 1);
    }
    FUZZ_CHECK(gif::PlayCount(false, loops) == 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    switch (in.Byte() % 3) {
    case 0: FrameEnds(in); break;
    case 1: Compose(in); break;
    case 2: Pieces(in); break;
    }
    return 0;
}
