// Animated GIFs: frame composition on its own (offsets, transparency, each
// disposal), the playback rules (delays, loop count), and whole files of
// our own making decoded through the platform's codec, pixel by pixel.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ComApartment.h"
#include "GifAnimation.h"
#include "GifWriter.h"
#include "PictureDecoder.h"
#include "TempFolder.h"

namespace {

constexpr std::uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kBlack = 0x000000,
                        kWhite = 0xFFFFFF;

// One composed frame as text, a letter per pixel, rows separated by '|':
// R G B K (black) W (white) and ? for anything else.
std::string Picture(const std::uint32_t* pixels, int width, int height) {
    std::string out;
    for (int y = 0; y < height; ++y) {
        if (y) out += '|';
        for (int x = 0; x < width; ++x) {
            switch (pixels[y * width + x] & 0xFFFFFF) {
            case kRed: out += 'R'; break;
            case kGreen: out += 'G'; break;
            case kBlue: out += 'B'; break;
            case kBlack: out += 'K'; break;
            case kWhite: out += 'W'; break;
            default: out += '?'; break;
            }
        }
    }
    return out;
}

gif::Frame Solid(int left, int top, int width, int height, std::uint32_t colour,
                 gif::Disposal disposal = gif::Disposal::Keep) {
    gif::Frame f;
    f.left = left;
    f.top = top;
    f.width = width;
    f.height = height;
    f.pixels.assign(static_cast<size_t>(width * height), colour | 0xFF000000u);
    f.disposal = disposal;
    return f;
}

// ---------------------------------------------------------------- rules

TEST(GifRules, DelaysUnder20MsShowFor100Ms) {
    EXPECT_EQ(gif::FrameDelayMs(0), 100);
    EXPECT_EQ(gif::FrameDelayMs(1), 100);
    EXPECT_EQ(gif::FrameDelayMs(2), 20);
    EXPECT_EQ(gif::FrameDelayMs(7), 70);
    EXPECT_EQ(gif::FrameDelayMs(65535), 655350);
}

TEST(GifRules, DisposalCodesAndLoopCounts) {
    EXPECT_EQ(gif::DisposalFromCode(0), gif::Disposal::Keep);
    EXPECT_EQ(gif::DisposalFromCode(1), gif::Disposal::Keep);
    EXPECT_EQ(gif::DisposalFromCode(2), gif::Disposal::Background);
    EXPECT_EQ(gif::DisposalFromCode(3), gif::Disposal::Previous);
    EXPECT_EQ(gif::DisposalFromCode(6), gif::Disposal::Keep);

    int loops = -1;
    EXPECT_TRUE(gif::ParseLoopCount({3, 1, 0x02, 0x01, 0}, loops));
    EXPECT_EQ(loops, 0x102);
    EXPECT_TRUE(gif::ParseLoopCount({1, 0, 0}, loops));
    EXPECT_EQ(loops, 0);
    EXPECT_FALSE(gif::ParseLoopCount({}, loops));
    EXPECT_FALSE(gif::ParseLoopCount({3, 2, 0, 0}, loops));  // a buffering block, not a loop count
    EXPECT_FALSE(gif::ParseLoopCount({3, 1}, loops));

    EXPECT_EQ(gif::PlayCount(false, 0), 1);
    EXPECT_EQ(gif::PlayCount(true, 0), 0);  // forever
    EXPECT_EQ(gif::PlayCount(true, 2), 3);
}

TEST(GifRules, PlaybackLoopsThenStaysOnTheLastFrame) {
    gif::Playback twice({10, 20, 30}, 2);
    std::vector<int> seen;
    for (int i = 0; i < 8; ++i) {
        seen.push_back(twice.Frame());
        twice.Advance();
    }
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 0, 1, 2, 2, 2}));
    EXPECT_TRUE(twice.Finished());
    EXPECT_EQ(twice.Delay(), 30);
    twice.Restart();
    EXPECT_EQ(twice.Frame(), 0);
    EXPECT_FALSE(twice.Finished());

    gif::Playback forever({10, 10}, 0);
    for (int i = 0; i < 1001; ++i) forever.Advance();
    EXPECT_FALSE(forever.Finished());
    EXPECT_EQ(forever.Frame(), 1);

    gif::Playback still({100}, 0);
    EXPECT_FALSE(still.Animated());
    EXPECT_TRUE(still.Finished());
}

TEST(GifRules, IndexedPixelsTransparentIndexAndIndicesPastThePalette) {
    const std::vector<std::uint8_t> indices{0, 1, 2, 3};
    const std::vector<std::uint32_t> palette{0x00FF0000u, 0xFF00FF00u, 0x0000FFu};
    const auto out = gif::ExpandIndexed(indices.data(), indices.size(), palette, 1);
    EXPECT_EQ(out, (std::vector<std::uint32_t>{0xFFFF0000u, 0, 0xFF0000FFu, 0}));
}

// ----------------------------------------------------------- composition

TEST(GifComposer, OffsetsTransparencyAndEachDisposal) {
    gif::Composer c(4, 3);
    std::vector<std::uint32_t> out(12);
    c.Compose(Solid(0, 0, 4, 3, kRed), out.data());
    EXPECT_EQ(Picture(out.data(), 4, 3), "RRRR|RRRR|RRRR");
    // At an offset, then cleared to the page (white) by "background".
    c.Compose(Solid(1, 1, 2, 1, kGreen, gif::Disposal::Background), out.data());
    EXPECT_EQ(Picture(out.data(), 4, 3), "RRRR|RGGR|RRRR");
    // A transparent pixel shows what lies under it; "previous" restores.
    gif::Frame blue = Solid(2, 0, 2, 2, kBlue, gif::Disposal::Previous);
    blue.pixels[3] = 0;  // its bottom-right pixel
    c.Compose(blue, out.data());
    EXPECT_EQ(Picture(out.data(), 4, 3), "RRBB|RWBR|RRRR");
    c.Compose(Solid(0, 2, 1, 1, kBlack), out.data());
    EXPECT_EQ(Picture(out.data(), 4, 3), "RRRR|RWWR|KRRR");
}

TEST(GifComposer, FramesPastTheScreenAreCutAndAnEmptyStartIsWhite) {
    gif::Composer c(3, 2);
    std::vector<std::uint32_t> out(6);
    c.Compose(Solid(2, 1, 5, 5, kBlue), out.data());
    EXPECT_EQ(Picture(out.data(), 3, 2), "WWW|WWB");
    c.Compose(Solid(-4, -4, 1, 1, kRed), out.data());  // wholly off the screen
    EXPECT_EQ(Picture(out.data(), 3, 2), "WWW|WWB");
    gif::Frame shortPixels = Solid(0, 0, 3, 2, kRed);
    shortPixels.pixels.resize(2);  // fewer pixels than its size: drawn as nothing
    c.Compose(shortPixels, out.data());
    EXPECT_EQ(Picture(out.data(), 3, 2), "WWW|WWB");
}

// "Previous" on the first frame goes back to the empty screen.
TEST(GifComposer, PreviousOnTheFirstFrameRestoresTheEmptyScreen) {
    gif::Composer c(2, 1);
    std::vector<std::uint32_t> out(2);
    c.Compose(Solid(0, 0, 1, 1, kRed, gif::Disposal::Previous), out.data());
    EXPECT_EQ(Picture(out.data(), 2, 1), "RW");
    c.Compose(Solid(1, 0, 1, 1, kGreen), out.data());
    EXPECT_EQ(Picture(out.data(), 2, 1), "WG");
}

// ------------------------------------------------- files through the codec

// 8 x 6: a red screen; a green square disposed to the background; a blue
// square with one transparent pixel disposed to what was before; a black
// dot. Delays 0, 10, 50 and 200 ms, loop count 2.
gif_test::Animation Sample() {
    gif_test::Animation a;
    a.width = 8;
    a.height = 6;
    a.palette = {kRed, kGreen, kBlue, kBlack};
    a.loopCount = 2;
    gif_test::Frame screen = gif_test::Filled(0, 0, 8, 6, 0);
    gif_test::Frame green = gif_test::Filled(1, 1, 2, 2, 1);
    green.delay = 1;
    green.disposal = 2;
    gif_test::Frame blue = gif_test::Filled(4, 2, 2, 2, 2);
    blue.indices[3] = 3;
    blue.transparent = 3;
    blue.delay = 5;
    blue.disposal = 3;
    gif_test::Frame dot = gif_test::Filled(7, 5, 1, 1, 3);
    dot.delay = 20;
    a.frames = {screen, green, blue, dot};
    return a;
}

const char* const kSampleFrames[] = {
    "RRRRRRRR|RRRRRRRR|RRRRRRRR|RRRRRRRR|RRRRRRRR|RRRRRRRR",
    "RRRRRRRR|RGGRRRRR|RGGRRRRR|RRRRRRRR|RRRRRRRR|RRRRRRRR",
    "RRRRRRRR|RWWRRRRR|RWWRBBRR|RRRRBRRR|RRRRRRRR|RRRRRRRR",
    "RRRRRRRR|RWWRRRRR|RWWRRRRR|RRRRRRRR|RRRRRRRR|RRRRRRRK",
};

bool DecodeFile(const std::string& path, PixelBuffer& out, int* frameCount = nullptr) {
    PictureDecoder decoder;
    PictureFile file;
    if (!decoder.Open(path, file)) return false;
    if (frameCount) *frameCount = file.FrameCount();
    return file.Decode(out);
}

TEST(GifFiles, AnimationDecodesIntoComposedFramesWithDelaysAndPlays) {
    TempFolder folder;
    const std::string path = folder.WriteFile("sample.gif", gif_test::Write(Sample()));
    PixelBuffer pixels;
    int frames = 0;
    ASSERT_TRUE(DecodeFile(path, pixels, &frames));
    EXPECT_EQ(frames, 4);
    ASSERT_EQ(pixels.frames, 4);
    EXPECT_EQ(pixels.width, 8);
    EXPECT_EQ(pixels.height, 6);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Picture(pixels.Frame(i), 8, 6), kSampleFrames[i]) << "frame " << i;
    EXPECT_EQ(pixels.delaysMs, (std::vector<int>{100, 100, 50, 200}));
    EXPECT_EQ(pixels.plays, 3);
}

TEST(GifFiles, LoopCountZeroPlaysForeverAndNoExtensionPlaysOnce) {
    TempFolder folder;
    gif_test::Animation forever = Sample();
    forever.loopCount = 0;
    gif_test::Animation once = Sample();
    once.loopCount = -1;
    PixelBuffer a, b;
    ASSERT_TRUE(DecodeFile(folder.WriteFile("forever.gif", gif_test::Write(forever)), a));
    ASSERT_TRUE(DecodeFile(folder.WriteFile("once.gif", gif_test::Write(once)), b));
    EXPECT_EQ(a.plays, 0);
    EXPECT_EQ(b.plays, 1);
}

// A file cut inside its last frame keeps the frames before it.
TEST(GifFiles, DamagedLaterFramesKeepTheFramesThatDecoded) {
    TempFolder folder;
    gif_test::Animation a = Sample();
    a.frames[3] = gif_test::Filled(0, 0, 8, 6, 3);  // a last frame big enough to cut inside
    const std::string whole = gif_test::Write(a);
    const std::string path = folder.WriteFile("cut.gif", whole.substr(0, whole.size() - 30));
    PixelBuffer pixels;
    {
        PictureDecoder decoder;
        PictureFile file;
        ASSERT_TRUE(decoder.Open(path, file));
        ASSERT_TRUE(file.Decode(pixels));
    }
    ASSERT_GE(pixels.frames, 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Picture(pixels.Frame(i), 8, 6), kSampleFrames[i]) << "frame " << i;
    EXPECT_EQ(static_cast<int>(pixels.delaysMs.size()), pixels.frames);
}

// An open picture holds no file: the user (or the program writing it) can
// rename, replace and delete it meanwhile, and it still decodes from what
// was read.
TEST(GifFiles, AnOpenPictureCanBeRenamedReplacedAndDeletedAndStillDecodes) {
    TempFolder folder;
    const std::string path = folder.WriteFile("sample.gif", gif_test::Write(Sample()));
    const std::string moved = folder / "moved.gif";
    PictureDecoder decoder;
    PictureFile file;
    ASSERT_TRUE(decoder.Open(path, file));
    ASSERT_TRUE(MoveFileExA(path.c_str(), moved.c_str(), 0)) << GetLastError();
    folder.WriteFile("moved.gif.new", "not a picture");
    ASSERT_TRUE(MoveFileExA((moved + ".new").c_str(), moved.c_str(), MOVEFILE_REPLACE_EXISTING)) << GetLastError();
    ASSERT_TRUE(DeleteFileA(moved.c_str())) << GetLastError();
    PixelBuffer pixels;
    ASSERT_TRUE(file.Decode(pixels));
    ASSERT_EQ(pixels.frames, 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Picture(pixels.Frame(i), 8, 6), kSampleFrames[i]) << "frame " << i;
}

TEST(GifFiles, CompleteFrameEndsWalkOnlyWholeBlocks) {
    const std::string whole = gif_test::Write(Sample());
    auto ends = [](const std::string& bytes) {
        return gif::CompleteFrameEnds(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    };
    const std::vector<size_t> all = ends(whole);
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all.back(), whole.size() - 1);  // the trailer follows the last frame
    EXPECT_EQ(ends(whole.substr(0, all[3] - 1)), std::vector<size_t>(all.begin(), all.begin() + 3));
    EXPECT_EQ(ends(whole.substr(0, all[1])), std::vector<size_t>(all.begin(), all.begin() + 2));
    EXPECT_EQ(ends(whole.substr(0, all[0]) + "junk"), std::vector<size_t>(all.begin(), all.begin() + 1));
    EXPECT_TRUE(ends(whole.substr(0, 12)).empty());
    EXPECT_TRUE(ends("GIF89x" + whole.substr(6)).empty());
    EXPECT_TRUE(gif::CompleteFrameEnds(nullptr, 0).empty());
}

TEST(GifFiles, StillGifIsOneFrame) {
    TempFolder folder;
    gif_test::Animation a = Sample();
    a.frames.resize(1);
    PixelBuffer pixels;
    ASSERT_TRUE(DecodeFile(folder.WriteFile("still.gif", gif_test::Write(a)), pixels));
    EXPECT_EQ(pixels.frames, 1);
    EXPECT_FALSE(pixels.Animated());
    EXPECT_EQ(Picture(pixels.Frame(0), 8, 6), kSampleFrames[0]);
}

}  // namespace
